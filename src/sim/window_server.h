#pragma once

// The simulated window server: the one place that knows, for every window of the world, where it
// stands in the z-order of all applications, its level (ordinary windows, the Dock, the menu bar,
// the program's own click-through windows above everything), its space, and whether the user sees
// it: not minimised, its application not hidden, on a space its display shows (or on every
// space), not closed; a menu bar shows only while its application is in front.
//
// Every top-level element of an application is one of its windows: the world registers it when
// it is appended to the application's element and drops it when it leaves. Hit tests, the
// on-screen window list, the windows an application reports and its main window, and the routing
// of input all ask the window server; minimising, hiding, activating, switching or moving spaces
// and entering full screen change what it answers.
//
// A component of the world: WindowServer::of(world).

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/geometry.h"
#include "platform/plist_object.h"
#include "sim/node.h"

namespace zoral::sim {

class World;

// The system's window levels (higher levels lie in front), by the names of their level keys.
namespace windowLevel {
inline constexpr int normal = 0;
inline constexpr int floating = 3;
inline constexpr int dock = 20;
inline constexpr int mainMenu = 24;
inline constexpr int status = 25;
inline constexpr int popUpMenu = 101;
inline constexpr int overlay = 102;
inline constexpr int assistiveTechHigh = 1500;
}  // namespace windowLevel

// What the window server keeps of a window besides its place in the order.
struct WindowOptions {
    int level = windowLevel::normal;
    // Lets the pointer through: never hit, as a window that ignores mouse events.
    bool clickThrough = false;
    // Shown on every space of its display (the Dock, the menu bar, the program's tooltips).
    bool allSpaces = false;

    friend bool operator==(const WindowOptions&, const WindowOptions&) = default;
};

// One window as the window server describes it.
struct ServerWindow {
    std::int64_t number = 0;
    platform::ProcessId owner = 0;
    WindowOptions options;
    // None while the window belongs to no space yet: it is on whatever its display shows.
    std::optional<std::int64_t> space;
    std::shared_ptr<Node> node;
};

class WindowServer {
public:
    // The height of a window's title bar, where a press drags the window.
    static constexpr double titleBarHeight = 28;

    static WindowServer& of(World& world);

    // --- Registration (the world's)
    void attach(World& world, const std::shared_ptr<Node>& node);
    void detach(const Node& node);
    void detachProcess(platform::ProcessId pid);
    // A number no window has had.
    std::int64_t allocateNumber();

    // --- Windows
    // Front to back, every level, visible or not.
    std::vector<ServerWindow> windows() const;
    std::optional<ServerWindow> window(const Node& node) const;
    // The windows of one process, front to back.
    std::vector<std::shared_ptr<Node>> windowsOf(platform::ProcessId pid) const;
    // The window (top-level element) that holds the element, when it is one of the server's.
    std::shared_ptr<Node> windowHolding(const Node& element) const;
    bool isVisible(World& world, const Node& window) const;
    // Whether the window is on a space its display shows now (or on every space); minimised and
    // hidden windows may still be.
    bool isOnShownSpace(World& world, const Node& window) const;

    // --- Order and levels
    // In front of every window of its level.
    void orderFront(const Node& window);
    void orderBack(const Node& window);
    // In front of its application's other windows, where the front-most of them stands.
    void orderFrontOfApplication(const Node& window);
    // Every window of the process in front of (behind) the other processes' windows of their
    // levels, keeping their own order.
    void orderProcessFront(platform::ProcessId pid);
    void orderProcessBack(platform::ProcessId pid);
    // Moves the window to the front of its new level.
    void setOptions(const Node& window, WindowOptions options);
    // The process changed its place among the others while its windows stayed where they were.
    void processMoved(platform::ProcessId pid);

    // --- Spaces
    std::optional<std::int64_t> spaceOf(std::int64_t number) const;
    // A window that is not shown yet (a world file's, before it joins its application) gets the
    // space when it comes.
    void placeOnSpace(std::int64_t number, std::int64_t space);
    // The window belongs to no space any more: it is on whatever its display shows.
    void removeFromSpace(std::int64_t number);
    // Puts every window that belongs to no space yet and whose centre lies in the frame (top-left
    // coordinates) on the space: called before a display shows another space.
    void pinUnplaced(platform::CGRect displayFrame, std::int64_t space);

    // --- The window whose title bar the left button holds (by the user or the program)
    std::shared_ptr<Node> heldWindow() const { return held_.lock(); }
    void setHeldWindow(const std::shared_ptr<Node>& window) { held_ = window; }

    // --- What the user sees and reaches
    // The deepest element under the point, in the front-most visible window that the pointer can
    // hit; only the process's windows when one is given. Above the visible frame, in the menu bar,
    // the front application's menu bar answers, or its application element.
    std::shared_ptr<Node> hitTest(World& world, platform::CGPoint point,
                                  std::optional<platform::ProcessId> only = std::nullopt) const;
    // The window list in the system's shape, front to back: every window with bounds, or only the
    // visible ones.
    std::vector<platform::PlistDictionary> windowList(World& world, bool onScreenOnly) const;

private:
    struct Entry {
        std::int64_t number = 0;
        platform::ProcessId owner = 0;
        WindowOptions options;
        std::optional<std::int64_t> space;
        const Node* key = nullptr;
        std::weak_ptr<Node> node;
    };

    // What visibility depends on besides the window, looked up once for a whole query.
    struct Sight;

    std::vector<Entry>::iterator find(const Node& node);
    std::vector<Entry>::const_iterator find(const Node& node) const;
    static bool isVisible(const Sight& sight, const Entry& entry, const Node& node);
    // Where a new window of the owner at the level goes: in front of its application's windows,
    // behind those of the applications in front of it.
    std::size_t placeForNew(World& world, platform::ProcessId owner, int level) const;
    void place(Entry entry, std::size_t index);
    void erase(std::vector<Entry>::iterator at);
    void moveWithinLevel(const Node& window, bool toFront);

    // Front to back; higher levels always before lower ones.
    std::vector<Entry> entries_;
    // The windows there are, and how many each process has: a window new to the server is known
    // to be so without a search.
    std::unordered_set<const Node*> keys_;
    std::unordered_map<platform::ProcessId, std::size_t> windowsOf_;
    // Whether the windows of each level stand in the order of their processes, as attaching alone
    // leaves them (a world as it loads): then a new window's place is found by bisection. Moving
    // a window or a process by itself ends it.
    bool inProcessOrder_ = true;
    std::int64_t highestNumber_ = 0;
    // Spaces given to window numbers before their windows came.
    std::map<std::int64_t, std::int64_t> spacesToCome_;
    std::weak_ptr<Node> held_;
};

}  // namespace zoral::sim

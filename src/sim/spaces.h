#pragma once

// The window server's spaces and Mission Control. Each display has its spaces (desktops and
// applications in full screen), one of them current; windows belong to a space. While Mission
// Control shows, the Dock's application element has a child titled "Mission Control" with, per
// display, a group holding that display's "Spaces Bar", whose list holds one button per space in
// the display's order (children and grandchildren of that child, as the program searches them).
//
// Input, the user's or the program's, has the system's effects: the space hot key (from the
// symbolic hot keys file, or Control-Fn-arrow without one) switches the current space of the
// display, carrying along a window whose title bar the left button holds; a left drag of a space
// button released on another display's spaces bar moves the space there.
//
// A component of the world: Spaces::of(world).

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/events.h"
#include "platform/geometry.h"
#include "platform/plist_object.h"
#include "sim/node.h"

namespace zoral::sim {

class World;
class WindowNode;
class InputPipeline;

struct SimSpace {
    std::int64_t id = 0;
    // An application in full screen, not a desktop.
    bool fullScreen = false;

    friend bool operator==(const SimSpace&, const SimSpace&) = default;
};

struct DisplaySpaces {
    // The display's UUID, as the window server names it.
    std::string identifier;
    std::int64_t current = 0;
    std::vector<SimSpace> spaces;

    friend bool operator==(const DisplaySpaces&, const DisplaySpaces&) = default;
};

class Spaces {
public:
    // Height of the spaces bar along the top of a display.
    static constexpr double barHeight = 100;
    static constexpr double buttonWidth = 160;
    static constexpr double buttonHeight = 90;
    static constexpr double buttonGap = 20;

    // The spaces of the world.
    static Spaces& of(World& world);
    static Spaces& current();

    explicit Spaces(World& world) : world_(world) {}
    Spaces(const Spaces&) = delete;
    Spaces& operator=(const Spaces&) = delete;

    // --- The model
    void setDisplaySpaces(World& world, std::vector<DisplaySpaces> displays);
    std::vector<DisplaySpaces> displaySpaces() const { return displays_; }
    std::optional<DisplaySpaces> displaySpaces(const std::string& identifier) const;
    // The space a window belongs to (by its window number); none until placed. The window server
    // keeps it.
    std::optional<std::int64_t> spaceOfWindow(std::int64_t windowNumber) const;
    void placeWindow(std::int64_t windowNumber, std::int64_t spaceId);
    // Whether a display shows the space now; a space no display lists is shown.
    bool isShown(std::int64_t spaceId) const;

    // One step left (previous) or right (next) in the display's list; false at either end or for
    // an unknown display. A held window goes along.
    bool switchSpace(World& world, const std::string& identifier, bool towardsRight);
    // Moves the space to the end of the other display's list; the source keeps at least one
    // space and, when the moved space was current, shows its first remaining one.
    bool moveSpace(World& world, std::int64_t spaceId, const std::string& targetIdentifier);

    // The display went: its windows join the current space of the display they were brought to,
    // its full-screen spaces that display's spaces, and its desktops are gone.
    void displayRemoved(World& world, const std::string& identifier, const std::string& home);

    // A window entering full screen gets a full-screen space of its own on the
    // display that holds its centre, and that space becomes current; leaving
    // removes the space and goes back to the display's first desktop. Nothing
    // happens on a display without spaces.
    void enterFullScreen(World& world, std::int64_t windowNumber, platform::CGPoint centre);
    void leaveFullScreen(World& world, std::int64_t windowNumber);

    // --- What the window server answers
    // The model in the window server's shape.
    platform::PlistObject describe() const;
    // Replaces the answer (a malformed one, or none at all) until restoreAnswer().
    void replaceAnswer(std::optional<platform::PlistObject> answer);
    void restoreAnswer();
    std::optional<platform::PlistObject> answer() const;
    int answerCount() const { return answers_; }
    void countAnswer() { ++answers_; }

    // --- Mission Control (installs the Dock when the world has none)
    void showMissionControl(World& world);
    // Shows the "App Expose" child instead, without spaces bars.
    void showAppExpose(World& world);
    void hide(World& world);
    bool isShowing() const { return overview_ != nullptr; }
    // Whether what shows is Mission Control, with its spaces bars, rather than App Exposé.
    bool showsSpacesBars() const { return overview_ != nullptr && showsBars_; }
    // The button that stands for the space while Mission Control shows.
    std::shared_ptr<Node> buttonOf(std::int64_t spaceId) const;
    // The spaces bar of the display while Mission Control shows.
    std::shared_ptr<Node> barOf(const std::string& identifier) const;

    // --- Input: the space hot keys, and dragging the buttons of the spaces bars.
    static void registerInput(InputPipeline& pipeline);
    // The window whose title bar the left button holds: a space switch carries it along.
    std::shared_ptr<WindowNode> heldWindow() const;
    // A space button let go at the location: on another display's spaces bar, the space moves.
    void dropSpace(World& world, std::int64_t space, platform::CGPoint location);

private:
    struct Bar {
        std::shared_ptr<Node> group;
        std::shared_ptr<Node> bar;
        std::shared_ptr<Node> list;
    };

    DisplaySpaces* find(const std::string& identifier);
    std::optional<std::string> displayAt(World& world, platform::CGPoint point) const;
    // Shows the space on the display: the windows the display showed so far stay on the space it
    // showed.
    void makeCurrent(World& world, DisplaySpaces& display, std::int64_t spaceId);
    void layOut(World& world);
    void showAbove(World& world);
    void focusFrontWindow(World& world, const std::string& identifier);
    bool onHotKey(World& world, const platform::CGEvent& event);

    World& world_;
    std::vector<DisplaySpaces> displays_;
    bool replaced_ = false;
    std::optional<platform::PlistObject> replacement_;
    int answers_ = 0;

    std::shared_ptr<Node> overview_;
    bool showsBars_ = false;
    std::map<std::string, Bar> bars_;
    std::map<std::int64_t, std::shared_ptr<Node>> buttons_;
};

}  // namespace zoral::sim

#pragma once

// The program's own windows in the simulated desktop (its tooltips and previews). Each is a window
// of the program's process: while it is ordered in, the window server holds it at its level, with
// its options (click-through, on every space), in front of the other windows of that level, and
// the program's application element lists it; ordered out, it leaves both. Besides what the window
// server keeps, each has the alpha the program gave it, so that what the user sees of the program
// can be asked of the world.
//
// A component of the world: ProgramWindows::of(world). Main thread only, as the toolkit's windows.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "platform/geometry.h"
#include "platform/program_windows.h"

namespace zoral::sim {

class World;
class WindowNode;

struct ProgramWindow {
    platform::WindowNumber number = 0;
    platform::ProgramWindowStyle style;
    // Bottom-left coordinates, as the program set it.
    platform::CGRect frame;
    double alpha = 1;
    bool orderedIn = false;
};

// One order in or out the program asked for, in the order asked.
struct ProgramWindowOrdering {
    platform::WindowNumber number = 0;
    bool in = false;

    friend bool operator==(const ProgramWindowOrdering&, const ProgramWindowOrdering&) = default;
};

class ProgramWindows {
public:
    static ProgramWindows& of(World& world);
    static ProgramWindows& current();

    platform::WindowNumber create(World& world, const platform::ProgramWindowStyle& style,
                                  platform::CGRect frame);
    void setFrame(World& world, platform::WindowNumber number, platform::CGRect frame);
    void setAlpha(platform::WindowNumber number, double alpha);
    void orderFront(World& world, platform::WindowNumber number);
    void orderOut(World& world, platform::WindowNumber number);
    void destroy(World& world, platform::WindowNumber number);
    void setContent(platform::WindowNumber number,
                    std::function<platform::ProgramWindowPixels()> content);

    std::optional<ProgramWindow> window(platform::WindowNumber number) const;
    // The window server's node for the window, while it lives.
    std::shared_ptr<WindowNode> node(platform::WindowNumber number) const;
    // What the window shows, painted now; empty for a window that paints nothing or is gone.
    platform::ProgramWindowPixels pixels(platform::WindowNumber number) const;
    std::size_t count() const { return windows_.size(); }
    const std::vector<ProgramWindowOrdering>& orderings() const { return orderings_; }

    // What the user sees of the program, front to back: the windows that are ordered in, that the
    // window server shows (on a shown space, or on every space) and that are not fully transparent.
    std::vector<ProgramWindow> visible(World& world) const;

private:
    struct Entry {
        ProgramWindow state;
        std::shared_ptr<WindowNode> node;
        std::function<platform::ProgramWindowPixels()> content;
    };

    Entry* find(platform::WindowNumber number);
    void place(World& world, Entry& entry);

    std::map<platform::WindowNumber, Entry> windows_;
    std::vector<ProgramWindowOrdering> orderings_;
};

}  // namespace zoral::sim

#pragma once

// The simulated displays, the system settings that shape what the screens offer (the appearance,
// the Dock's side, Stage Manager) and the system's version.
//
// A display has a frame in the bottom-left coordinates of the primary display and insets for the
// menu bar and the Dock, from which its visible frame follows. Every change of the displays posts
// the screen-parameters notification on the process's notification centre, as the system does.
// When a display goes, the window server brings its windows, of every level, onto the displays
// that remain, as the system does: a window that overlaps a remaining display goes onto the one
// it overlaps most, where it is; any other onto the primary display, keeping its place relative
// to the visible frame it was on; each keeps its size, pulled inside the visible frame. A window
// in full screen fills its new display, and the frame it returns to when it leaves full screen
// comes over the same way. The display's desktops go with it, their windows joining the primary
// display's current space; its full-screen spaces join the primary display's spaces.
// The settings live where the system keeps them, in user defaults: the appearance in the global
// domain, Stage Manager in "com.apple.WindowManager", the Dock's side in "com.apple.Dock".

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/geometry.h"
#include "platform/screens.h"
#include "platform/thread_safety.h"

namespace zoral::sim {

class World;

enum class DockEdge { bottom, left, right };

struct DockInset {
    DockEdge edge = DockEdge::bottom;
    // How far the Dock reaches into the display from its edge.
    double thickness = 0;

    friend bool operator==(const DockInset&, const DockInset&) = default;
};

struct Display {
    // The display's number ("NSScreenNumber"); none leaves it out of the device description, and
    // a value that is no 32-bit unsigned number is described as it is.
    std::optional<std::int64_t> number;
    std::string uuid;
    platform::CGRect frame;
    double menuBarHeight = 0;
    std::optional<DockInset> dock;

    // The frame less the menu bar at the top and the Dock at its edge.
    platform::CGRect visibleFrame() const;
    platform::NSScreen screen() const;

    friend bool operator==(const Display&, const Display&) = default;
};

class Displays {
public:
    // The displays of the world (none until a test or a world file adds them).
    static Displays& of(World& world);
    static Displays& current();

    explicit Displays(World& world) : world_(world) {}
    Displays(const Displays&) = delete;
    Displays& operator=(const Displays&) = delete;

    // Primary first.
    std::vector<Display> displays() const;
    // The display that takes keyboard input: the one chosen, else the first.
    std::optional<Display> mainDisplay() const;

    // Frames in the top-left coordinates of windows and events: the frame of the display with
    // the UUID; of the display that holds the point, else of the first; whether the point lies
    // in a display's menu bar.
    std::optional<platform::CGRect> topLeftFrame(const std::string& uuid) const;
    std::optional<platform::CGRect> topLeftFrameAt(platform::CGPoint point) const;
    bool isInMenuBar(platform::CGPoint point) const;
    // Bottom-left coordinates of a top-left point, and the other way round (the same turn).
    platform::CGPoint flipped(platform::CGPoint point) const;

    // Each change below posts the screen-parameters notification once.
    void setDisplays(std::vector<Display> displays);
    void addDisplay(Display display);
    // Removes the display with that number; false when none has it (nothing is posted then).
    bool removeDisplay(std::int64_t number);
    // Edits the display with that number in place; false when none has it.
    bool updateDisplay(std::int64_t number, const std::function<void(Display&)>& edit);
    // Puts the Dock on the display at the index (taking it off every other display), or hides it
    // with none, and stores its side where the system keeps it (for a shown Dock).
    void placeDock(std::size_t index, std::optional<DockInset> dock);
    // Chooses the main display by number; none goes back to the first.
    void setMainDisplay(std::optional<std::int64_t> number);

private:
    // Replaces the displays, brings the windows of those that went onto the primary display and
    // posts the change.
    void replace(std::vector<Display> displays);
    void bringWindowsHome(const std::vector<Display>& before, const std::vector<Display>& after);
    void changed();
    // The display's frame in top-left coordinates; the lock is held.
    platform::CGRect topLeftLocked(const Display& display) const ZORAL_REQUIRES(mutex_);

    World& world_;
    mutable platform::Mutex mutex_;
    std::vector<Display> displays_ ZORAL_GUARDED_BY(mutex_);
    std::optional<std::int64_t> main_ ZORAL_GUARDED_BY(mutex_);
};

// The system's version; 14.0.0 unless a test sets another.
class SystemVersion {
public:
    static SystemVersion& of(World& world);
    static SystemVersion& current();

    platform::OperatingSystemVersion version() const;
    void setVersion(platform::OperatingSystemVersion version);

private:
    mutable platform::Mutex mutex_;
    platform::OperatingSystemVersion version_ ZORAL_GUARDED_BY(mutex_){14, 0, 0};
};

// The appearance: "Dark" under "AppleInterfaceStyle" in the global domain, or no value for the
// light one; a change is announced with the distributed notification of a theme change.
void setInterfaceStyle(std::optional<std::string> style);
// Stage Manager's switches in "com.apple.WindowManager".
void setStageManager(bool globallyEnabled, bool autoHide);
// The Dock's side ("bottom", "left", "right") in "com.apple.Dock"; none removes it.
void setDockOrientation(std::optional<std::string> orientation);

}  // namespace zoral::sim

#pragma once

// The process-wide record of every window the program snapped: its grid span, the frame it had
// before it was first snapped, the frame it got, the screen it was snapped on and the observer
// that follows the user's drags of it. Frames are restored ("unsnap") and re-applied ("resnap")
// from here. It iterates in insertion order; a window snapped again goes to the end. A record
// leaves with its window (its observer hears the window destroyed) or with its process (the
// workspace announces the end). Only the main thread touches it.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "desktop/observer.h"
#include "desktop/screen.h"
#include "desktop/snapped_window_registry.h"
#include "desktop/window.h"
#include "engine/model/grid_span.h"
#include "platform/geometry.h"
#include "platform/notification_center.h"

namespace zoral::engine {

using WindowRef = std::shared_ptr<desktop::Window>;

struct SnapRecord {
    // The window server's number of the window; none when no on-screen entry matched at the snap.
    std::optional<std::int64_t> windowNumber;
    GridSpan span;
    // Top-left coordinates; kept across repeated snaps of the window.
    platform::CGRect frameBeforeSnap;
    // Top-left coordinates, read back right after the snap.
    platform::CGRect snappedFrame;
    // The uiFrame (bottom-left coordinates) of the window's screen right after the snap.
    platform::CGRect screenFrame;
    // Dropping the record ends the observation.
    std::shared_ptr<desktop::Observer> observer;
};

class SnappedWindows final : public desktop::SnappedWindowRegistry {
public:
    using Entry = std::pair<WindowRef, SnapRecord>;

    // The process's registry, installed as the desktop model's on first use.
    static SnappedWindows& shared();

    // Follows the workspace's announcements of ended processes: their windows are gone, and
    // their observers will not say so.
    SnappedWindows();
    ~SnappedWindows() override;
    SnappedWindows(const SnappedWindows&) = delete;
    SnappedWindows& operator=(const SnappedWindows&) = delete;

    // A copy of the window's record; none when it is not snapped.
    std::optional<SnapRecord> record(const desktop::Window& window) const;
    // Replaces the window's record; the window goes to the end of the order.
    void insert(const WindowRef& window, SnapRecord record);
    // The removed record, if there was one; dropping it releases its observer.
    std::optional<SnapRecord> remove(const desktop::Window& window);
    // Forgets every window (tests start from an empty registry).
    void removeAll();

    // The entries as they are now, in insertion order; later changes do not touch the copy.
    std::vector<Entry> entries() const { return entries_; }
    std::vector<WindowRef> windows() const;

    // --- As the desktop model sees it
    bool isSnapped(const desktop::Window& window) const override;
    std::optional<platform::CGRect> frameBeforeSnap(const desktop::Window& window) const override;
    std::size_t count() const override { return entries_.size(); }
    void unsnap(const WindowRef& window) override;

private:
    std::vector<Entry>::const_iterator find(const desktop::Window& window) const;
    // Forgets every window of the process.
    void removeProcess(platform::ProcessId pid);

    std::vector<Entry> entries_;
    platform::ObserverToken terminations_;
};

// SnappedWindows::shared().remove(window).
std::optional<SnapRecord> removeSnapRecord(const desktop::Window& window);

// The entries whose window is on the screen now (Window::screen), in insertion order.
std::vector<SnappedWindows::Entry> snappedWindowsOnScreen(const desktop::Screen& screen);

}  // namespace zoral::engine

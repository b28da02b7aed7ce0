#include "engine/windows/snapped_windows.h"

#include <algorithm>
#include <any>
#include <string>

#include "engine/windows/snap_engine.h"
#include "platform/process_state.h"
#include "platform/workspace.h"

namespace zoral::engine {

namespace {

// The process's registry, and what the layers below see of it.
struct SharedSnappedWindows {
    SnappedWindows registry;
    SharedSnappedWindows() { desktop::SnappedWindowRegistry::install(&registry); }
};

}  // namespace

SnappedWindows& SnappedWindows::shared() {
    return platform::processPart<SharedSnappedWindows>().registry;
}

SnappedWindows::SnappedWindows()
    : terminations_(platform::workspaceNotificationCenter().addObserver(
          std::string(platform::workspaceDidTerminateApplicationNotification), nullptr,
          [this](const platform::Notification& notification) {
              const auto found = notification.userInfo.find(platform::workspaceApplicationKey);
              if (found == notification.userInfo.end())
                  return;
              if (const auto* application =
                      std::any_cast<platform::RunningApplication>(&found->second)) {
                  removeProcess(application->processIdentifier);
              }
          })) {}

SnappedWindows::~SnappedWindows() {
    platform::workspaceNotificationCenter().removeObserver(terminations_);
    if (&desktop::SnappedWindowRegistry::shared() == this)
        desktop::SnappedWindowRegistry::install(nullptr);
}

std::vector<SnappedWindows::Entry>::const_iterator SnappedWindows::find(
    const desktop::Window& window) const {
    return std::find_if(entries_.begin(), entries_.end(),
                        [&](const Entry& entry) { return *entry.first == window; });
}

std::optional<SnapRecord> SnappedWindows::record(const desktop::Window& window) const {
    const auto found = find(window);
    return found != entries_.end() ? std::optional(found->second) : std::nullopt;
}

void SnappedWindows::insert(const WindowRef& window, SnapRecord record) {
    if (!window)
        return;
    // The old record (and its observer) goes only after the new one is in place.
    auto old = remove(*window);
    entries_.emplace_back(window, std::move(record));
}

std::optional<SnapRecord> SnappedWindows::remove(const desktop::Window& window) {
    const auto found = find(window);
    if (found == entries_.end())
        return std::nullopt;
    SnapRecord removed = found->second;
    entries_.erase(found);
    return removed;
}

void SnappedWindows::removeProcess(platform::ProcessId pid) {
    // The element keeps its process identifier after the process has gone, and reading it asks
    // nothing of anyone. The records (and their observers) go only once the registry is whole.
    std::vector<Entry> kept;
    std::vector<Entry> gone;
    for (Entry& entry : entries_)
        (entry.first->pid() == pid ? gone : kept).push_back(std::move(entry));
    entries_ = std::move(kept);
}

void SnappedWindows::removeAll() {
    // Releasing the observers must not find the registry half cleared.
    auto old = std::move(entries_);
    entries_.clear();
}

std::vector<WindowRef> SnappedWindows::windows() const {
    std::vector<WindowRef> windows;
    windows.reserve(entries_.size());
    for (const Entry& entry : entries_)
        windows.push_back(entry.first);
    return windows;
}

bool SnappedWindows::isSnapped(const desktop::Window& window) const {
    return find(window) != entries_.end();
}

std::optional<platform::CGRect> SnappedWindows::frameBeforeSnap(
    const desktop::Window& window) const {
    const auto found = find(window);
    return found != entries_.end() ? std::optional(found->second.frameBeforeSnap) : std::nullopt;
}

void SnappedWindows::unsnap(const WindowRef& window) {
    if (window && isSnapped(*window))
        engine::unsnap(window);
}

std::optional<SnapRecord> removeSnapRecord(const desktop::Window& window) {
    return SnappedWindows::shared().remove(window);
}

std::vector<SnappedWindows::Entry> snappedWindowsOnScreen(const desktop::Screen& screen) {
    std::vector<SnappedWindows::Entry> onScreen;
    for (SnappedWindows::Entry& entry : SnappedWindows::shared().entries()) {
        const auto current = entry.first->screen();
        if (current && current->uiFrame == screen.uiFrame)
            onScreen.push_back(std::move(entry));
    }
    return onScreen;
}

}  // namespace zoral::engine

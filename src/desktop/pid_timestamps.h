#pragma once

// When each window of each process was minimised through the program, so that unminimizeLast can
// bring back the latest one. Entries are added by minimising and taken one window at a time by
// unminimizeLast; they never expire, even when the window has been restored some other way.
// The operations on all windows stamp from a global queue while the main thread reads and
// removes, so every call holds a lock and reads hand out copies.

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>

#include "platform/accessibility.h"
#include "platform/thread_safety.h"

namespace zoral::desktop {

class PidTimestamps {
public:
    // Window identity (Window::id) to seconds since 1970.
    using Stamps = std::map<std::int64_t, double>;

    static PidTimestamps& shared();

    // Replaces an earlier stamp of the same window.
    void record(platform::ProcessId pid, std::int64_t windowId, double secondsSince1970);
    // None when the process has no entry (an entry may be empty).
    std::optional<Stamps> stamps(platform::ProcessId pid) const;
    // The identity with the latest stamp; none for a process without stamps.
    std::optional<std::int64_t> latest(platform::ProcessId pid) const;
    void remove(platform::ProcessId pid, std::int64_t windowId);
    // The window entries of every process together.
    std::size_t windowCount() const;
    void removeAll();

private:
    mutable platform::Mutex mutex_;
    std::map<platform::ProcessId, Stamps> entries_ ZORAL_GUARDED_BY(mutex_);
};

}  // namespace zoral::desktop

#pragma once

// The links the program asked the simulated system to open, in order, with the time of each
// request. The system opens web, mail and file addresses; other schemes have no application.

#include <string>
#include <string_view>
#include <vector>

#include "platform/thread_safety.h"

namespace zoral::sim {

class World;

struct OpenedURL {
    double time = 0;
    std::string url;

    friend bool operator==(const OpenedURL&, const OpenedURL&) = default;
};

// A component of the world.
class URLOpening {
public:
    static URLOpening& of(World& world);

    // The schemes that some application opens.
    static bool hasApplicationFor(std::string_view url);

    void record(OpenedURL opened);
    std::vector<OpenedURL> opened() const;

private:
    mutable platform::Mutex mutex_;
    std::vector<OpenedURL> opened_ ZORAL_GUARDED_BY(mutex_);
};

}  // namespace zoral::sim

#include "sim/url_opening.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <string_view>

#include "platform/scheduler.h"
#include "platform/url_opening.h"
#include "sim/world.h"

namespace zoral::sim {

URLOpening& URLOpening::of(World& world) {
    return world.component<URLOpening>();
}

bool URLOpening::hasApplicationFor(std::string_view url) {
    constexpr std::array<std::string_view, 4> schemes{"http", "https", "mailto", "file"};
    const std::string_view scheme = url.substr(0, url.find(':'));
    return std::ranges::any_of(schemes, [&](std::string_view known) {
        return std::ranges::equal(scheme, known, [](char a, char b) {
            return std::tolower(static_cast<unsigned char>(a)) == b;
        });
    });
}

void URLOpening::record(OpenedURL opened) {
    const platform::MutexLock lock(mutex_);
    opened_.push_back(std::move(opened));
}

std::vector<OpenedURL> URLOpening::opened() const {
    const platform::MutexLock lock(mutex_);
    return opened_;
}

}  // namespace zoral::sim

namespace zoral::platform {

bool openURL(std::string_view url) {
    if (!isValidURL(url) || !sim::URLOpening::hasApplicationFor(url))
        return false;
    sim::URLOpening::of(sim::World::current()).record({uptimeSeconds(), std::string(url)});
    return true;
}

}  // namespace zoral::platform

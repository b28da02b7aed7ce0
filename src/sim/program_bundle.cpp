#include "sim/program_bundle.h"

#include <utility>

#include "platform/bundle.h"
#include "sim/world.h"

namespace zoral::sim {

ProgramBundle& ProgramBundle::of(World& world) {
    return world.component<ProgramBundle>();
}

ProgramBundle::~ProgramBundle() {
    setPath(std::nullopt);
}

void ProgramBundle::setPath(std::optional<std::string> path) {
    if (path) {
        const auto replaced = platform::Bundle::setMainBundlePath(*path);
        if (!before_)
            before_ = replaced;
    } else if (before_) {
        platform::Bundle::setMainBundlePath(*std::exchange(before_, std::nullopt));
    }
    path_ = std::move(path);
}

}  // namespace zoral::sim

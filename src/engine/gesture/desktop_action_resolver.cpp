#include "engine/gesture/desktop_action_resolver.h"

#include <utility>

#include "engine/resolution/desktop_resolution_query.h"
#include "engine/resolution/resolution.h"

namespace zoral::engine {

DesktopActionResolver::DesktopActionResolver()
    : DesktopActionResolver(
          [](const Origin& origin) { return std::make_unique<DesktopResolutionQuery>(origin); }) {}

DesktopActionResolver::DesktopActionResolver(QueryFactory makeQuery)
    : makeQuery_(std::move(makeQuery)) {}

promises::Guarantee<promises::Unit> DesktopActionResolver::resolveAction(Gesture& gesture) {
    std::erase_if(seen_, [](const auto& entry) { return entry.first.expired(); });
    // A gesture not held by a shared_ptr has no memory: each resolution counts as a new phase.
    const std::weak_ptr<Gesture> key = gesture.weak_from_this();
    Seen* seen = key.expired() ? nullptr : &seen_[key];
    const bool sameAsBefore =
        seen && seen->phases == gesture.phases() && seen->directions == gesture.directions();

    const std::unique_ptr<ResolutionQuery> query = makeQuery_(gesture.origin());
    const Resolution resolution =
        engine::resolveAction(gesture.resolutionState(!sameAsBefore), *query);
    if (seen) {
        seen->directions = gesture.directions();
        seen->phases = gesture.phases();
    }
    return gesture.apply(resolution);
}

}  // namespace zoral::engine

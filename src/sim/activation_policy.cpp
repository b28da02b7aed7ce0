#include "platform/activation_policy.h"

#include "sim/workspace.h"
#include "sim/world.h"

namespace zoral::platform {

ActivationPolicy activationPolicy() {
    sim::World& world = sim::World::current();
    return sim::workspace(world).infoOf(world.programProcess().pid).activationPolicy;
}

bool setActivationPolicy(ActivationPolicy policy) {
    sim::World& world = sim::World::current();
    sim::ApplicationInfo& info = sim::workspace(world).info(world.programProcess().pid);
    if (policy == ActivationPolicy::prohibited && info.activationPolicy != policy)
        return false;
    info.activationPolicy = policy;
    return true;
}

}  // namespace zoral::platform

#pragma once

// The simulated input-monitoring permission: one answer for posting events and one for
// listening to them, granted unless a test or world says otherwise.

#include "platform/iohid.h"

namespace zoral::sim {

// A component of the world (World::component<InputMonitoringAccess>()).
struct InputMonitoringAccess {
    platform::iohid::AccessType post = platform::iohid::AccessType::granted;
    platform::iohid::AccessType listen = platform::iohid::AccessType::granted;
};

}  // namespace zoral::sim

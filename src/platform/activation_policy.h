#pragma once

// The program's own activation policy, as the system keeps it for the program's process: a
// regular application has a Dock icon and a menu bar, an accessory one has neither and a
// prohibited one cannot be activated at all.
//
// Only the declarations live here; the simulated desktop (sim/) defines them.

#include "platform/workspace.h"

namespace zoral::platform {

ActivationPolicy activationPolicy();
// The system refuses to make an application prohibited once it runs with another policy; false
// then, and nothing changes.
bool setActivationPolicy(ActivationPolicy policy);

}  // namespace zoral::platform

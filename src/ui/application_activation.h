#pragma once

// What the program asks of the system as an application: its activation policy (a regular
// application has a Dock icon and a menu bar, an accessory one neither) and its activation.

#include "platform/workspace.h"

namespace zoral::ui {

class Application {
public:
    static platform::ActivationPolicy activationPolicy();
    // False, changing nothing, when the system refuses the change.
    static bool setActivationPolicy(platform::ActivationPolicy policy);
    // Asks the system to make the program the active application, before the others.
    static void activateIgnoringOtherApps();
};

}  // namespace zoral::ui

#pragma once

// The toolkit's application object, which every window and every drawing needs, and what the
// program asks of the system as an application: its activation policy (a regular application has
// a Dock icon and a menu bar, an accessory one neither) and its activation. The program makes
// the object at start; code that draws makes sure it exists, so that tests and tools need not.

#include "platform/workspace.h"

namespace zoral::ui {

// Makes the application object when there is none yet; main thread only.
void ensureApplication();

class Application {
public:
    static platform::ActivationPolicy activationPolicy();
    // False, changing nothing, when the system refuses the change.
    static bool setActivationPolicy(platform::ActivationPolicy policy);
    // Asks the system to make the program the active application, before the others.
    static void activateIgnoringOtherApps();
};

}  // namespace zoral::ui

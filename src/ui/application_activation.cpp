#include "ui/application_activation.h"

#include "platform/activation_policy.h"

namespace zoral::ui {

platform::ActivationPolicy Application::activationPolicy() {
    return platform::activationPolicy();
}

bool Application::setActivationPolicy(platform::ActivationPolicy policy) {
    return platform::setActivationPolicy(policy);
}

void Application::activateIgnoringOtherApps() {
    if (const auto self = platform::runningApplicationWithProcessIdentifier(
            platform::currentProcessIdentifier())) {
        (void)platform::activate(*self, platform::activateIgnoringOtherApps);
    }
}

}  // namespace zoral::ui

#include "ui/application.h"

#include <QApplication>
#include <cstdlib>
#include <memory>

#include "platform/activation_policy.h"

namespace zoral::ui {

void ensureApplication() {
    if (QApplication::instance() != nullptr)
        return;
    // The toolkit keeps references to the arguments for the application's whole life.
    static int argc = 1;
    static char name[] = "zoral";
    static char* argv[] = {name, nullptr};
    static std::unique_ptr<QApplication> application;
    application = std::make_unique<QApplication>(argc, argv);
    // One look on every platform the toolkit draws on, the light appearance's.
    QApplication::setStyle(QStringLiteral("Fusion"));
    // Gone before the toolkit's own globals, which the application made after this static.
    std::atexit([] { application.reset(); });
}

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

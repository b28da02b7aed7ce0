#include "desktop/application.h"

#include <utility>

#include "desktop/window.h"

namespace zoral::desktop {

std::shared_ptr<Application> Application::make(const platform::RunningApplication& nsApp) {
    if (platform::isTerminated(nsApp))
        return nullptr;
    auto application = std::make_shared<Application>(Passkey{}, nsApp);
    if (application->role() != Role::application)
        return nullptr;
    return application;
}

std::shared_ptr<Application> Application::applicationForPID(platform::ProcessId pid) {
    if (pid < 1)
        return nullptr;
    const auto record = platform::runningApplicationWithProcessIdentifier(pid);
    return record ? make(*record) : nullptr;
}

Application::Application(Passkey, platform::RunningApplication nsApp)
    : UIElement(platform::ax::createApplication(nsApp.processIdentifier)),
      nsApp_(std::move(nsApp)) {}

std::vector<std::shared_ptr<Window>> Application::windows() const {
    std::vector<std::shared_ptr<Window>> result;
    const auto elements = attribute<std::vector<UIElementRef>>(Attribute::windows);
    if (!elements)
        return result;
    for (const UIElementRef& element : *elements) {
        if (auto window = Window::make(*element))
            result.push_back(std::move(window));
    }
    return result;
}

std::vector<std::shared_ptr<Window>> Application::windowsMinimized(bool minimized) const {
    std::vector<std::shared_ptr<Window>> result;
    for (auto& window : windows()) {
        try {
            if (window->isSettableByName(rawValue(Attribute::minimized)) &&
                window->boolAttribute(rawValue(Attribute::minimized)) == minimized) {
                result.push_back(std::move(window));
            }
        } catch (const AXError&) {
            // A window whose state cannot be read is in neither list.
        }
    }
    return result;
}

}  // namespace zoral::desktop

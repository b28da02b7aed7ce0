#include "desktop/application.h"

#include <utility>

#include "desktop/dock_item.h"
#include "desktop/window.h"
#include "platform/output.h"

namespace zoral::desktop {

namespace {

constexpr std::string_view dockBundleIdentifier = "com.apple.dock";

std::optional<std::string> urlOf(const UIElement& tile) {
    const auto url = tile.attribute<platform::ax::Url>(Attribute::url);
    return url ? std::optional<std::string>(url->text) : std::nullopt;
}

}  // namespace

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

std::shared_ptr<Application> Application::applicationForBundleURL(std::string_view bundleURL) {
    for (const auto& record : platform::runningApplications()) {
        if (record.bundleURL == bundleURL)
            return make(record);
    }
    return nullptr;
}

std::shared_ptr<Application> Application::applicationForBundleIdentifier(
    std::string_view bundleIdentifier) {
    const auto records = platform::runningApplicationsWithBundleIdentifier(bundleIdentifier);
    return records.empty() ? nullptr : make(records.front());
}

std::vector<std::shared_ptr<Application>> Application::all() {
    std::vector<std::shared_ptr<Application>> result;
    for (const auto& record : platform::runningApplications()) {
        if (record.activationPolicy == platform::ActivationPolicy::prohibited)
            continue;
        if (auto application = make(record))
            result.push_back(std::move(application));
    }
    return result;
}

Application::Application(Passkey, platform::RunningApplication nsApp)
    : UIElement(platform::ax::createApplication(nsApp.processIdentifier)),
      nsApp_(std::move(nsApp)) {}

std::shared_ptr<DockItem> Application::dockItem() {
    if (dockItem_)
        return dockItem_;
    const auto dock = applicationForBundleIdentifier(dockBundleIdentifier);
    if (!dock || !nsApp_.bundleURL)
        return nullptr;
    for (const UIElementRef& element : dock->descendants()) {
        auto tile = DockItem::make(*element);
        if (tile && urlOf(*tile) == nsApp_.bundleURL) {
            dockItem_ = std::move(tile);
            break;
        }
    }
    return dockItem_;
}

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
        // A window whose state cannot be read is in neither list.
        if (window->isSettable(Attribute::minimized) &&
            window->attribute<bool>(Attribute::minimized) == minimized) {
            result.push_back(std::move(window));
        }
    }
    return result;
}

std::shared_ptr<Observer> Application::makeObserver(Observer::Callback callback) const {
    try {
        return std::make_shared<Observer>(pid().value_or(-1), std::move(callback));
    } catch (const AXError& error) {
        // A process that has just quit is no surprise.
        if (error.errorCode() != AXErrorCode::invalidUIElement)
            platform::output::printLine("AXObserver: Unexpected error: " + error.description());
        return nullptr;
    }
}

void Application::disableEnhancedUI() {
    const auto enabled = attribute<bool>(Attribute::enhancedUserInterface);
    // A second disable before the restore reads the "off" the first one wrote; keeping what the
    // first one saved lets the restore switch the interface back on.
    usesEnhancedUI_ = enabled.value_or(false) || usesEnhancedUI_.value_or(false);
    if (enabled == true)
        setAttribute(Attribute::enhancedUserInterface, false);
}

void Application::restoreEnhancedUI() {
    if (usesEnhancedUI_ == true)
        setAttribute(Attribute::enhancedUserInterface, true);
    usesEnhancedUI_.reset();
}

}  // namespace zoral::desktop

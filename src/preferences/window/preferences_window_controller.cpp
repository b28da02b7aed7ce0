#include "preferences/window/preferences_window_controller.h"

#include "desktop/ax_access.h"
#include "desktop/run_after_delay.h"
#include "platform/dispatch.h"
#include "platform/screens.h"
#include "preferences/onboarding/accessibility_window_controller.h"
#include "preferences/onboarding/onboarding_popovers.h"
#include "ui/application_activation.h"

namespace zoral::preferences {

PreferencesWindowController::PreferencesWindowController(PreferencesEnvironment environment)
    : environment_(std::move(environment)) {}

PreferencesWindowController::~PreferencesWindowController() {
    detachFromWindow();
}

void PreferencesWindowController::detachFromWindow() {
    for (const auto& weak : popovers_) {
        if (auto popover = weak.lock()) {
            popover->setDelegate(nullptr);
            popover->close();
        }
    }
    popovers_.clear();
    if (isWindowLoaded())
        window()->setDelegate(nullptr);
}

void PreferencesWindowController::show() {
    ui::Application::activateIgnoringOtherApps();
    showWindow();
    if (auto shown = window())
        shown->makeKeyAndOrderFront();
}

void PreferencesWindowController::presentPopover(
    std::string title, std::shared_ptr<OnboardingPopoverController> controller,
    std::function<void()> completion) {
    showPopoverAnchor();
    popoverAnchor()->setTitle(std::move(title));

    auto popover = std::make_shared<ui::Popover>();
    popover->setDelegate(this);
    controller->popover = popover;
    controller->handler = completion;
    controller->preferencesController = weak_from_this();
    popover->setBehavior(ui::PopoverBehavior::applicationDefined);
    popover->setAnimates(true);
    popover->setContentViewController(controller);
    std::erase_if(popovers_, [](const auto& weak) { return weak.expired(); });
    popovers_.push_back(popover);

    desktop::runAfterDelay(platform::DispatchQueue::main(), 0,
                           [weak = weak_from_this(), popover, completion = std::move(completion)] {
                               const auto self = weak.lock();
                               if (!self)
                                   return;
                               const auto anchor = self->popoverAnchor();
                               // An anchor in no window on screen can show nothing: onboarding goes
                               // on, and the toolbar gets its items back, since no closing popover
                               // will restore them.
                               if (!anchor->isInVisibleWindow()) {
                                   self->hidePopoverAnchor();
                                   if (completion)
                                       completion();
                                   return;
                               }
                               popover->show({}, *anchor, ui::RectEdge::maxY);
                           });
}

std::shared_ptr<ui::Popover> PreferencesWindowController::presentedPopover() const {
    return popovers_.empty() ? nullptr : popovers_.back().lock();
}

void PreferencesWindowController::showWelcome(std::function<void()> completion) {
    showPopover<WelcomePopoverController>("Welcome", std::move(completion));
}

void PreferencesWindowController::showWhatsNew(std::function<void()> completion) {
    showPopover<UpdatePopoverController>("What's New", std::move(completion));
}

AccessibilityWindowController& PreferencesWindowController::accessibilityWindowController() {
    if (!accessibility_) {
        accessibility_ = std::make_shared<AccessibilityWindowController>(*environment_.access,
                                                                         [this] { show(); });
    }
    return *accessibility_;
}

void PreferencesWindowController::requireAccessibility(std::function<void()> completion) {
    if (environment_.access->isTrusted()) {
        if (completion)
            completion();
        return;
    }
    presentAsSheet(*this, accessibilityWindowController(),
                   [completion = std::move(completion)](std::int64_t) {
                       if (completion)
                           completion();
                   });
}

void PreferencesWindowController::setToolbarItems(const std::vector<std::string>& identifiers) {
    const auto shown = window();
    if (!shown || !shown->toolbar())
        return;
    ui::Toolbar& toolbar = *shown->toolbar();
    for (std::size_t count = toolbar.items().size(); count > 0; --count)
        toolbar.removeItem(0);
    for (auto identifier = identifiers.rbegin(); identifier != identifiers.rend(); ++identifier)
        toolbar.insertItem(*identifier, 0);
}

void PreferencesWindowController::setTitle(const std::string& title,
                                           const std::optional<std::string>& subtitle,
                                           const std::string& separator) {
    const auto shown = window();
    if (!shown)
        return;
    shown->setTitle(title);
    if (platform::isOperatingSystemAtLeast({11, 0, 0}))
        shown->setSubtitle(subtitle.value_or(""));
    else if (subtitle)
        shown->setTitle(title + " " + separator + " " + *subtitle);
}

void PreferencesWindowController::windowWillEnterFullScreen(ui::TitledWindow&) {
    (void)ui::Application::setActivationPolicy(platform::ActivationPolicy::regular);
}

void PreferencesWindowController::windowWillClose(ui::TitledWindow&) {
    (void)ui::Application::setActivationPolicy(platform::ActivationPolicy::accessory);
}

void PreferencesWindowController::popoverDidClose(ui::Popover&) {
    hidePopoverAnchor();
}

void presentAsSheet(ui::WindowController& controller, ui::WindowController& other,
                    std::function<void(std::int64_t)> completion) {
    const auto sheet = other.window();
    const auto parent = controller.window();
    if (!sheet || !parent || parent->attachedSheet() == sheet)
        return;
    parent->beginSheet(sheet, [completion = std::move(completion)](std::int64_t response) {
        if (completion)
            completion(response);
    });
}

}  // namespace zoral::preferences

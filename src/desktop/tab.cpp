#include "desktop/tab.h"

#include <array>
#include <cstddef>
#include <string>
#include <utility>

#include "desktop/application.h"
#include "desktop/attempt.h"
#include "desktop/promise_error.h"
#include "desktop/snapped_window_registry.h"
#include "desktop/synthetic_input.h"
#include "desktop/window.h"
#include "platform/events.h"
#include "platform/output.h"
#include "platform/scheduler.h"
#include "settings/defaults.h"
#include "settings/defaults_keys.h"

namespace zoral::desktop {

using platform::CGPoint;
using platform::CGRect;

namespace {

struct KindPrefix {
    std::string_view prefix;
    TabAppType kind;
};

constexpr std::array<KindPrefix, 7> kindPrefixes{{
    {"com.apple.Safari", TabAppType::safari},
    {"com.kagi.kagimacOS", TabAppType::safari},
    {"com.google.Chrome", TabAppType::chrome},
    {"com.microsoft.edgemac", TabAppType::chrome},
    {"company.thebrowser.Browser", TabAppType::arc},
    {"com.apple.dt.Xcode", TabAppType::xcode},
    {"com.microsoft.VSCode", TabAppType::vscode},
}};

// Steps of the walk up from the element under the pointer in search of web content.
constexpr int webContentSearchSteps = 30;
constexpr int tabGroupSearchDepth = 30;
constexpr int editorTabButtonDepth = 3;
constexpr int tabButtonDepth = 2;

// The detach: a drag this far down pulls the tab out of its bar; the checks poll this often.
constexpr double detachDragDistance = 60;
constexpr double detachDragStepDelay = 0.006;
constexpr double detachSettleDelay = 0.05;
constexpr int detachRetries = 40;
constexpr double detachRetryDelay = 0.05;
// Where the pointer goes in a new window that is not under it: below the top edge, in the middle.
constexpr double pointerBelowTopEdge = 16;

bool isTabButton(const UIElement& element) {
    return element.role() == Role::radioButton && element.subrole() == Subrole::tabButton;
}

bool isNamedTabCell(const UIElement& element) {
    const auto identifier = element.attribute<std::string>(Attribute::identifier);
    return identifier == "TabCellView" || identifier == "EaselCellView";
}

// A tab-like control drawn by a web page is no tab of the browser.
bool liesInWebContent(const UIElementRef& element) {
    UIElementRef current = element;
    for (int step = 0; step < webContentSearchSteps; ++step) {
        if (current->role() == Role::application)
            return false;
        UIElementRef parent = current->parent();
        // Without a parent the same element is looked at again, and the step is spent.
        if (!parent)
            continue;
        if (parent->role() == Role::webArea)
            return true;
        current = std::move(parent);
    }
    return false;
}

UIElementRef findTabElement(TabAppType kind, const UIElementRef& element, CGPoint location) {
    switch (kind) {
        case TabAppType::vscode:
            return element->firstAncestor(editorTabButtonDepth, true, isTabButton);
        case TabAppType::xcode: {
            const UIElementRef group = element->firstAncestor(
                tabGroupSearchDepth, false,
                [](const UIElement& candidate) { return candidate.role() == Role::tabGroup; });
            if (!group)
                return nullptr;
            for (const UIElementRef& child : group->children()) {
                if (child->attribute<CGRect>(Attribute::frame)
                        .value_or(CGRect())
                        .containsPoint(location))
                    return child;
            }
            return nullptr;
        }
        case TabAppType::arc:
            return element->firstAncestor(1, true, isNamedTabCell);
        case TabAppType::native:
        case TabAppType::safari:
        case TabAppType::chrome:
        case TabAppType::edge:
            return element->firstAncestor(tabButtonDepth, true, isTabButton);
    }
    return nullptr;
}

// The pointer's position, as a new event would carry it.
std::optional<CGPoint> pointerLocation() {
    const auto event = platform::eventCreate();
    return event ? std::optional<CGPoint>(event->location) : std::nullopt;
}

void postDetachDrag() {
    const auto start = pointerLocation();
    // Without events nothing could be posted anyway.
    if (!start)
        return;
    postMouseDrag(*start, {0, detachDragDistance}, detachDragStepDelay);
    platform::sleepFor(detachSettleDelay);
    // Back where it started, so that the pointer does not seem to have jumped.
    if (auto moved = platform::eventCreateMouseEvent(platform::CGEventType::mouseMoved, *start,
                                                     platform::CGMouseButton::left)) {
        applyModifierFlags(*moved, {});
        platform::eventPost(platform::CGEventTapLocation::hid, *moved);
    }
    platform::sleepFor(syntheticEventDelay);
}

std::size_t visibleWindowCount(const std::shared_ptr<Application>& application) {
    return application ? application->windowsMinimized(false).size() : 0;
}

}  // namespace

TabAppType appTypeForBundleIdentifier(std::optional<std::string_view> bundleIdentifier) {
    const std::string_view identifier = bundleIdentifier.value_or(std::string_view());
    for (const KindPrefix& row : kindPrefixes) {
        if (identifier.starts_with(row.prefix))
            return row.kind;
    }
    return TabAppType::native;
}

struct Tab::DetachState {
    // The count of visible windows seen last: each check compares with it, then stores its own.
    std::size_t windowCount = 0;
    std::optional<CGRect> frameBeforeSnap;
};

Tab::Tab(Passkey, platform::ax::Element element, TabAppType appType, CGPoint location,
         bool canReroute)
    : UIElement(element), appType_(appType), location_(location), canReroute_(canReroute) {}

std::shared_ptr<Tab> Tab::make(const UIElementRef& element, const std::shared_ptr<Window>& window,
                               CGPoint location) {
    if (!element)
        return nullptr;
    const auto application = element->application();
    const auto identifier = application ? application->bundleIdentifier() : std::nullopt;
    const TabAppType kind = appTypeForBundleIdentifier(identifier);

    if (!settings::Defaults::readValue(settings::Defaults::Keys::tabApps()).contains(kind))
        return nullptr;

    if ((kind == TabAppType::safari || kind == TabAppType::chrome || kind == TabAppType::arc) &&
        liesInWebContent(element)) {
        return nullptr;
    }

    bool canReroute = false;
    if (kind == TabAppType::chrome) {
        const double topEdge =
            window ? window->attribute<CGPoint>(Attribute::position).value_or(CGPoint()).y : 0.0;
        canReroute = location.y - topEdge <= rerouteLimit;
    }

    const UIElementRef found = findTabElement(kind, element, location);
    if (!found)
        return nullptr;
    return std::make_shared<Tab>(Passkey{}, found->element(), kind, location, canReroute);
}

promises::Promise<std::shared_ptr<Window>> Tab::detach() {
    using Result = promises::Promise<std::shared_ptr<Window>>;
    const auto tabWindow = window();
    if (!tabWindow)
        return Result::initRejected(PromiseError::makeDefault());

    auto state = std::make_shared<DetachState>();
    state->windowCount = visibleWindowCount(application());
    state->frameBeforeSnap = SnappedWindowRegistry::shared().frameBeforeSnap(*tabWindow);

    axQueue().async(postDetachDrag);

    auto self = std::static_pointer_cast<Tab>(shared_from_this());
    return attempt(detachRetries, detachRetryDelay,
                   [self, state](int retry) { return self->checkDetach(retry, state); });
}

promises::Promise<std::shared_ptr<Window>> Tab::checkDetach(
    int retry, const std::shared_ptr<DetachState>& state) {
    using Result = promises::Promise<std::shared_ptr<Window>>;
    if (shouldCancelDetach_) {
        platform::output::printLine("Window: Detach Tab cancelled");
        shouldCancelDetach_ = false;
        return Result::initRejected(PromiseError::makeCancel());
    }

    const auto owner = application();
    const auto visible =
        owner ? owner->windowsMinimized(false) : std::vector<std::shared_ptr<Window>>();
    const std::size_t previous = state->windowCount;
    state->windowCount = visible.size();
    if (!owner || visible.size() <= previous || visible.empty())
        return Result::initRejected(PromiseError::makeDefault());

    const std::shared_ptr<Window> detached = visible.front();
    platform::output::printLine("Window: Detached Tab in " + std::to_string(retry * 50) + "ms");

    if (state->frameBeforeSnap) {
        detached->setAttribute(Attribute::size, platform::ax::Value(state->frameBeforeSnap->size));
        platform::output::printLine("Window: Detached Tab unsnapped");
    }

    const CGRect frame = detached->attribute<CGRect>(Attribute::frame).value_or(CGRect());
    const auto pointer = pointerLocation();
    if (!pointer || !frame.containsPoint(*pointer))
        platform::warpMouseCursorPosition({frame.midX(), frame.minY() + pointerBelowTopEdge});
    return Result::initFulfilled(detached);
}

}  // namespace zoral::desktop

#include "engine/gesture/origin_classification.h"

#include <array>
#include <cstdio>
#include <utility>

#include "desktop/application.h"
#include "desktop/ax_vocabulary.h"
#include "desktop/conversation.h"
#include "desktop/dock_item.h"
#include "desktop/mission_control_space.h"
#include "desktop/screen.h"
#include "desktop/system_wide.h"
#include "desktop/tab.h"
#include "desktop/window.h"
#include "platform/output.h"
#include "platform/process_state.h"
#include "settings/defaults.h"
#include "settings/defaults_keys.h"

namespace zoral::engine {

namespace {

using desktop::Application;
using desktop::Attribute;
using desktop::Role;
using desktop::Subrole;
using desktop::UIElementRef;
using desktop::Window;
using platform::CGPoint;
using platform::CGRect;
using settings::Defaults::Keys;
using settings::Defaults::readValue;

// The upper sixteen bits of the low thirty-two: the flags that name a key whatever the device.
constexpr std::uint64_t deviceIndependentBits = 0xFFFF0000;

std::string heightText(double height) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", height);
    return text;
}

std::string bundleIdentifierOf(const std::shared_ptr<Application>& application) {
    return application ? application->bundleIdentifier().value_or("") : "";
}

bool isBlacklisted(const std::string& bundleIdentifier) {
    return readValue(Keys::blacklist()).contains(bundleIdentifier);
}

// Every flag of "superModifier" is held; a setting without flags always counts as held.
bool isSuperModifierHeld(platform::CGEventFlags flags) {
    const std::uint64_t held = flags.rawValue() & deviceIndependentBits;
    const std::uint64_t super = readValue(Keys::superModifier()).rawValue();
    return (held & super) == super;
}

// The element an attribute names; none on any error, which the classification absorbs.
UIElementRef readElement(const desktop::UIElement& element, Attribute attribute) {
    return element.attribute<UIElementRef>(attribute).value_or(nullptr);
}

bool hasRole(const desktop::UIElement& element, Role role) {
    return element.role() == role;
}

bool anyAncestorHasRole(const desktop::UIElement& element, Role role) {
    for (const UIElementRef& ancestor : element.ancestors()) {
        if (ancestor && hasRole(*ancestor, role))
            return true;
    }
    return false;
}

std::shared_ptr<Window> firstUnminimizedWindow(const Application& application) {
    for (const auto& window : application.windows()) {
        if (!window->isMinimized().value_or(false))
            return window;
    }
    return nullptr;
}

// An element whose frame does not hold the location stands for the nearest ancestor that does and
// has a known role, when there is one.
UIElementRef elementHoldingLocation(UIElementRef element, CGPoint location) {
    if (element->frame().containsPoint(location))
        return element;
    platform::output::printLine("Origin: Cursor not in frame of element " + element->description());
    for (const UIElementRef& ancestor : element->ancestors()) {
        if (!ancestor || !ancestor->frame().containsPoint(location))
            continue;
        const auto role = ancestor->role();
        if (!role || *role == Role::unknown)
            continue;
        platform::output::printLine("Origin: Changed element to " + ancestor->description());
        return ancestor;
    }
    return element;
}

// A Dock tile: the application's first window when the super modifier opens it as a window
// gesture, else the tile itself; a minimised window's tile.
std::optional<Origin> dockOrigin(const UIElementRef& element, bool superHeld) {
    if (const auto tile = desktop::DockItem::make(*element)) {
        const auto url = tile->attribute<platform::ax::Url>(Attribute::url);
        if (!url)
            return std::nullopt;
        const auto bundleIdentifier = tile->bundleIdentifier();
        if (!bundleIdentifier)
            return std::nullopt;
        auto application = Application::applicationForBundleIdentifier(*bundleIdentifier);
        if (!application)
            application = Application::applicationForBundleURL(url->text);
        if (!application)
            return std::nullopt;
        // The tile belongs to the Dock, so the check on the element's application passed it; the
        // application it stands for is the one the user excluded.
        if (!superHeld && isBlacklisted(bundleIdentifierOf(application)))
            return std::nullopt;

        if (superHeld && !readValue(Keys::requireSuperMod())) {
            auto window = firstUnminimizedWindow(*application);
            if (!window)
                return std::nullopt;
            Origin origin = makeOrigin(OriginType::window);
            if (auto screen = window->screen())
                origin.screen = std::move(*screen);
            origin.window = std::move(window);
            origin.application = std::move(application);
            return origin;
        }
        Origin origin = makeOrigin(OriginType::dockItem);
        application->setDockItem(tile);
        origin.window = firstUnminimizedWindow(*application);
        origin.application = std::move(application);
        return origin;
    }
    if (auto tile = desktop::MinDockItem::make(*element)) {
        Origin origin = makeOrigin(OriginType::minDockItem);
        origin.minDockItem = std::move(tile);
        return origin;
    }
    return std::nullopt;
}

// The menu bar, its application menus, or the bare application element, above the visible frame.
std::optional<Origin> menuBarOrigin(const UIElementRef& element, Role role,
                                    CGPoint unflippedLocation) {
    if (const auto screen = desktop::screenUnderMouse();
        screen && screen->visibleFrame().containsPoint(unflippedLocation)) {
        return std::nullopt;
    }
    auto application = element->application();
    std::shared_ptr<Window> window;
    if (application) {
        if (const auto main = readElement(*application, Attribute::mainWindow))
            window = Window::make(*main);
    }
    if (!window)
        window = Window::make(*element);
    const bool fullScreen = window && window->isFullscreen().value_or(false);

    OriginType type = OriginType::menubar;
    if (role == Role::menuBar)
        type = fullScreen ? OriginType::menubarFS : OriginType::menubar;
    else if (role == Role::menuBarItem)
        type = fullScreen ? OriginType::menuFS : OriginType::menu;
    Origin origin = makeOrigin(type);
    origin.application = std::move(application);
    origin.window = std::move(window);
    return origin;
}

// The title-bar height of the window: measured from its toolbar or its close button, else the
// application's cached height, else the default. A measured height is cached for the application
// unless the window is in full screen, where the bars are laid out differently.
double titlebarHeight(const Window& window, double windowTop, const std::string& bundleIdentifier) {
    std::optional<double> measured;
    const auto descendants = window.descendants();
    for (const UIElementRef& descendant : descendants) {
        if (!descendant || !hasRole(*descendant, Role::toolbar))
            continue;
        const CGRect toolbar = descendant->frame();
        if (toolbar.minY() >= windowTop) {
            const double height = (toolbar.minY() - windowTop) + toolbar.height();
            if (height > defaultTitlebarHeight)
                measured = height;
        }
        break;
    }
    if (!measured) {
        UIElementRef closeButton;
        for (const UIElementRef& descendant : descendants) {
            if (descendant && descendant->subrole() == Subrole::closeButton) {
                closeButton = descendant;
                break;
            }
        }
        if (!closeButton)
            closeButton = readElement(window, Attribute::closeButton);
        if (closeButton) {
            const double middle = closeButton->frame().midY();
            if (middle > windowTop)
                measured = (middle - windowTop) * 2 + 1.0;
        }
    }

    auto& cache = titlebarHeightCache();
    if (!measured) {
        if (const auto cached = cache.find(bundleIdentifier); cached != cache.end()) {
            platform::output::printLine("Origin: Special height " + heightText(cached->second) +
                                        " used for " + bundleIdentifier);
            return cached->second;
        }
        platform::output::printLine("Origin: Default height used for " + bundleIdentifier);
        return defaultTitlebarHeight;
    }
    if (!window.isFullscreen().value_or(false)) {
        cache[bundleIdentifier] = *measured;
        platform::output::printLine("Origin: Special height " + heightText(*measured) +
                                    " cached for " + bundleIdentifier);
    }
    return *measured;
}

// A part of a window: the whole window with the super modifier or in Mission Control, a tab, or,
// near the top, the toolbar, the traffic lights or the title bar.
std::optional<Origin> windowPartOrigin(const UIElementRef& element, std::optional<Role> role,
                                       CGPoint location, bool superHeld,
                                       const std::string& bundleIdentifier) {
    const auto window = element->window();
    if (!window)
        return std::nullopt;
    if (window->subrole() == Subrole::systemDialog && !window->canClose())
        return std::nullopt;
    const double windowTop = window->attribute<CGPoint>(Attribute::position).value_or(CGPoint()).y;

    const auto make = [&](OriginType type) {
        Origin origin = makeOrigin(type);
        origin.element = element;
        origin.window = window;
        origin.application = element->application();
        return origin;
    };

    if (superHeld)
        return make(OriginType::window);
    if (desktop::isMissionControlShowing())
        return make(OriginType::mcWindow);
    if (auto tab = desktop::Tab::make(element, window, location)) {
        Origin origin = make(OriginType::tab);
        origin.tab = std::move(tab);
        return origin;
    }

    const double offset = location.y - windowTop;
    if (offset > originTopZone)
        return std::nullopt;
    if (role == Role::menu || role == Role::menuItem || role == Role::popover ||
        anyAncestorHasRole(*element, Role::popover)) {
        return std::nullopt;
    }
    if (role == Role::toolbar || anyAncestorHasRole(*element, Role::toolbar))
        return make(OriginType::toolbar);
    const auto subrole = element->subrole();
    if (subrole == Subrole::closeButton || subrole == Subrole::minimizeButton ||
        subrole == Subrole::fullScreenButton) {
        return make(OriginType::trafficLights);
    }
    if (titlebarHeight(*window, windowTop, bundleIdentifier) >= offset)
        return make(OriginType::titlebar);
    return std::nullopt;
}

std::optional<Origin> classifyAtPointer(const platform::CGEvent& event, UIElementRef element) {
    const CGPoint location = event.location;
    element = elementHoldingLocation(std::move(element), location);

    const std::string bundleIdentifier = bundleIdentifierOf(element->application());
    const std::optional<Role> role = element->role();

    const bool superHeld = isSuperModifierHeld(event.flags);
    if (isBlacklisted(bundleIdentifier) && !superHeld && role != Role::menuBar)
        return std::nullopt;

    if (auto space = desktop::MissionControlSpace::make(element)) {
        Origin origin = makeOrigin(OriginType::mcSpace);
        origin.space = std::move(space);
        return origin;
    }
    if (role == Role::dockItem)
        return dockOrigin(element, superHeld);

    const bool menuBarRole =
        role == Role::menuBar || role == Role::application ||
        (role == Role::menuBarItem && element->subrole() != Subrole::menuExtra);
    if (menuBarRole)
        return menuBarOrigin(element, *role, event.unflippedLocation);

    return windowPartOrigin(element, role, location, superHeld, bundleIdentifier);
}

// Whether the conversation gave up on the element's application: nothing could be done to it.
bool isSilent(const desktop::Conversation& conversation, const desktop::UIElement& element) {
    const auto pid = element.pid();
    return pid && conversation.record()->hasGivenUpOn(*pid);
}

// The gesture goes on with the conversation of its start for as long as it holds what it found,
// so that it waits at most once on an application that stops answering. The window does not keep
// it: the snapped-window registry may hold the window long after the gesture.
std::optional<Origin> keepingConversation(std::optional<Origin> origin,
                                          const desktop::Conversation& conversation) {
    if (!origin)
        return origin;
    const std::array<desktop::UIElement*, 5> found{origin->element.get(), origin->tab.get(),
                                                   origin->application.get(),
                                                   origin->minDockItem.get(), origin->space.get()};
    for (desktop::UIElement* element : found) {
        if (element != nullptr)
            element->keepConversation(conversation.record());
    }
    return origin;
}

}  // namespace

std::optional<Origin> originAtPointer(const platform::CGEvent& event) {
    // Each question once, and an application that stops answering is asked nothing more.
    const desktop::Conversation conversation(desktop::Conversation::Answers::kept);
    const CGPoint location = event.location;
    UIElementRef element = desktop::SystemWide::shared()->elementAtPosition(location.x, location.y);
    if (!element)
        return std::nullopt;
    auto origin = classifyAtPointer(event, element);
    if (isSilent(conversation, *element))
        return std::nullopt;
    return keepingConversation(std::move(origin), conversation);
}

std::optional<Origin> originForHotkey() {
    const desktop::Conversation conversation(desktop::Conversation::Answers::kept);
    if (desktop::isMissionControlShowing())
        return std::nullopt;
    auto window = desktop::SystemWide::shared()->focusedWindow();
    if (!window)
        return std::nullopt;
    auto application = window->application();
    if (!application)
        return std::nullopt;
    if (isBlacklisted(bundleIdentifierOf(application)))
        return std::nullopt;

    Origin origin = makeOrigin(OriginType::hotkey);
    const CGRect frame = window->frame();
    if (isSilent(conversation, *window))
        return std::nullopt;
    origin.location = desktop::flipPoint(CGPoint{frame.midX(), frame.minY()});
    if (auto screen = window->screen())
        origin.screen = std::move(*screen);
    origin.window = std::move(window);
    origin.application = std::move(application);
    return keepingConversation(std::move(origin), conversation);
}

namespace {

struct TitlebarHeights {
    std::map<std::string, double> cache;
};

}  // namespace

std::map<std::string, double>& titlebarHeightCache() {
    return platform::processPart<TitlebarHeights>().cache;
}

}  // namespace zoral::engine

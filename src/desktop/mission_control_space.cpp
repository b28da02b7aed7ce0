#include "desktop/mission_control_space.h"

#include <algorithm>
#include <string_view>

#include "desktop/application.h"
#include "desktop/attempt.h"
#include "desktop/promise_error.h"
#include "desktop/synthetic_input.h"
#include "desktop/system_wide.h"
#include "desktop/window.h"
#include "platform/events.h"
#include "platform/output.h"
#include "platform/process_state.h"
#include "platform/scheduler.h"
#include "platform/workspace.h"
#include "promises/promises.h"

namespace zoral::desktop {

namespace {

using platform::CGPoint;
using platform::CGRect;
using platform::PlistArray;
using platform::PlistDictionary;
using platform::PlistObject;

constexpr std::string_view dockBundleIdentifier = "com.apple.dock";
constexpr std::string_view missionControlTitle = "Mission Control";
constexpr std::string_view appExposeTitle = "App Expose";
constexpr std::string_view spacesBarTitle = "Spaces Bar";
constexpr int parentWalkBudget = 30;
constexpr int activationRetries = 40;
constexpr double activationRetryDelay = 0.02;

UIElementRef missionControlElement() {
    const auto dock = Application::applicationForBundleIdentifier(dockBundleIdentifier);
    if (!dock)
        return nullptr;
    for (const auto& child : dock->children()) {
        if (child->title() == missionControlTitle)
            return child;
    }
    return nullptr;
}

// The buttons of the spaces bar lying on the screen, among Mission Control's descendants.
std::vector<UIElementRef> spaceButtons(const std::vector<UIElementRef>& descendants,
                                       const Screen& screen) {
    UIElementRef bar;
    for (const auto& element : descendants) {
        if (element->title() == spacesBarTitle &&
            screen.axFrame.containsPoint(element->position())) {
            bar = element;
            break;
        }
    }
    if (!bar)
        return {};
    for (const auto& child : bar->children()) {
        if (child->role() == Role::list)
            return child->children();
    }
    return {};
}

std::vector<UIElementRef> spaceButtons(const Screen& screen) {
    const auto overview = missionControlElement();
    return overview ? spaceButtons(overview->descendants(), screen) : std::vector<UIElementRef>{};
}

// The window server's name of the screen's display; none for a display it cannot name.
std::optional<std::string> displayKey(const Screen& screen) {
    const platform::CGDirectDisplayID display = displayID(screen.nsScreen);
    if (display == 0)
        return std::nullopt;
    return platform::displayCreateUUIDFromDisplayID(display);
}

// Whether the space whose element is `element` may leave the screen's display.
bool movableAmong(const platform::ax::Element element, const std::vector<UIElementRef>& buttons,
                  const ManagedDisplaySpaces& spaces, const Screen& screen) {
    const auto button = std::find_if(buttons.begin(), buttons.end(), [&](const UIElementRef& b) {
        return b->element() == element;
    });
    if (button == buttons.end())
        return false;
    const auto key = displayKey(screen);
    if (!key)
        return false;
    const auto list = spaces.find(*key);
    if (list == spaces.end())
        return false;
    const auto index = static_cast<std::size_t>(button - buttons.begin());
    if (index >= list->second.size())
        return false;
    const SpaceRecord& record = list->second[index];
    if (record.type == MissionControlSpaceType::fullscreen)
        return true;
    if (record.isCurrent)
        return false;
    return std::count_if(list->second.begin(), list->second.end(), [](const SpaceRecord& r) {
               return r.type == MissionControlSpaceType::desktop;
           }) > 1;
}

std::optional<std::int64_t> integerOf(const PlistObject* object) {
    if (object == nullptr)
        return std::nullopt;
    const auto integer = object->integerValue();
    return integer ? integer->int64Value() : std::nullopt;
}

// One display's spaces; none when any key is missing or malformed.
std::optional<std::pair<std::string, std::vector<SpaceRecord>>> parseDisplay(
    const PlistObject& display) {
    const PlistObject* identifierObject = display.find(platform::displayIdentifierKey);
    const auto identifier =
        identifierObject != nullptr ? identifierObject->stringValue() : std::nullopt;
    if (!identifier)
        return std::nullopt;
    const PlistObject* currentSpace = display.find(platform::currentSpaceKey);
    if (currentSpace == nullptr || !currentSpace->is(PlistObject::Kind::dictionary))
        return std::nullopt;
    const auto current = integerOf(currentSpace->find(platform::managedSpaceIDKey));
    if (!current || *current == -1)
        return std::nullopt;
    const PlistObject* spacesObject = display.find(platform::spacesKey);
    const auto* spaces = spacesObject != nullptr ? spacesObject->getIf<PlistArray>() : nullptr;
    if (spaces == nullptr)
        return std::nullopt;
    std::vector<SpaceRecord> records;
    records.reserve(spaces->size());
    for (const PlistObject& space : *spaces) {
        if (!space.is(PlistObject::Kind::dictionary))
            return std::nullopt;
        const auto spaceID = integerOf(space.find(platform::managedSpaceIDKey));
        if (!spaceID)
            return std::nullopt;
        const PlistObject* layout = space.find(platform::tileLayoutManagerKey);
        const bool fullscreen = layout != nullptr && layout->is(PlistObject::Kind::dictionary);
        records.push_back({.spaceID = *spaceID,
                           .isCurrent = *spaceID == *current,
                           .type = fullscreen ? MissionControlSpaceType::fullscreen
                                              : MissionControlSpaceType::desktop});
    }
    return std::pair(std::string(*identifier), std::move(records));
}

// Posts a left-button mouse event with no modifiers to the common stream; false when it could not
// be made.
bool postMouse(platform::CGEventType type, CGPoint location) {
    auto event = platform::eventCreateMouseEvent(type, location, platform::CGMouseButton::left);
    if (!event)
        return false;
    applyModifierFlags(*event, {});
    platform::eventPost(platform::CGEventTapLocation::hid, *event);
    return true;
}

void postMouseAndPause(platform::CGEventType type, CGPoint location) {
    if (postMouse(type, location))
        platform::sleepFor(syntheticEventDelay);
}

}  // namespace

namespace {

struct Connection {
    platform::CGSConnectionID id = platform::cgsDefaultConnection();
};

}  // namespace

platform::CGSConnectionID windowServerConnection() {
    return platform::processPart<Connection>().id;
}

ManagedDisplaySpaces copyManagedDisplaySpaces() {
    ManagedDisplaySpaces result;
    const auto answer = platform::cgsCopyManagedDisplaySpaces(windowServerConnection());
    const auto* displays = answer ? answer->getIf<PlistArray>() : nullptr;
    if (displays == nullptr)
        return result;
    for (const PlistObject& display : *displays) {
        if (auto parsed = parseDisplay(display))
            result.insert_or_assign(std::move(parsed->first), std::move(parsed->second));
    }
    return result;
}

bool isMissionControlShowing() {
    const auto dock = Application::applicationForBundleIdentifier(dockBundleIdentifier);
    if (!dock)
        return false;
    const auto children = dock->children();
    return std::any_of(children.begin(), children.end(), [](const UIElementRef& child) {
        const auto title = child->title();
        return title == missionControlTitle || title == appExposeTitle;
    });
}

std::shared_ptr<MissionControlSpace> MissionControlSpace::make(const UIElementRef& element) {
    if (!element || !isMissionControlShowing() || element->role() != Role::button)
        return nullptr;
    UIElementRef current = element;
    int budget = parentWalkBudget;
    while (true) {
        if (current->role() == Role::application || budget == 0)
            return nullptr;
        --budget;
        const UIElementRef parent = current->parent();
        // Without a parent the walk stays put and spends its budget.
        if (!parent)
            continue;
        if (parent->title() == spacesBarTitle)
            return std::make_shared<MissionControlSpace>(Passkey{}, element->element());
        current = parent;
    }
}

MissionControlSpace::MissionControlSpace(Passkey, platform::ax::Element element)
    : UIElement(element) {}

bool MissionControlSpace::isMovable(const Screen& screen) const {
    const auto buttons = spaceButtons(screen);
    if (buttons.empty())
        return false;
    return movableAmong(element(), buttons, copyManagedDisplaySpaces(), screen);
}

std::optional<Screen> MissionControlSpace::missionControlSpaceAction(Direction direction,
                                                                     const Screen& screen) {
    const std::optional<Screen> target = neighbourScreen(screen, direction);
    if (!target)
        return std::nullopt;
    const auto overview = missionControlElement();
    if (!overview)
        return std::nullopt;
    const auto descendants = overview->descendants();
    const auto sourceButtons = spaceButtons(descendants, screen);
    const auto targetButtons = spaceButtons(descendants, *target);
    if (!movableAmong(element(), sourceButtons, copyManagedDisplaySpaces(), screen))
        return std::nullopt;
    if (targetButtons.empty())
        return target;
    auto self = std::static_pointer_cast<MissionControlSpace>(shared_from_this());
    axQueue().async([self, button = targetButtons.back(), screen = *target] {
        self->dragSpaceToScreen(button, screen);
    });
    return target;
}

void MissionControlSpace::dragSpaceToScreen(const UIElementRef& target, const Screen& screen) {
    using platform::CGEventType;
    const CGRect start = frame();
    const CGPoint from{start.midX(), start.minY() + 10};
    const CGRect drop =
        target ? target->attribute<CGRect>(Attribute::frame).value_or(CGRect{}) : CGRect{};
    // Half a button beyond the last one: the bar takes the space at its end.
    const CGPoint to{drop.maxX() + drop.width() * 0.5, drop.midY()};

    platform::sleepFor(syntheticEventDelay);
    postMouseAndPause(CGEventType::mouseMoved, from);
    platform::sleepFor(syntheticEventDelay);
    postMouseDrag(from, {to.x - from.x, to.y - from.y}, 0.0001);
    platform::sleepFor(syntheticEventDelay);
    postMouseAndPause(CGEventType::leftMouseDown, to);
    platform::sleepFor(syntheticEventDelay);
    postMouseAndPause(CGEventType::leftMouseUp, to);
    platform::sleepFor(syntheticEventDelay);
    const CGPoint centre{screen.axFrame.midX(), screen.axFrame.midY()};
    postMouseAndPause(CGEventType::mouseMoved, centre);
    platform::sleepFor(0.2);
    const UIElementRef element = SystemWide::shared()->elementAtPosition(centre.x, centre.y);
    platform::sleepFor(0.2);
    if (!element)
        return;
    if (const auto application = element->application()) {
        platform::activate(application->nsApp(), platform::activateIgnoringOtherApps);
        // Nobody waits for the activation; its failure is dropped.
        attempt(activationRetries, activationRetryDelay, [application](int n) {
            return application->activationCheck(n, true);
        }).handleError([](const platform::ErrorRef&) {});
        application->setAttribute(Attribute::frontmost, platform::ax::Value(true));
    }
}

}  // namespace zoral::desktop

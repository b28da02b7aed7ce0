#include "desktop/ui_element.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "desktop/application.h"
#include "desktop/conversation.h"
#include "desktop/window.h"
#include "platform/date.h"
#include "platform/dispatch_time.h"
#include "platform/output.h"
#include "platform/scheduler.h"
#include "platform/workspace.h"

namespace zoral::desktop {

namespace ax = platform::ax;
using platform::CGPoint;
using platform::CGRect;
using platform::CGSize;

namespace {

// The longest chain of parents that is walked.
constexpr int maximumAncestors = 20;
constexpr double delayedActionSeconds = 0.01;

// The raising reads' rule: the value; no value for NoValue and AttributeUnsupported; AXError for
// every other code.
template <class T>
std::optional<T> valueOrRaise(const ax::Result<T>& result) {
    if (result.ok())
        return result.value();
    if (result.error() == ax::noValue || result.error() == ax::attributeUnsupported)
        return std::nullopt;
    AXError::raise(result.error());
}

// The raising writes' and actions' rule: AXError for every code but success.
void raiseFailure(ax::Error code) {
    if (code != ax::success)
        AXError::raise(code);
}

// Seconds as the log prints them: the shortest text that reads back the same, with a fraction.
std::string secondsText(double seconds) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, seconds);
    std::string text(buffer, result.ptr);
    if (std::isfinite(seconds) && text.find_first_of(".e") == std::string::npos)
        text += ".0";
    return text;
}

std::string_view roleName(std::optional<Role> role) {
    return role ? platform::rawValue(*role) : std::string_view("AXNullElement");
}

ax::Error errorOf(ax::Error code) {
    return code;
}

template <class T>
ax::Error errorOf(const ax::Result<T>& result) {
    return result.error();
}

// The conversation a call of the element goes out in (conversation.h): the open one, else, on the
// main thread, the element's own.
std::shared_ptr<ConversationRecord> conversationOf(const UIElement& element) {
    auto record = Conversation::open();
    if (!record && platform::isMainThread())
        record = element.conversation();
    return record;
}

// The call as its conversation allows it: not at all to an application it gave up on, else
// waiting at most its patience. A CannotComplete after that wait is a time-out, and the
// application is asked nothing more; one that comes sooner is the application refusing this one
// question, not a sign that it stopped answering.
template <class Call>
auto converse(const UIElement& element, Call&& call) -> decltype(call()) {
    const auto record = conversationOf(element);
    if (!record)
        return call();
    const auto owner = element.pid();
    if (owner && record->hasGivenUpOn(*owner))
        return ax::cannotComplete;
    const float own = element.messagingTimeout();
    const float timeout = own > 0 ? std::min(own, Conversation::patience) : Conversation::patience;
    if (timeout != own)
        (void)ax::setMessagingTimeout(element.element(), timeout);
    const double start = platform::uptimeSeconds();
    auto result = call();
    if (timeout != own)
        (void)ax::setMessagingTimeout(element.element(), own);
    // The system-wide element (process 0) is served by the system, not by one application.
    if (errorOf(result) == ax::cannotComplete && owner && *owner > 0 &&
        platform::uptimeSeconds() - start >= timeout / 2) {
        record->giveUpOn(*owner);
    }
    return result;
}

// A read in its conversation: the answer kept from an earlier read, else the call's, kept.
template <class Call>
auto recall(const UIElement& element, std::string_view attribute, Call&& call) -> decltype(call()) {
    const auto record = conversationOf(element);
    if (record) {
        if (auto kept = record->kept<decltype(call())>(element.element(), attribute))
            return std::move(*kept);
    }
    auto result = converse(element, std::forward<Call>(call));
    if (record)
        record->keep(element.element(), attribute, result);
    return result;
}

}  // namespace

const platform::DispatchQueue& axQueue() {
    static const platform::DispatchQueue queue("AXQueue", platform::DispatchQoS::unspecified,
                                               platform::DispatchQueue::Attributes::concurrent);
    return queue;
}

UIElement::UIElement(ax::Element element)
    : element_(element), conversation_(Conversation::open()) {}

void UIElement::joinConversationOf(const UIElement& source) {
    if (auto record = source.conversation())
        conversation_ = std::move(record);
}

void UIElement::keepConversation(std::shared_ptr<ConversationRecord> record) {
    conversation_ = record;
    keptConversation_ = std::move(record);
}

void UIElement::setMessagingTimeout(float seconds) {
    // NaN is no time-out either: the platform would refuse it and keep the old one.
    messagingTimeout_ = seconds > 0 ? seconds : 0;
    (void)ax::setMessagingTimeout(element_, messagingTimeout_);
}

// --- Reads

ax::Result<ax::Value> UIElement::copyAttributeValue(std::string_view name) const {
    return recall(*this, name, [&] { return ax::copyAttributeValue(element_, name); });
}

ax::Result<UnpackedValue> UIElement::tryAttributeValue(std::string_view name) const {
    const ax::Result<ax::Value> result = copyAttributeValue(name);
    if (!result.ok())
        return result.error();
    return unpackValue(result.value());
}

std::optional<UnpackedValue> UIElement::attributeValueByName(std::string_view name) const {
    return valueOrRaise(tryAttributeValue(name));
}

std::optional<UnpackedValue> UIElement::attributeValue(Attribute attribute) const {
    return tryAttributeValue(platform::rawValue(attribute)).optional();
}

std::optional<ax::Url> UIElement::urlAttribute(std::string_view name) const {
    return attributeByName<ax::Url>(name);
}

std::optional<std::vector<UIElementRef>> UIElement::elementsAttribute(std::string_view name) const {
    return attributeByName<std::vector<UIElementRef>>(name);
}

std::optional<bool> UIElement::boolAttribute(std::string_view name) const {
    return attributeByName<bool>(name);
}

UIElementRef UIElement::elementAttribute(std::string_view name) const {
    return attributeByName<UIElementRef>(name).value_or(nullptr);
}

std::optional<CGPoint> UIElement::pointAttribute(std::string_view name) const {
    return attributeByName<CGPoint>(name);
}

std::optional<CGSize> UIElement::sizeAttribute(std::string_view name) const {
    return attributeByName<CGSize>(name);
}

std::optional<CGRect> UIElement::rectAttribute(std::string_view name) const {
    return attributeByName<CGRect>(name);
}

ax::Result<bool> UIElement::tryIsSettable(std::string_view name) const {
    return recall(*this, name, [&] { return ax::isAttributeSettable(element_, name); });
}

bool UIElement::isSettableByName(std::string_view name) const {
    return valueOrRaise(tryIsSettable(name)).value_or(false);
}

bool UIElement::isSettable(Attribute attribute) const {
    return tryIsSettable(platform::rawValue(attribute)).optional().value_or(false);
}

std::map<std::string, AttributeDump> UIElement::dumpAttributes() const {
    std::map<std::string, AttributeDump> dump;
    const auto names = converse(*this, [&] { return ax::copyAttributeNames(element_); });
    if (!names.ok())
        return dump;
    for (const std::string& name : names.value()) {
        AttributeDump entry;
        if (const auto value = copyAttributeValue(name); value.ok())
            entry.value = unpackValue(value.value());
        if (const auto settable = tryIsSettable(name); settable.ok())
            entry.settable = settable.value();
        dump.insert_or_assign(name, std::move(entry));
    }
    return dump;
}

// --- Writes

ax::Error UIElement::trySetAttribute(std::string_view name, const ax::Value& value) {
    if (const auto record = conversationOf(*this))
        record->forgetAnswers();
    return converse(*this, [&] { return ax::setAttributeValue(element_, name, value); });
}

void UIElement::setAttributeByName(std::string_view name, const ax::Value& value) {
    raiseFailure(trySetAttribute(name, value));
}

void UIElement::setAttribute(Attribute attribute, const ax::Value& value) {
    // The case-typed forms leave failures to the caller's next read.
    (void)trySetAttribute(platform::rawValue(attribute), value);
}

void UIElement::setAttributeAfter(Attribute attribute, ax::Value value, double delay) {
    axQueue().asyncAfter(platform::DispatchTime::now() + delay,
                         [self = shared_from_this(), attribute, value = std::move(value)] {
                             self->setAttribute(attribute, value);
                         });
}

void UIElement::setSizeAndPosition(double x, double y, double width, double height) {
    setAttribute(Attribute::size, CGSize{width, height});
    setAttribute(Attribute::position, CGPoint{x, y});
    setAttribute(Attribute::size, CGSize{width, height});
}

UnpackedValue UIElement::unpackValue(const ax::Value& value) {
    return std::visit(
        [](const auto& held) -> UnpackedValue {
            using Held = std::decay_t<decltype(held)>;
            if constexpr (std::is_same_v<Held, ax::Element>) {
                return std::make_shared<UIElement>(held);
            } else if constexpr (std::is_same_v<Held, ax::ErrorValue>) {
                return AXError(static_cast<std::int32_t>(held.code));
            } else {
                return held;
            }
        },
        value.storage());
}

CGRect UIElement::frame() const {
    return attribute<CGRect>(Attribute::frame).value_or(CGRect());
}

void UIElement::setFrame(const CGRect& frame) {
    setSizeAndPosition(frame.origin.x, frame.origin.y, frame.size.width, frame.size.height);
}

CGPoint UIElement::position() const {
    return attribute<CGPoint>(Attribute::position).value_or(CGPoint());
}

void UIElement::setPosition(const CGPoint& position) {
    setAttribute(Attribute::position, position);
}

CGSize UIElement::size() const {
    return attribute<CGSize>(Attribute::size).value_or(CGSize());
}

void UIElement::setSize(const CGSize& size) {
    setAttribute(Attribute::size, size);
}

// --- Actions

std::vector<AXAction> UIElement::actions() const {
    std::vector<AXAction> actions;
    const auto names = converse(*this, [&] { return ax::copyActionNames(element_); });
    if (!names.ok())
        return actions;
    for (const std::string& name : names.value()) {
        if (const auto action = platform::fromRawValue<AXAction>(name))
            actions.push_back(*action);
    }
    return actions;
}

ax::Error UIElement::tryPerformAction(std::string_view name) {
    if (const auto record = conversationOf(*this))
        record->forgetAnswers();
    return converse(*this, [&] { return ax::performAction(element_, name); });
}

void UIElement::performActionByName(std::string_view name) {
    raiseFailure(tryPerformAction(name));
}

bool UIElement::performAction(AXAction action) {
    return tryPerformAction(platform::rawValue(action)) == ax::success;
}

void UIElement::performActionAfter(AXAction action) {
    axQueue().asyncAfter(
        platform::DispatchTime::now() + delayedActionSeconds,
        [self = shared_from_this(), action] { (void)self->performAction(action); });
}

// --- Identity and position

std::optional<platform::ProcessId> UIElement::pid() const {
    return ax::getPid(element_).optional();
}

std::optional<std::int64_t> UIElement::windowNumber() const {
    const auto number = converse(*this, [&] { return ax::getWindow(element_); });
    if (!number.ok())
        return std::nullopt;
    return static_cast<std::int64_t>(number.value());
}

UIElementRef UIElement::elementAtPosition(float x, float y) const {
    const ax::Result<ax::Element> result =
        converse(*this, [&] { return ax::copyElementAtPosition(element_, x, y); });
    if (!result.ok() || !result.value())
        return nullptr;
    auto found = std::make_shared<UIElement>(result.value());
    found->joinConversationOf(*this);
    return found;
}

std::string UIElement::description() const {
    const std::optional<Role> ownRole = role();
    const std::optional<platform::ProcessId> ownPid = pid();
    std::string name;
    if (ownRole == Role::window) {
        const auto* asWindow = dynamic_cast<const Window*>(this);
        name = "id=" + std::to_string(asWindow != nullptr ? asWindow->id() : 0) + " " +
               title().value_or("-");
    } else if (ownRole == Role::application) {
        const auto* asApplication = dynamic_cast<const Application*>(this);
        name = asApplication != nullptr ? asApplication->bundleIdentifier().value_or("-") : "-";
    } else {
        name = title().value_or("-");
    }
    return "<" + std::string(roleName(ownRole)) +
           " pid=" + (ownPid ? std::to_string(*ownPid) : std::string("?")) + " " + name + ">";
}

// --- Relations

std::optional<std::string> UIElement::title() const {
    return title_.get([this] { return attribute<std::string>(Attribute::title); });
}

void UIElement::setTitle(std::optional<std::string> title) {
    title_.set(std::move(title));
}

std::optional<Role> UIElement::role() const {
    return role_.get([this]() -> std::optional<Role> {
        const auto raw = attribute<std::string>(Attribute::role);
        return raw ? platform::fromRawValue<Role>(*raw) : std::nullopt;
    });
}

void UIElement::setRole(std::optional<Role> role) {
    role_.set(role);
}

std::optional<Subrole> UIElement::subrole() const {
    return subrole_.get([this]() -> std::optional<Subrole> {
        const auto raw = attribute<std::string>(Attribute::subrole);
        return raw ? platform::fromRawValue<Subrole>(*raw) : std::nullopt;
    });
}

void UIElement::setSubrole(std::optional<Subrole> subrole) {
    subrole_.set(subrole);
}

UIElementRef UIElement::parent() const {
    return parent_.get(
        [this] { return attribute<UIElementRef>(Attribute::parent).value_or(nullptr); });
}

void UIElement::setParent(UIElementRef parent) {
    parent_.set(std::move(parent));
}

std::vector<UIElementRef> UIElement::ancestors() const {
    return ancestors_.get([this] { return computeAncestors(); });
}

void UIElement::setAncestors(std::vector<UIElementRef> ancestors) {
    ancestors_.set(std::move(ancestors));
}

std::vector<UIElementRef> UIElement::computeAncestors() const {
    const platform::Date start = platform::Date::now();
    std::vector<UIElementRef> chain;
    const UIElement* current = this;
    for (int steps = 0;; ++steps) {
        if (current->role() == Role::application || steps >= maximumAncestors)
            break;
        UIElementRef next = current->parent();
        if (!next)
            break;
        chain.push_back(next);
        current = chain.back().get();
    }
    platform::output::printLine("AXAncestors retrieved in " +
                                secondsText(platform::Date::now() - start));
    return chain;
}

UIElementRef UIElement::firstAncestor(int maxDepth, bool includeSelf,
                                      const std::function<bool(const UIElement&)>& predicate) {
    if (includeSelf && predicate(*this))
        return shared_from_this();
    int budget = std::max(maxDepth, 0);
    UIElementRef current = shared_from_this();
    while (current->role() != Role::application && budget > 0) {
        --budget;
        UIElementRef next = current->parent();
        if (!next)
            return nullptr;
        if (predicate(*next))
            return next;
        current = std::move(next);
    }
    return nullptr;
}

std::vector<UIElementRef> UIElement::children() const {
    return children_.get([this] {
        return attribute<std::vector<UIElementRef>>(Attribute::children)
            .value_or(std::vector<UIElementRef>());
    });
}

void UIElement::setChildren(std::vector<UIElementRef> children) {
    children_.set(std::move(children));
}

std::vector<UIElementRef> UIElement::descendants() const {
    return descendants_.get([this] {
        std::vector<UIElementRef> all = children();
        const std::size_t childCount = all.size();
        for (std::size_t index = 0; index < childCount; ++index) {
            const std::vector<UIElementRef> grandchildren = all[index]->children();
            all.insert(all.end(), grandchildren.begin(), grandchildren.end());
        }
        return all;
    });
}

void UIElement::setDescendants(std::vector<UIElementRef> descendants) {
    descendants_.set(std::move(descendants));
}

std::shared_ptr<Application> UIElement::application() const {
    return application_.get([this]() -> std::shared_ptr<Application> {
        const auto ownPid = pid();
        if (!ownPid || *ownPid <= 0)
            return nullptr;
        const auto record = platform::runningApplicationWithProcessIdentifier(*ownPid);
        auto application = record ? Application::make(*record) : nullptr;
        if (application)
            application->joinConversationOf(*this);
        return application;
    });
}

void UIElement::setApplication(std::shared_ptr<Application> application) {
    application_.set(std::move(application));
}

std::shared_ptr<Window> UIElement::window() const {
    return window_.get([this] { return computeWindow(); });
}

void UIElement::setWindow(std::shared_ptr<Window> window) {
    window_.set(std::move(window));
}

std::shared_ptr<Window> UIElement::computeWindow() const {
    if (role() == Role::window)
        return Window::make(*this);
    if (const auto enclosing = attribute<UIElementRef>(Attribute::window).value_or(nullptr)) {
        if (auto built = Window::make(*enclosing))
            return built;
    }
    for (const UIElementRef& ancestor : ancestors()) {
        if (ancestor->role() == Role::window)
            return Window::make(*ancestor);
    }
    return nullptr;
}

}  // namespace zoral::desktop

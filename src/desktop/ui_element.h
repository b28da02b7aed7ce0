#pragma once

// One element of another application's accessibility tree: typed reads and writes of its
// attributes, its actions, and relations (title, role, parent, ancestors, children, application,
// window) that are read once and then cached. Base of the whole desktop model.
//
// The error rule: the primary forms (tryAttributeValue, tryIsSettable, trySetAttribute,
// tryPerformAction) never raise and answer with the code of every failure. Built on them, reads
// and settable tests by name give no value (or false) for NoValue and AttributeUnsupported and
// raise every other code as AXError; writes and actions by name raise every code; the forms that
// take an Attribute or AXAction case, and the cached relations, never raise.
//
// Elements are held by std::shared_ptr; a null pointer is no element. Everything runs on the
// main thread except the delayed writes and actions, which run on axQueue() and touch only the
// accessibility interface, never the caches. Every call goes out as the conversation open on the
// main thread, or else the element's own, allows it (conversation.h).

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

#include "desktop/ax_error.h"
#include "desktop/ax_vocabulary.h"
#include "platform/accessibility.h"
#include "platform/dispatch.h"
#include "platform/geometry.h"

namespace zoral::desktop {

class UIElement;
class Application;
class Window;
class ConversationRecord;

using UIElementRef = std::shared_ptr<UIElement>;

// The process-wide concurrent queue "AXQueue" of delayed writes and actions.
const platform::DispatchQueue& axQueue();

// A value read from an element, made plain: elements wrapped as UIElement, geometry and ranges
// opened, error values as AXError; strings, booleans, numbers, URLs and arrays as they came.
using UnpackedValue =
    std::variant<std::string, bool, std::int64_t, double, platform::ax::Url, platform::CGPoint,
                 platform::CGSize, platform::CGRect, platform::ax::Range, UIElementRef, AXError,
                 platform::ax::Value::Array>;

// One attribute in a diagnostic dump; a part that could not be read is absent.
struct AttributeDump {
    std::optional<UnpackedValue> value;
    std::optional<bool> settable;
};

namespace detail {
template <class T>
struct IsVector : std::false_type {};
template <class U>
struct IsVector<std::vector<U>> : std::true_type {};

// Numbers convert only when they keep their value, as the system's bridging does.
inline constexpr double twoToThe63 = 9223372036854775808.0;

template <class T>
std::optional<T> exactNumber(std::int64_t number) {
    if constexpr (std::is_integral_v<T>) {
        return std::in_range<T>(number) ? std::optional<T>(static_cast<T>(number)) : std::nullopt;
    } else {
        const T converted = static_cast<T>(number);
        if (!(static_cast<double>(converted) < twoToThe63) ||
            static_cast<std::int64_t>(converted) != number)
            return std::nullopt;
        return converted;
    }
}

template <class T>
std::optional<T> exactNumber(double number) {
    if constexpr (std::is_integral_v<T>) {
        if (!(number >= -twoToThe63 && number < twoToThe63))
            return std::nullopt;
        const auto integer = static_cast<std::int64_t>(number);
        if (static_cast<double>(integer) != number)
            return std::nullopt;
        return exactNumber<T>(integer);
    } else {
        const T converted = static_cast<T>(number);
        if (static_cast<double>(converted) != number)
            return std::nullopt;
        return converted;
    }
}
}  // namespace detail

// The value as the requested type: the variant's own kinds, numbers converted when they keep
// their value, and vectors of any of these from arrays whose every item converts.
template <class T>
std::optional<T> valueAs(const UnpackedValue& value);

class UIElement : public std::enable_shared_from_this<UIElement> {
public:
    explicit UIElement(platform::ax::Element element);
    virtual ~UIElement() = default;
    UIElement(const UIElement&) = delete;
    UIElement& operator=(const UIElement&) = delete;

    platform::ax::Element element() const { return element_; }

    // Seconds; 0 is the platform's default. Values of 0 or less (and NaN) are stored as 0.
    float messagingTimeout() const { return messagingTimeout_; }
    void setMessagingTimeout(float seconds);

    // --- Reads
    // The value, or the code of the failure (NoValue and AttributeUnsupported included).
    platform::ax::Result<UnpackedValue> tryAttributeValue(std::string_view name) const;
    // Raises AXError for every code but NoValue and AttributeUnsupported.
    std::optional<UnpackedValue> attributeValueByName(std::string_view name) const;
    // Never raises.
    std::optional<UnpackedValue> attributeValue(Attribute attribute) const;
    template <class T>
    std::optional<T> attributeByName(std::string_view name) const {
        const auto value = attributeValueByName(name);
        return value ? adopted(valueAs<T>(*value)) : std::nullopt;
    }
    template <class T>
    std::optional<T> attribute(Attribute attribute) const {
        const auto value = attributeValue(attribute);
        return value ? adopted(valueAs<T>(*value)) : std::nullopt;
    }

    // By name these raise like the reads.
    std::optional<platform::ax::Url> urlAttribute(std::string_view name) const;
    std::optional<std::vector<UIElementRef>> elementsAttribute(std::string_view name) const;
    std::optional<bool> boolAttribute(std::string_view name) const;
    UIElementRef elementAttribute(std::string_view name) const;
    std::optional<platform::CGPoint> pointAttribute(std::string_view name) const;
    std::optional<platform::CGSize> sizeAttribute(std::string_view name) const;
    std::optional<platform::CGRect> rectAttribute(std::string_view name) const;

    // Whether the attribute can be written, or the code of the failure.
    platform::ax::Result<bool> tryIsSettable(std::string_view name) const;
    // Raises like the reads.
    bool isSettableByName(std::string_view name) const;
    // Never raises.
    bool isSettable(Attribute attribute) const;

    std::map<std::string, AttributeDump> dumpAttributes() const;

    // --- Writes
    // The code the write answers with; success is 0.
    platform::ax::Error trySetAttribute(std::string_view name, const platform::ax::Value& value);
    // Raises AXError for every non-zero code.
    void setAttributeByName(std::string_view name, const platform::ax::Value& value);
    // Never raises.
    void setAttribute(Attribute attribute, const platform::ax::Value& value);
    // Writes on axQueue after `delay` seconds; the element and the value are kept until then.
    void setAttributeAfter(Attribute attribute, platform::ax::Value value, double delay);
    // Size, then position, then size again, so that a window too large to move first gets there.
    void setSizeAndPosition(double x, double y, double width, double height);

    // The value a write passes for an element of the model.
    static platform::ax::Value makeAXValue(const UIElement& element) { return element.element(); }
    static UnpackedValue unpackValue(const platform::ax::Value& value);

    // Zero when the element has none.
    platform::CGRect frame() const;
    void setFrame(const platform::CGRect& frame);
    platform::CGPoint position() const;
    void setPosition(const platform::CGPoint& position);
    platform::CGSize size() const;
    void setSize(const platform::CGSize& size);

    // --- Actions
    // The element's actions that are cases of AXAction, in its order; empty when the call fails.
    std::vector<AXAction> actions() const;
    // The code the action answers with; success is 0.
    platform::ax::Error tryPerformAction(std::string_view name);
    // Raises AXError for every non-zero code.
    void performActionByName(std::string_view name);
    // Whether the action succeeded; never raises.
    bool performAction(AXAction action);
    // Performs the action on axQueue 0.01 s from now.
    void performActionAfter(AXAction action);

    // --- Identity and position
    std::optional<platform::ProcessId> pid() const;
    // The window server's number of the window this element is, asked of its application in its
    // conversation; none when it cannot tell (not a window, gone, not answering).
    std::optional<std::int64_t> windowNumber() const;
    // The element at a point (top-left origin) as this element finds it; no element on failure.
    UIElementRef elementAtPosition(float x, float y) const;
    // "<" role " pid=" pid " " name ">", e.g. "<AXWindow pid=12 id=34 ->".
    std::string description() const;
    friend bool operator==(const UIElement& a, const UIElement& b) {
        return a.element_ == b.element_;
    }

    // --- The conversation the element belongs to (conversation.h)
    // The one open when it was made, or the one of the element it was read from; none once over.
    std::shared_ptr<ConversationRecord> conversation() const { return conversation_.lock(); }
    // Joins the conversation of the element this one was read from, when that one has one.
    void joinConversationOf(const UIElement& source);
    // Keeps the conversation going for as long as this element lives: what a gesture found keeps
    // the gesture's conversation.
    void keepConversation(std::shared_ptr<ConversationRecord> record);

    // --- Relations, read once and then cached; assigning replaces the cached value
    std::optional<std::string> title() const;
    void setTitle(std::optional<std::string> title);
    std::optional<Role> role() const;
    void setRole(std::optional<Role> role);
    std::optional<Subrole> subrole() const;
    void setSubrole(std::optional<Subrole> subrole);
    UIElementRef parent() const;
    void setParent(UIElementRef parent);
    // Nearest parent first, at most 20, up to and including the application element.
    std::vector<UIElementRef> ancestors() const;
    void setAncestors(std::vector<UIElementRef> ancestors);
    // The nearest element of the parent chain (the element itself first, when asked) for which
    // the predicate holds, searching at most `maxDepth` parents and never past the application.
    UIElementRef firstAncestor(int maxDepth, bool includeSelf,
                               const std::function<bool(const UIElement&)>& predicate);
    std::vector<UIElementRef> children() const;
    void setChildren(std::vector<UIElementRef> children);
    // The children, then each child's children; no deeper.
    std::vector<UIElementRef> descendants() const;
    void setDescendants(std::vector<UIElementRef> descendants);
    std::shared_ptr<Application> application() const;
    void setApplication(std::shared_ptr<Application> application);
    std::shared_ptr<Window> window() const;
    void setWindow(std::shared_ptr<Window> window);

private:
    // Elements read from this one belong to its conversation.
    template <class T>
    std::optional<T> adopted(std::optional<T> value) const {
        if constexpr (std::is_same_v<T, UIElementRef>) {
            if (value && *value)
                (*value)->joinConversationOf(*this);
        } else if constexpr (std::is_same_v<T, std::vector<UIElementRef>>) {
            if (value) {
                for (const UIElementRef& element : *value) {
                    if (element)
                        element->joinConversationOf(*this);
                }
            }
        }
        return value;
    }

    // The raw read, as the open conversation allows it.
    platform::ax::Result<platform::ax::Value> copyAttributeValue(std::string_view name) const;

    // A cached relation: not yet read, or read (possibly with no value).
    template <class T>
    class Lazy {
    public:
        template <class Compute>
        T get(Compute&& compute) const {
            if (!value_)
                value_.emplace(compute());
            return *value_;
        }
        void set(T value) { value_.emplace(std::move(value)); }

    private:
        mutable std::optional<T> value_;
    };

    std::vector<UIElementRef> computeAncestors() const;
    std::shared_ptr<Window> computeWindow() const;

    const platform::ax::Element element_;
    float messagingTimeout_ = 0;
    std::weak_ptr<ConversationRecord> conversation_;
    std::shared_ptr<ConversationRecord> keptConversation_;
    Lazy<std::optional<std::string>> title_;
    Lazy<std::optional<Role>> role_;
    Lazy<std::optional<Subrole>> subrole_;
    Lazy<UIElementRef> parent_;
    Lazy<std::vector<UIElementRef>> ancestors_;
    Lazy<std::vector<UIElementRef>> children_;
    Lazy<std::vector<UIElementRef>> descendants_;
    Lazy<std::shared_ptr<Application>> application_;
    Lazy<std::shared_ptr<Window>> window_;
};

template <class T>
std::optional<T> valueAs(const UnpackedValue& value) {
    if constexpr (detail::IsVector<T>::value && !std::is_same_v<T, platform::ax::Value::Array>) {
        const auto* array = std::get_if<platform::ax::Value::Array>(&value);
        if (array == nullptr)
            return std::nullopt;
        T result;
        result.reserve(array->size());
        for (const platform::ax::Value& item : *array) {
            auto converted = valueAs<typename T::value_type>(UIElement::unpackValue(item));
            if (!converted)
                return std::nullopt;
            result.push_back(std::move(*converted));
        }
        return result;
    } else if constexpr (std::is_arithmetic_v<T> && !std::is_same_v<T, bool>) {
        if (const auto* integer = std::get_if<std::int64_t>(&value))
            return detail::exactNumber<T>(*integer);
        if (const auto* real = std::get_if<double>(&value))
            return detail::exactNumber<T>(*real);
        return std::nullopt;
    } else {
        const auto* held = std::get_if<T>(&value);
        return held != nullptr ? std::optional<T>(*held) : std::nullopt;
    }
}

}  // namespace zoral::desktop

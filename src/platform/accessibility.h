#pragma once

// The accessibility interface, in the program's own words: element references,
// attribute reads and writes, actions, hit tests, messaging time-outs, the
// trust check and observers. Calls answer with the system's result codes.
//
// Only the declarations live here. On this machine the simulated desktop
// (sim/) defines them; every call is one round trip to another process on the
// real system, and the simulation counts and charges each one.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/geometry.h"
#include "platform/run_loop.h"

namespace zoral::platform {

using ProcessId = std::int32_t;

namespace ax {

// Result codes of the accessibility interface. A type of its own, so that a
// code never passes for a process identifier; any other code can be made with
// a cast.
enum Error : std::int32_t {
    success = 0,
    failure = -25200,
    illegalArgument = -25201,
    invalidUIElement = -25202,
    invalidUIElementObserver = -25203,
    cannotComplete = -25204,
    attributeUnsupported = -25205,
    actionUnsupported = -25206,
    notificationUnsupported = -25207,
    notImplemented = -25208,
    notificationAlreadyRegistered = -25209,
    notificationNotRegistered = -25210,
    apiDisabled = -25211,
    noValue = -25212,
    parameterizedAttributeUnsupported = -25213,
    notEnoughPrecision = -25214,
};

// A reference to one element of some process's accessibility tree. References
// to the same element are equal and hash alike; a null reference is none.
class Element {
public:
    constexpr Element() = default;
    explicit constexpr Element(std::uint64_t identifier) : identifier_(identifier) {}

    constexpr std::uint64_t identifier() const { return identifier_; }
    constexpr explicit operator bool() const { return identifier_ != 0; }
    friend constexpr bool operator==(Element, Element) = default;

private:
    std::uint64_t identifier_ = 0;
};

struct Url {
    std::string text;
    friend bool operator==(const Url&, const Url&) = default;
};

struct Range {
    std::int64_t location = 0;
    std::int64_t length = 0;
    friend constexpr bool operator==(const Range&, const Range&) = default;
};

// An error carried as a value (the value kind the interface calls "AXError").
struct ErrorValue {
    Error code = success;
    friend constexpr bool operator==(const ErrorValue&, const ErrorValue&) = default;
};

// One value as the interface passes it: strings, booleans, numbers, URLs, the
// geometry values, ranges, elements, errors and arrays of values.
class Value {
public:
    using Array = std::vector<Value>;
    using Storage = std::variant<std::string, bool, std::int64_t, double, Url, CGPoint, CGSize,
                                 CGRect, Range, Element, ErrorValue, Array>;

    Value() : storage_(std::string()) {}
    template <class T>
    requires std::is_constructible_v<Storage, T&&> &&
        (!std::is_same_v<std::remove_cvref_t<T>, Value>)&&(
            !std::is_same_v<std::remove_cvref_t<T>, int>)Value(T&& value)
        : storage_(std::forward<T>(value)) {}
    // Plain integers are 64-bit numbers, never booleans.
    Value(int value) : storage_(static_cast<std::int64_t>(value)) {}
    Value(const char* text) : storage_(std::string(text)) {}
    Value(std::string_view text) : storage_(std::string(text)) {}

    const Storage& storage() const { return storage_; }
    template <class T>
    const T* getIf() const {
        return std::get_if<T>(&storage_);
    }

    friend bool operator==(const Value&, const Value&) = default;

private:
    Storage storage_;
};

using Info = std::map<std::string, Value, std::less<>>;

// An answer, or the result code that says why there is none.
template <class T>
class Result {
public:
    Result(T value) : value_(std::move(value)) {}
    Result(Error error) : error_(error) {}

    Error error() const { return error_; }
    bool ok() const { return error_ == success; }
    // Asking an error for its value is a programming error: it throws.
    const T& value() const { return value_.value(); }
    const std::optional<T>& optional() const { return value_; }

private:
    Error error_ = success;
    std::optional<T> value_;
};

Element createSystemWide();
Element createApplication(ProcessId pid);

Result<Value> copyAttributeValue(Element element, std::string_view attribute);
Result<std::vector<std::string>> copyAttributeNames(Element element);
Result<bool> isAttributeSettable(Element element, std::string_view attribute);
Error setAttributeValue(Element element, std::string_view attribute, const Value& value);
Result<std::vector<std::string>> copyActionNames(Element element);
Error performAction(Element element, std::string_view action);
Result<ProcessId> getPid(Element element);
// The window server's number of the window the element is: one round trip to
// its application, whatever the number of windows on the desktop. An element
// that is not a top-level window has none (illegalArgument).
Result<std::uint32_t> getWindow(Element element);
// Asked of the system-wide element it searches every application; asked of an
// application's element, only that application.
Result<Element> copyElementAtPosition(Element element, float x, float y);
// Seconds; 0 restores the default. Set on the system-wide element it becomes
// the default of every element.
Error setMessagingTimeout(Element element, float seconds);

bool isProcessTrusted();
// With `prompt` the system asks the user for the permission when it is missing.
bool isProcessTrustedWithOptions(bool prompt);

// Observers: one per observed process. Notifications arrive through the
// observer's run-loop source, as later main-run-loop work, and never after the
// registration is removed or the observer released. The user data is held
// weakly; an expired one reaches the callback as expired.
class Observer;
using ObserverRef = std::shared_ptr<Observer>;
using ObserverUserData = std::weak_ptr<void>;
using ObserverCallback = std::function<void(const ObserverRef& observer, Element element,
                                            const std::string& notification, const Info& info,
                                            const ObserverUserData& userData)>;

Result<ObserverRef> observerCreateWithInfoCallback(ProcessId pid, ObserverCallback callback);
Error observerAddNotification(const ObserverRef& observer, Element element,
                              std::string_view notification, ObserverUserData userData);
Error observerRemoveNotification(const ObserverRef& observer, Element element,
                                 std::string_view notification);
std::shared_ptr<RunLoopSource> observerGetRunLoopSource(const ObserverRef& observer);

}  // namespace ax
}  // namespace zoral::platform

template <>
struct std::hash<zoral::platform::ax::Element> {
    std::size_t operator()(zoral::platform::ax::Element element) const noexcept {
        return std::hash<std::uint64_t>{}(element.identifier());
    }
};

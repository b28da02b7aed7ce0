#pragma once

// The accessibility interface's result codes, raised as a typed error. Any 32-bit code can be
// carried, including codes the table does not name: those describe themselves as
// "AXError.UnknownDefault".

#include <array>
#include <cstdint>
#include <string_view>
#include <utility>

#include "platform/accessibility.h"
#include "platform/error.h"

namespace zoral::desktop {

// The codes are the platform's own; this names the type as the program raises it.
using AXErrorCode = platform::ax::Error;

// Every named code with the name its description carries.
inline constexpr std::array<std::pair<AXErrorCode, std::string_view>, 16> axErrorNames{{
    {platform::ax::success, "Success"},
    {platform::ax::failure, "Failure"},
    {platform::ax::illegalArgument, "IllegalArgument"},
    {platform::ax::invalidUIElement, "InvalidUIElement"},
    {platform::ax::invalidUIElementObserver, "InvalidUIElementObserver"},
    {platform::ax::cannotComplete, "CannotComplete"},
    {platform::ax::attributeUnsupported, "AttributeUnsupported"},
    {platform::ax::actionUnsupported, "ActionUnsupported"},
    {platform::ax::notificationUnsupported, "NotificationUnsupported"},
    {platform::ax::notImplemented, "NotImplemented"},
    {platform::ax::notificationAlreadyRegistered, "NotificationAlreadyRegistered"},
    {platform::ax::notificationNotRegistered, "NotificationNotRegistered"},
    {platform::ax::apiDisabled, "APIDisabled"},
    {platform::ax::noValue, "NoValue"},
    {platform::ax::parameterizedAttributeUnsupported, "ParameterizedAttributeUnsupported"},
    {platform::ax::notEnoughPrecision, "NotEnoughPrecision"},
}};

// The name of a code; "UnknownDefault" for a code the table does not hold.
constexpr std::string_view axErrorName(std::int32_t code) {
    for (const auto& [known, name] : axErrorNames) {
        if (static_cast<std::int32_t>(known) == code)
            return name;
    }
    return "UnknownDefault";
}

class AXError : public platform::Error {
public:
    static constexpr std::string_view errorDomain = "ApplicationServices.AXError";

    explicit AXError(std::int32_t code);
    explicit AXError(AXErrorCode code) : AXError(static_cast<std::int32_t>(code)) {}

    std::int32_t axCode() const { return code_; }
    // The code as a case; a code the table does not name converts to a value of no case.
    AXErrorCode errorCode() const { return static_cast<AXErrorCode>(code_); }

    // Throws the code as an AXError.
    [[noreturn]] static void raise(std::int32_t code);
    [[noreturn]] static void raise(AXErrorCode code) { raise(static_cast<std::int32_t>(code)); }

private:
    std::int32_t code_;
};

}  // namespace zoral::desktop

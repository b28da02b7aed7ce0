#include "desktop/ax_error.h"

#include <cstdint>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "platform/error.h"

namespace zoral::desktop {
namespace {

TEST(AXError, DescriptionNamesTheCode) {
    const std::vector<std::pair<std::int32_t, std::string>> cases = {
        {0, "Success"},
        {-25200, "Failure"},
        {-25201, "IllegalArgument"},
        {-25202, "InvalidUIElement"},
        {-25203, "InvalidUIElementObserver"},
        {-25204, "CannotComplete"},
        {-25205, "AttributeUnsupported"},
        {-25206, "ActionUnsupported"},
        {-25207, "NotificationUnsupported"},
        {-25208, "NotImplemented"},
        {-25209, "NotificationAlreadyRegistered"},
        {-25210, "NotificationNotRegistered"},
        {-25211, "APIDisabled"},
        {-25212, "NoValue"},
        {-25213, "ParameterizedAttributeUnsupported"},
        {-25214, "NotEnoughPrecision"},
        // Codes of no name.
        {-1, "UnknownDefault"},
        {1, "UnknownDefault"},
        {-25199, "UnknownDefault"},
        {-25215, "UnknownDefault"},
        {std::numeric_limits<std::int32_t>::min(), "UnknownDefault"},
    };
    for (const auto& [code, name] : cases) {
        const AXError error(code);
        EXPECT_EQ(error.description(), "AXError." + name) << code;
        EXPECT_STREQ(error.what(), ("AXError." + name).c_str());
        EXPECT_EQ(error.domain(), "ApplicationServices.AXError");
        EXPECT_EQ(error.code(), code);
        EXPECT_EQ(error.axCode(), code);
    }
}

TEST(AXError, NamedCodesCarryTheirNumbers) {
    EXPECT_EQ(AXError(AXErrorCode::noValue).axCode(), -25212);
    EXPECT_EQ(AXError(AXErrorCode::attributeUnsupported).axCode(), -25205);
    EXPECT_EQ(AXError(AXErrorCode::cannotComplete).axCode(), -25204);
    EXPECT_EQ(AXError(AXErrorCode::invalidUIElement).axCode(), -25202);
    EXPECT_EQ(AXError(AXErrorCode::apiDisabled).axCode(), -25211);
    EXPECT_EQ(AXError(AXErrorCode::actionUnsupported).axCode(), -25206);
    EXPECT_EQ(AXError(-25209).errorCode(), AXErrorCode::notificationAlreadyRegistered);
}

TEST(AXError, RaisedErrorIsCaughtAsItselfAndAsAnError) {
    try {
        AXError::raise(-25204);
        FAIL() << "raise returned";
    } catch (const AXError& error) {
        EXPECT_EQ(error.errorCode(), AXErrorCode::cannotComplete);
    }
    try {
        AXError::raise(AXErrorCode::apiDisabled);
    } catch (...) {
        const platform::ErrorRef error = platform::currentError();
        ASSERT_NE(dynamic_cast<const AXError*>(error.get()), nullptr);
        EXPECT_EQ(error->code(), -25211);
        EXPECT_EQ(error->description(), "AXError.APIDisabled");
    }
}

}  // namespace
}  // namespace zoral::desktop

#include "platform/error.h"

#include <memory>
#include <stdexcept>
#include <string>
#include <thread>

#include <gtest/gtest.h>

namespace zoral::platform {
namespace {

// A typed error as later subsystems define them: fixed domain, its own members.
class LookupError : public Error {
public:
    explicit LookupError(const std::string& missingKey)
        : Error("Zoral.LookupError", 7, "No value for " + missingKey), key(missingKey) {}
    std::string key;
};

TEST(ErrorModel, MadeErrorHoldsDomainCodeAndDescription) {
    const ErrorRef error = makeError("PropertyLists", 4, "The file could not be saved.");
    EXPECT_EQ(error->domain(), "PropertyLists");
    EXPECT_EQ(error->code(), 4);
    EXPECT_EQ(error->description(), "The file could not be saved.");
    EXPECT_STREQ(error->what(), "The file could not be saved.");
}

TEST(ErrorModel, ThrownErrorIsCaughtAsTheSameObject) {
    const ErrorRef error = makeError("Test", 1, "thrown");
    ErrorRef caught;
    try {
        throwError(error);
    } catch (...) {
        caught = currentError();
    }
    EXPECT_EQ(caught, error);
}

TEST(ErrorModel, ThrownErrorCanBeCaughtAsStandardException) {
    try {
        throwError(makeError("Test", 1, "seen through what()"));
    } catch (const std::exception& exception) {
        EXPECT_STREQ(exception.what(), "seen through what()");
    }
}

TEST(ErrorModel, TypedErrorThrownByValueKeepsItsTypeAndIdentity) {
    ErrorRef first;
    ErrorRef second;
    try {
        throw LookupError("snapFrame");
    } catch (...) {
        first = currentError();
        second = currentError();
    }
    // The error outlives the catch block.
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first, second);
    const auto typed = std::dynamic_pointer_cast<const LookupError>(first);
    ASSERT_NE(typed, nullptr);
    EXPECT_EQ(typed->key, "snapFrame");
    EXPECT_EQ(first->domain(), "Zoral.LookupError");
    EXPECT_EQ(first->code(), 7);
    EXPECT_EQ(first->description(), "No value for snapFrame");
}

TEST(ErrorModel, StoredExceptionKeepsIdentityAcrossThreads) {
    const ErrorRef error = makeError("Test", 2, "across threads");
    std::exception_ptr stored;
    std::thread([&] {
        try {
            throwError(error);
        } catch (...) {
            stored = std::current_exception();
        }
    }).join();
    EXPECT_EQ(errorFromException(stored), error);
}

TEST(ErrorModel, ForeignExceptionsBecomeNewErrors) {
    struct Case {
        std::exception_ptr exception;
        std::string_view domain;
        std::string description;
    };
    const Case cases[] = {
        {std::make_exception_ptr(std::runtime_error("boom")), standardExceptionDomain, "boom"},
        {std::make_exception_ptr(42), unknownExceptionDomain, "Unknown exception"},
    };
    for (const auto& c : cases) {
        const ErrorRef error = errorFromException(c.exception);
        ASSERT_NE(error, nullptr);
        EXPECT_EQ(error->domain(), c.domain);
        EXPECT_EQ(error->code(), 0);
        EXPECT_EQ(error->description(), c.description);
    }
}

TEST(ErrorModel, NoExceptionGivesNoError) {
    EXPECT_EQ(errorFromException(nullptr), nullptr);
    EXPECT_EQ(currentError(), nullptr);
}

}  // namespace
}  // namespace zoral::platform

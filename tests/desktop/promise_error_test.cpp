#include "desktop/promise_error.h"

#include <vector>

#include <gtest/gtest.h>

#include "platform/error.h"
#include "promises/promises_error.h"

namespace zoral::desktop {
namespace {

TEST(PromiseError, EqualWhenSameCaseAndForGenericSameMessage) {
    const std::vector<PromiseError> values = {
        PromiseError::generic("a"), PromiseError::generic("b"), PromiseError::generic(""),
        PromiseError::default_(),   PromiseError::cancel(),
    };
    for (std::size_t i = 0; i < values.size(); ++i) {
        for (std::size_t j = 0; j < values.size(); ++j)
            EXPECT_EQ(values[i] == values[j], i == j) << i << " " << j;
    }
    EXPECT_EQ(PromiseError::generic("a"), PromiseError::generic("a"));
    // An empty generic message is still no default.
    EXPECT_NE(PromiseError::generic(""), PromiseError::default_());
}

TEST(PromiseError, DomainCodeAndDescription) {
    const PromiseError generic = PromiseError::generic("no window");
    EXPECT_EQ(generic.domain(), "Zoral.PromiseError");
    EXPECT_EQ(generic.code(), 0);
    EXPECT_EQ(generic.description(), "PromiseError.generic(no window)");
    EXPECT_EQ(generic.message(), "no window");
    EXPECT_EQ(PromiseError::default_().code(), 1);
    EXPECT_EQ(PromiseError::default_().description(), "PromiseError.default");
    EXPECT_EQ(PromiseError::cancel().code(), 2);
    EXPECT_EQ(PromiseError::cancel().description(), "PromiseError.cancel");
}

TEST(PromiseError, TravelsAsAnErrorAndIsFoundAgain) {
    try {
        platform::throwError(PromiseError::makeGeneric("lost"));
    } catch (...) {
        const platform::ErrorRef error = platform::currentError();
        const PromiseError* found = promiseErrorOf(error);
        ASSERT_NE(found, nullptr);
        EXPECT_EQ(*found, PromiseError::generic("lost"));
    }
    try {
        throw PromiseError::cancel();
    } catch (...) {
        const PromiseError* found = promiseErrorOf(platform::currentError());
        ASSERT_NE(found, nullptr);
        EXPECT_EQ(found->kind(), PromiseError::Kind::cancel);
    }
    EXPECT_EQ(promiseErrorOf(platform::makeError("Other", 1, "other")), nullptr);
    EXPECT_EQ(promiseErrorOf(nullptr), nullptr);
}

// Handlers that let cancellations pass must still see the program's own cancel.
TEST(PromiseError, CancelIsNoCancellationToThePromiseLibrary) {
    EXPECT_FALSE(promises::countsAsCancelled(PromiseError::makeCancel()));
    EXPECT_FALSE(promises::countsAsCancelled(PromiseError::makeDefault()));
    EXPECT_FALSE(promises::countsAsCancelled(PromiseError::makeGeneric("x")));
}

}  // namespace
}  // namespace zoral::desktop

#include "promises/configuration.h"

#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/dispatch.h"
#include "platform/error.h"
#include "promises/promise.h"
#include "promises/promises_error.h"
#include "promises_fixture.h"

namespace zoral::promises {
namespace {

using platform::DispatchQueue;
using ::testing::ElementsAre;
using PromisesConfigurationTest = testing::PromisesTest;

TEST_F(PromisesConfigurationTest, StartsWithTheMainQueueAndLetsCancellationsPass) {
    const PromisesConfiguration fresh;
    EXPECT_EQ(fresh.mapQueue, DispatchQueue::main());
    EXPECT_EQ(fresh.returnQueue, DispatchQueue::main());
    EXPECT_EQ(fresh.catchPolicy, CatchPolicy::allErrorsExceptCancellation);

    const PromisesConfiguration shared = promiseConfiguration();
    EXPECT_EQ(shared.mapQueue, DispatchQueue::main());
    EXPECT_EQ(shared.returnQueue, DispatchQueue::main());
    EXPECT_EQ(shared.catchPolicy, CatchPolicy::allErrorsExceptCancellation);
    shared.logHandler(LogEvent::pendingPromiseDeallocated());
    EXPECT_THAT(lines(), ElementsAre(testing::pendingPromiseLine));
}

TEST_F(PromisesConfigurationTest, DefaultLogHandlerPrintsOneLinePerEvent) {
    const std::vector<std::pair<LogEvent, std::string>> cases = {
        {LogEvent::waitOnMainThread(), "Promises: warning: `wait()` called on main thread!"},
        {LogEvent::pendingPromiseDeallocated(), "Promises: warning: pending promise deallocated"},
        {LogEvent::pendingGuaranteeDeallocated(),
         "Promises: warning: pending guarantee deallocated"},
        {LogEvent::cauterized(failure(3)), "Promises:cauterized-error: failure 3"},
    };
    for (const auto& [event, line] : cases) {
        clearOutput();
        defaultLogHandler(event);
        EXPECT_THAT(lines(), ElementsAre(line));
    }
}

TEST_F(PromisesConfigurationTest, ReportsGoToTheHandlerInstalledNow) {
    std::vector<LogEvent::Kind> seen;
    auto configuration = promiseConfiguration();
    configuration.logHandler = [&](const LogEvent& event) { seen.push_back(event.kind()); };
    setPromiseConfiguration(configuration);
    { auto dropped = Promise<int>::makePendingPair(); }
    EXPECT_THAT(seen, ElementsAre(LogEvent::Kind::pendingPromiseDeallocated));
    EXPECT_TRUE(lines().empty());
}

TEST_F(PromisesConfigurationTest, ErrorTexts) {
    using Kind = PromisesError::Kind;
    const std::vector<std::pair<ErrorRef, std::string>> cases = {
        {PromisesError::flatMap<int>(std::string("abc")), "Could not `flatMap<int>`: abc"},
        {PromisesError::compactMap<double>(12), "Could not `compactMap<double>`: 12"},
        {PromisesError::invalidCallingConvention(),
         "A closure was called with an invalid calling convention, probably (nil, nil)"},
        {PromisesError::returnedSelf(), "A promise handler returned itself"},
        {PromisesError::badInput(), "Bad input was provided to a Promises function"},
        {PromisesError::cancelled(), "The asynchronous sequence was cancelled"},
        {PromisesError::emptySequence(),
         "The first or last element was requested for an empty sequence"},
        {PromisesError::noWinner(), "All thenables passed to race(fulfilled:) were rejected"},
    };
    for (const auto& [error, text] : cases) {
        const auto& own = dynamic_cast<const PromisesError&>(*error);
        EXPECT_EQ(own.description(), text);
        EXPECT_EQ(own.debugDescription(), text);
        EXPECT_EQ(own.localizedDescription(), text);
        EXPECT_STREQ(own.what(), text.c_str());
    }
    const auto& compact = dynamic_cast<const PromisesError&>(*cases[1].first);
    EXPECT_EQ(compact.kind(), Kind::compactMap);
    EXPECT_EQ(std::any_cast<int>(compact.value()), 12);
    EXPECT_EQ(compact.targetType(), std::type_index(typeid(double)));
}

// An error type of another module that says for itself whether it is a cancellation.
class StopError : public platform::Error, public CancellableError {
public:
    explicit StopError(bool cancelled) : Error("Stop", 0, "stop"), cancelled_(cancelled) {}
    bool countsAsCancelled() const override { return cancelled_; }

private:
    bool cancelled_;
};

// Like the desktop model's own error: its cancel case is no cancellation to the promises.
class DesktopLikeError : public platform::Error {
public:
    enum class Case { generic, default_, cancel };
    explicit DesktopLikeError(Case c) : Error("DesktopLikeError", static_cast<int>(c), "desktop") {}
};

// The system's cancellation errors by their domains and codes.
TEST_F(PromisesConfigurationTest, CancellationTest) {
    const std::vector<std::pair<ErrorRef, bool>> cases = {
        {PromisesError::cancelled(), true},
        {PromisesError::badInput(), false},
        {std::make_shared<const StopError>(true), true},
        {std::make_shared<const StopError>(false), false},
        {platform::makeError("NSURLErrorDomain", -999, "cancelled"), true},
        {platform::makeError("NSURLErrorDomain", -1001, "timed out"), false},
        {platform::makeError("NSCocoaErrorDomain", 3072, "user cancelled"), true},
        {platform::makeError("NSCocoaErrorDomain", 4, "no file"), false},
        {platform::makeError("SKErrorDomain", 2, "payment cancelled"), true},
        {platform::makeError("SKErrorDomain", 1, "not allowed"), false},
        {platform::makeError("Other", 2, "other"), false},
        {std::make_shared<const DesktopLikeError>(DesktopLikeError::Case::cancel), false},
        {std::make_shared<const DesktopLikeError>(DesktopLikeError::Case::default_), false},
        {nullptr, false},
    };
    for (const auto& [error, cancelled] : cases) {
        SCOPED_TRACE(error ? error->domain() + " " + std::to_string(error->code()) : "null");
        EXPECT_EQ(countsAsCancelled(error), cancelled);
    }
}

}  // namespace
}  // namespace zoral::promises

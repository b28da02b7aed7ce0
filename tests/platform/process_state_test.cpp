#include "platform/process_state.h"

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

namespace zoral::platform {
namespace {

// What the parts below did, kept by the test past the reset that destroys the parts.
using Lines = std::vector<std::string>;
struct Log {
    std::shared_ptr<Lines> lines = std::make_shared<Lines>();
};

void note(const std::string& line) {
    processPart<Log>().lines->push_back(line);
}

struct Counter {
    int value = 0;
};

struct Alpha {
    Alpha() { note("make Alpha"); }
    ~Alpha() { note("destroy Alpha"); }
};

// Made after Alpha has been asked for, inside its own constructor.
struct Beta {
    Beta() {
        (void)processPart<Alpha>();
        note("make Beta");
    }
    ~Beta() { note("destroy Beta"); }
};

// Asks, while it goes, for parts that a reset destroys before it when they were made after it.
struct Gamma {
    ~Gamma() {
        processPart<Counter>().value = 1;
        note("destroy Gamma");
    }
};

TEST(ProcessStateTest, APartIsMadeOnceAndEachTypeIsAPartOfItsOwn) {
    ProcessState state;
    processPart<Counter>().value = 7;
    EXPECT_EQ(processPart<Counter>().value, 7);
    EXPECT_EQ(&processPart<Counter>(), &state.part<Counter>());
    EXPECT_NE(static_cast<void*>(&processPart<Counter>()), static_cast<void*>(&processPart<Log>()));
    EXPECT_EQ(state.partCount(), 2u);
}

TEST(ProcessStateTest, AResetDestroysEveryPartLastFinishedFirstAndTheyComeBackNew) {
    ProcessState state;
    const auto lines = processPart<Log>().lines;
    (void)processPart<Beta>();
    processPart<Counter>().value = 5;
    ASSERT_EQ(*lines, (Lines{"make Alpha", "make Beta"}));

    state.reset();
    // Beta used Alpha while it was made, so Beta goes first; the log it wrote to outlived both.
    EXPECT_EQ(*lines, (Lines{"make Alpha", "make Beta", "destroy Beta", "destroy Alpha"}));
    EXPECT_EQ(state.partCount(), 0u);
    EXPECT_EQ(processPart<Counter>().value, 0);
    EXPECT_NE(processPart<Log>().lines, lines);
}

TEST(ProcessStateTest, APartAskedForDuringTheResetGoesInTheSameReset) {
    ProcessState state;
    (void)processPart<Gamma>();
    const auto lines = processPart<Log>().lines;
    processPart<Counter>().value = 2;

    state.reset();
    // Gamma went last and brought back a Counter and a Log, which went after it.
    EXPECT_TRUE(lines->empty()) << "Gamma wrote to a Log made after the first had gone";
    EXPECT_EQ(state.partCount(), 0u);
    EXPECT_EQ(processPart<Counter>().value, 0);
}

TEST(ProcessStateTest, AStateIsTheProcessesWhileItLivesAndTheOneBeforeComesBack) {
    ProcessState& outer = ProcessState::current();
    processPart<Counter>().value = 3;
    {
        ProcessState inner;
        EXPECT_EQ(&ProcessState::current(), &inner);
        EXPECT_EQ(processPart<Counter>().value, 0);
        processPart<Counter>().value = 4;
    }
    EXPECT_EQ(&ProcessState::current(), &outer);
    EXPECT_EQ(processPart<Counter>().value, 3);
}

TEST(ProcessStateTest, ThreadsAskingAtOnceShareOnePart) {
    struct Made {
        Made() { processPart<Counter>().value += 1; }
    };
    ProcessState state;
    std::atomic<bool> go{false};
    std::vector<std::thread> threads;
    std::vector<Made*> seen(8, nullptr);
    for (std::size_t i = 0; i < seen.size(); ++i) {
        threads.emplace_back([&, i] {
            while (!go.load()) {
            }
            seen[i] = &processPart<Made>();
        });
    }
    go = true;
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(processPart<Counter>().value, 1);
    for (Made* part : seen)
        EXPECT_EQ(part, &processPart<Made>());
}

}  // namespace
}  // namespace zoral::platform

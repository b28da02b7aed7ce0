// Event streams of a name's shortcut, and the stream they are built on.

#include <optional>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "shortcuts/async_stream.h"
#include "shortcuts/global_shortcuts.h"
#include "shortcuts/key_event_streams.h"
#include "shortcuts/shortcuts_fixture.h"

namespace zoral::shortcuts::testing {
namespace {

using namespace GlobalShortcuts;

class KeyEventStreams : public ShortcutsTest {};

TEST_F(KeyEventStreams, StreamsDeliverTheirKindsInOrder) {
    const Name name("name");
    storeShortcut(commandSpace, name);
    auto both = keyEventStream(name);
    auto releases = filteredKeyEventStream(EventType::keyUp, name);
    auto presses = keyTriggerStream(EventType::keyDown, name);
    scheduler().runUntilIdle();

    for (int round = 0; round < 2; ++round) {
        press(commandSpace);
        release(commandSpace);
    }

    std::vector<EventType> events;
    while (auto event = both.poll())
        events.push_back(*event);
    using enum EventType;
    EXPECT_EQ(events, (std::vector<EventType>{keyDown, keyUp, keyDown, keyUp}));
    EXPECT_EQ(releases.poll(), keyUp);
    EXPECT_EQ(releases.poll(), keyUp);
    EXPECT_EQ(releases.poll(), std::nullopt);
    EXPECT_TRUE(presses.poll());
    EXPECT_TRUE(presses.poll());
    EXPECT_FALSE(presses.poll());
}

TEST_F(KeyEventStreams, AStreamRegistersTheShortcutAndItsEndReleasesIt) {
    const Name name("name");
    platform::UserDefaults::standard().setObject(
        platform::PlistObject::string(R"({"carbonKeyCode":49,"carbonModifiers":256})"),
        "GlobalShortcuts_name");
    {
        auto stream = keyEventStream(name);
        EXPECT_TRUE(hotKeys().registrations().empty())
            << "its table changes wait for the main queue";
        scheduler().runUntilIdle();
        EXPECT_EQ(registeredShortcuts(), std::unordered_set<Shortcut>{commandSpace});
        EXPECT_EQ(keyDownContinuations().at(name).size(), 1u);
    }
    scheduler().runUntilIdle();
    EXPECT_TRUE(keyDownContinuations().empty()) << "emptied entries go";
    EXPECT_TRUE(keyUpContinuations().empty());
    EXPECT_TRUE(registeredShortcuts().empty());
    EXPECT_TRUE(hotKeys().registrations().empty());
}

TEST_F(KeyEventStreams, AnEndedStreamKeepsTheShortcutThatOthersStillUse) {
    const Name name("name");
    const Name other("other");
    storeShortcut(commandSpace, name);
    storeShortcut(commandSpace, other);
    auto kept = keyTriggerStream(EventType::keyUp, name);
    auto handled = keyTriggerStream(EventType::keyDown, other);
    attachKeyUpHandler(other, [] {});
    {
        auto ended = keyEventStream(name);
        scheduler().runUntilIdle();
    }
    scheduler().runUntilIdle();
    EXPECT_TRUE(registeredShortcuts().contains(commandSpace)) << "another stream of the name";

    kept.cancel();
    scheduler().runUntilIdle();
    EXPECT_TRUE(registeredShortcuts().contains(commandSpace)) << "a stream of another name";
    handled.cancel();
    scheduler().runUntilIdle();
    EXPECT_TRUE(registeredShortcuts().contains(commandSpace)) << "a handler of another name";
    EXPECT_EQ(hotKeys().registrations().size(), 1u);
}

TEST_F(KeyEventStreams, AStreamMadeOffTheMainThreadJoinsOnTheMainQueue) {
    const Name name("name");
    storeShortcut(commandSpace, name);
    std::optional<AsyncStream<promises::Unit>> stream;
    std::thread([&] { stream.emplace(keyTriggerStream(EventType::keyDown, name)); }).join();
    EXPECT_TRUE(keyDownContinuations().empty());
    scheduler().runUntilIdle();
    press(commandSpace);
    EXPECT_TRUE(stream->poll());

    // Its end, also from another thread, changes the tables on the main queue.
    std::thread([&] { stream.reset(); }).join();
    EXPECT_EQ(keyDownContinuations().size(), 1u);
    scheduler().runUntilIdle();
    EXPECT_TRUE(keyDownContinuations().empty());
}

TEST_F(KeyEventStreams, NextSettlesWithTheNextValueOrWithNoneAtTheEnd) {
    std::optional<AsyncStream<int>::Continuation> producer;
    int terminations = 0;
    AsyncStream<int> stream([&](const AsyncStream<int>::Continuation& continuation) {
        producer = continuation;
        continuation.setOnTermination([&] { ++terminations; });
    });

    producer->yield(1);
    EXPECT_EQ(stream.next().currentResult()->value(), 1) << "a buffered value at once";

    auto waiting = stream.next();
    EXPECT_FALSE(waiting.currentResult());
    producer->yield(2);
    producer->yield(3);
    EXPECT_EQ(waiting.currentResult()->value(), 2);

    auto last = stream.next();
    EXPECT_EQ(last.currentResult()->value(), 3);
    auto pending = stream.next();
    stream.cancel();
    EXPECT_EQ(pending.currentResult()->value(), std::nullopt);
    EXPECT_EQ(terminations, 1);

    // Ended: values handed later are dropped, and cancelling again does nothing.
    producer->yield(4);
    EXPECT_EQ(stream.next().currentResult()->value(), std::nullopt);
    stream.cancel();
    EXPECT_EQ(terminations, 1);
}

TEST_F(KeyEventStreams, AFilterAppliesToBufferedAndLaterValues) {
    std::optional<AsyncStream<int>::Continuation> producer;
    AsyncStream<int> source([&](const auto& continuation) { producer = continuation; });
    producer->yield(1);
    producer->yield(2);
    AsyncStream<int> even = std::move(source).filter([](int value) { return value % 2 == 0; });
    producer->yield(3);
    producer->yield(4);
    EXPECT_EQ(even.poll(), 2);
    EXPECT_EQ(even.poll(), 4);
    EXPECT_EQ(even.poll(), std::nullopt);
    EXPECT_TRUE(source.isTerminated()) << "the moved-from stream is nothing";
    EXPECT_FALSE(even.isTerminated());
}

}  // namespace
}  // namespace zoral::shortcuts::testing

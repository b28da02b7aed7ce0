#include "sim/system_commands.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/dispatch.h"
#include "platform/process_launcher.h"
#include "platform/shell.h"
#include "platform/updater.h"
#include "sim/journal.h"
#include "sim/world.h"
#include "support/virtual_clock.h"

namespace zoral::sim {
namespace {

class SystemCommandsTest : public zoral::testing::VirtualClockTest {
protected:
    std::vector<JournalEntry> journal() const { return Journal::of(*world).entries(); }

    ScopedWorld world;
};

TEST_F(SystemCommandsTest, DisplaySleepCommandSleepsThenWakesAndHoldsTheCallerAsLongAsItLasts) {
    const ScopedSystemCommands commands;
    double finishedAt = -1;
    double otherWorkAt = -1;
    platform::DispatchQueue::main().async([&] {
        const auto result =
            platform::shell::run("pmset displaysleepnow; sleep 0.2; caffeinate -u -t 1");
        EXPECT_EQ(result.output, "");
        EXPECT_EQ(result.exitStatus, 0);
        finishedAt = platform::uptimeSeconds();
    });
    // Main-queue work that is ready meanwhile waits for the command.
    platform::DispatchQueue::main().asyncAfter(platform::DispatchTime::now() + 0.1,
                                               [&] { otherWorkAt = platform::uptimeSeconds(); });
    scheduler().advance(5);
    EXPECT_DOUBLE_EQ(finishedAt, 1.2);
    EXPECT_DOUBLE_EQ(otherWorkAt, 1.2);
    EXPECT_EQ(journal(),
              (std::vector<JournalEntry>{DisplaySleep{0, true}, DisplaySleep{0.2, false}}));
    EXPECT_FALSE(DisplayPower::of(*world).asleep());
}

TEST_F(SystemCommandsTest, CommandsTheSystemDoesNotKnowGoToTheRunnerBefore) {
    const platform::shell::ScopedRecorder recorder({"recorded\n", 3});
    const ScopedSystemCommands commands;
    const std::vector<std::string> unknown{"echo hello", "pmset displaysleepnow; rm -rf /tmp/x",
                                           "sleep soon", "caffeinate -u -t", "pmset displaysleep"};
    for (const auto& command : unknown) {
        const auto result = platform::shell::run(command);
        EXPECT_EQ(result.output, "recorded\n") << command;
        EXPECT_EQ(result.exitStatus, 3) << command;
    }
    EXPECT_EQ(recorder.commands(), unknown);
    // Not a part of a refused command ran.
    EXPECT_TRUE(journal().empty());
}

TEST_F(SystemCommandsTest, LaunchesAreRecordedWithTheirArgumentsUntouched) {
    scheduler().advance(2);
    const platform::ProcessLaunch launch{
        .executable = "/opt/a \"b\" $HOME `id`/zoral", .arguments = {"--x", "$(id)"}, .delay = 0.5};
    platform::launchProcess(launch);
    EXPECT_EQ(journal(), std::vector<JournalEntry>{(ProcessLaunched{2, launch})});
}

TEST_F(SystemCommandsTest, WithoutAnUpdaterEverythingReadsEmptyAndWritesAreLost) {
    EXPECT_FALSE(platform::updater::exists());
    platform::updater::setFeedURL("https://example.org/feed");
    platform::updater::setAutomaticallyChecksForUpdates(true);
    platform::updater::setUpdateCheckInterval(60);
    EXPECT_EQ(platform::updater::feedURL(), std::nullopt);
    EXPECT_FALSE(platform::updater::automaticallyChecksForUpdates());
    EXPECT_EQ(platform::updater::updateCheckInterval(), 0);
    EXPECT_FALSE(Updater::of(*world).state());

    Updater::of(*world).setState(Updater::State{});
    platform::updater::setFeedURL("https://example.org/feed");
    platform::updater::setUpdateCheckInterval(60);
    EXPECT_EQ(platform::updater::feedURL(), "https://example.org/feed");
    EXPECT_EQ(platform::updater::updateCheckInterval(), 60);
}

TEST_F(SystemCommandsTest, TheUpdaterChecksWhenAskedAndByItselfEveryIntervalAfterItsLastCheck) {
    using Check = Updater::Check;
    const std::string feed = "https://example.org/feed";
    platform::updater::checkForUpdates();
    EXPECT_TRUE(Updater::of(*world).checks().empty()) << "no updater, no check";

    Updater::of(*world).setState(Updater::State{.feedURL = feed, .updateCheckInterval = 100});
    scheduler().advance(1000);
    EXPECT_TRUE(Updater::of(*world).checks().empty()) << "automatic checks are off";

    // t=1000: on; the first automatic check comes one interval later.
    platform::updater::setAutomaticallyChecksForUpdates(true);
    scheduler().advance(150);
    // t=1150: the user checks; the next automatic one counts from there.
    platform::updater::setFeedURL(feed + "-beta");
    platform::updater::checkForUpdates();
    scheduler().advance(99);
    EXPECT_EQ(Updater::of(*world).checks(),
              (std::vector<Check>{{1100, feed, false}, {1150, feed + "-beta", true}}));
    scheduler().advance(1);
    // t=1250: a new interval starts the schedule again.
    platform::updater::setUpdateCheckInterval(30);
    scheduler().advance(65);
    // t=1315: off; nothing more comes.
    platform::updater::setAutomaticallyChecksForUpdates(false);
    scheduler().advance(1000);
    EXPECT_EQ(Updater::of(*world).checks(), (std::vector<Check>{{1100, feed, false},
                                                                {1150, feed + "-beta", true},
                                                                {1250, feed + "-beta", false},
                                                                {1280, feed + "-beta", false},
                                                                {1310, feed + "-beta", false}}));
}

}  // namespace
}  // namespace zoral::sim

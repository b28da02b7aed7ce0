#include "platform/shell.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zoral::platform {
namespace {

using ::testing::ElementsAre;

TEST(Shell, EchoGivesWhatItPrinted) {
    EXPECT_EQ(shell::run("echo hello").output, "hello\n");
    EXPECT_EQ(shell::run("printf 'caf\\xc3\\xa9'").output, "caf\xc3\xa9");
}

TEST(Shell, OnlyStandardOutputIsRead) {
    EXPECT_EQ(shell::run("echo out; echo err >&2").output, "out\n");
}

TEST(Shell, FailingCommandStillGivesWhatItPrinted) {
    const auto result = shell::run("echo partial; exit 3");
    EXPECT_EQ(result.output, "partial\n");
    EXPECT_EQ(result.exitStatus, 3);
    EXPECT_EQ(shell::run("no-such-command-anywhere 2>/dev/null").exitStatus, 127);
}

TEST(Shell, CommandEndedBySignalReportsSignalPlus128) {
    EXPECT_EQ(shell::run("echo before; kill -TERM $$").exitStatus, 128 + 15);
}

TEST(Shell, OutputThatIsNotUtf8GivesEmptyText) {
    const auto result = shell::run("printf 'ok\\xff'");
    EXPECT_EQ(result.output, "");
    EXPECT_EQ(result.exitStatus, 0);
}

TEST(Shell, LargeOutputIsReadToItsEnd) {
    // Far more than a pipe holds: the command finishes only if the reader drains the pipe.
    const auto result = shell::run("head -c 300000 /dev/zero | tr '\\0' x; echo end");
    ASSERT_EQ(result.output.size(), 300000u + 4u);
    EXPECT_EQ(result.output.find_first_not_of('x'), 300000u);
    EXPECT_EQ(result.output.substr(300000), "end\n");
    EXPECT_EQ(result.exitStatus, 0);
}

std::size_t openDescriptorCount() {
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry :
         std::filesystem::directory_iterator("/proc/self/fd")) {
        ++count;
    }
    return count;
}

TEST(Shell, LeavesNoChildAndNoOpenDescriptorBehind) {
    const auto descriptorsBefore = openDescriptorCount();
    shell::run("echo one");
    shell::run("exit 1");
    EXPECT_EQ(openDescriptorCount(), descriptorsBefore);
    // Every child has been waited for: none is left to reap.
    errno = 0;
    EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
}

TEST(Shell, ConcurrentRunsEachGetTheirOwnOutput) {
    constexpr int threadCount = 4;
    constexpr int runsPerThread = 5;
    std::vector<std::vector<std::string>> outputs(threadCount);
    std::vector<std::thread> threads;
    for (int t = 0; t < threadCount; ++t) {
        threads.emplace_back([t, &outputs] {
            for (int i = 0; i < runsPerThread; ++i) {
                outputs[static_cast<std::size_t>(t)].push_back(
                    shell::run("echo " + std::to_string(t) + "-" + std::to_string(i)).output);
            }
        });
    }
    for (auto& thread : threads) {
        thread.join();
    }
    for (int t = 0; t < threadCount; ++t) {
        for (int i = 0; i < runsPerThread; ++i) {
            EXPECT_EQ(outputs[static_cast<std::size_t>(t)][static_cast<std::size_t>(i)],
                      std::to_string(t) + "-" + std::to_string(i) + "\n");
        }
    }
}

TEST(Shell, RecorderRecordsCommandsInsteadOfRunningThem) {
    const auto marker = std::filesystem::temp_directory_path() /
                        ("zoral-shell-recorder-" + std::to_string(::getpid()));
    std::filesystem::remove(marker);
    const std::string touch = "touch '" + marker.string() + "'";
    {
        shell::ScopedRecorder recorder({"canned\n", 0});
        EXPECT_EQ(shell::run(touch).output, "canned\n");
        recorder.setAnswer({"", 1});
        EXPECT_EQ(shell::run("pmset displaysleepnow; sleep 0.2; caffeinate -u -t 1").exitStatus, 1);
        EXPECT_THAT(recorder.commands(),
                    ElementsAre(touch, "pmset displaysleepnow; sleep 0.2; caffeinate -u -t 1"));
        EXPECT_FALSE(std::filesystem::exists(marker));
    }
    // The real runner is back.
    EXPECT_EQ(shell::run(touch).output, "");
    EXPECT_TRUE(std::filesystem::exists(marker));
    std::filesystem::remove(marker);
}

}  // namespace
}  // namespace zoral::platform

#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "desktop/joined_with_last_separator.h"
#include "desktop/log_time_formatter.h"
#include "desktop/shell_command.h"
#include "platform/date.h"
#include "platform/shell.h"
#include "support/environment.h"
#include "support/virtual_clock.h"

namespace zoral::desktop {
namespace {

TEST(JoinedWithLastSeparator, ListsInASentence) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{}, ""},
        {{"a"}, "a"},
        {{"a", "b"}, "a and b"},
        {{"a", "b", "c"}, "a, b and c"},
        {{"a", "b", "c", "d"}, "a, b, c and d"},
        {{"", ""}, " and "},
    };
    for (const auto& [items, text] : cases)
        EXPECT_EQ(joinedWithLastSeparator(items, ", ", " and "), text);
}

class LogTimeFormatterTest : public zoral::testing::VirtualClockTest {
protected:
    zoral::testing::ScopedTimeZone utc_{"UTC"};
};

TEST_F(LogTimeFormatterTest, StampsTheVirtualClocksDateToHundredths) {
    EXPECT_EQ(LogTimeFormatter::dateFormat, "HH:mm:ss.SS");
    EXPECT_EQ(&logTimeFormatter(), &logTimeFormatter());
    EXPECT_EQ(currentLogTime(), "09:00:00.00");
    scheduler().advance(3723.456);
    EXPECT_EQ(currentLogTime(), "10:02:03.45");
    EXPECT_EQ(logTimeFormatter().string(platform::Date::fromUnixTime(0.999)), "00:00:00.99");
}

TEST(RunShellCommand, GivesStandardOutputOrNothing) {
    EXPECT_EQ(runShellCommand("printf 'one\\ntwo'"), "one\ntwo");
    EXPECT_EQ(runShellCommand("true"), "");
    EXPECT_EQ(runShellCommand("printf '\\377\\376'"), "");            // not UTF-8
    EXPECT_EQ(runShellCommand("printf partial; exit 3"), "partial");  // status not examined
}

TEST(RunShellCommand, GoesThroughThePlatformsRunner) {
    platform::shell::ScopedRecorder recorder({"recorded\n", 0});
    EXPECT_EQ(runShellCommand("pmset displaysleepnow"), "recorded\n");
    EXPECT_EQ(recorder.commands(), std::vector<std::string>{"pmset displaysleepnow"});
}

}  // namespace
}  // namespace zoral::desktop

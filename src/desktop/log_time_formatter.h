#pragma once

// The time stamp of log lines, "HH:mm:ss.SS" in the local time zone. The formatting itself is the
// platform's (platform::formatLogTime); this names it as the program's log lines use it.

#include <string>
#include <string_view>

#include "platform/date.h"

namespace zoral::desktop {

class LogTimeFormatter {
public:
    static constexpr std::string_view dateFormat = "HH:mm:ss.SS";

    std::string string(platform::Date date) const { return platform::formatLogTime(date); }
};

// The one process-wide formatter.
const LogTimeFormatter& logTimeFormatter();

// The current date (the scheduler's clock) as a log stamp.
std::string currentLogTime();

}  // namespace zoral::desktop

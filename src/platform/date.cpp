#include "platform/date.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>

#include "platform/scheduler.h"

namespace zoral::platform {

Date Date::now() {
    return Scheduler::current().date();
}

std::string formatLogTime(Date date) {
    const double unix = date.unixTime();
    if (!std::isfinite(unix))
        return "--:--:--.--";
    const double whole = std::floor(unix);
    const auto seconds = static_cast<std::time_t>(whole);
    std::tm local{};
    localtime_r(&seconds, &local);
    // Hundredths are truncated, never rounded up into the next second; the
    // epsilon (a microsecond) absorbs the rounding of exact hundredths.
    const int hundredths = std::clamp(static_cast<int>((unix - whole) * 100.0 + 1e-4), 0, 99);
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d.%02d", local.tm_hour, local.tm_min,
                  local.tm_sec, hundredths);
    return text;
}

}  // namespace zoral::platform

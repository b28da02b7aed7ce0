#include "desktop/log_time_formatter.h"

namespace zoral::desktop {

const LogTimeFormatter& logTimeFormatter() {
    static const LogTimeFormatter formatter;
    return formatter;
}

std::string currentLogTime() {
    return logTimeFormatter().string(platform::Date::now());
}

}  // namespace zoral::desktop

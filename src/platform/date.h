#pragma once

// Points in calendar time, as the system counts them: seconds since
// 2001-01-01 00:00:00 UTC. The current date comes from the scheduler's clock,
// so that under the virtual clock log stamps and dates are deterministic.

#include <compare>
#include <string>

namespace zoral::platform {

struct Date {
    // Seconds between 1970-01-01 and 2001-01-01, both UTC.
    static constexpr double referenceDateSinceUnixEpoch = 978307200.0;

    double secondsSinceReferenceDate = 0;

    static Date now();
    static constexpr Date fromUnixTime(double seconds) {
        return Date{seconds - referenceDateSinceUnixEpoch};
    }
    constexpr double unixTime() const {
        return secondsSinceReferenceDate + referenceDateSinceUnixEpoch;
    }

    friend constexpr Date operator+(Date date, double seconds) {
        return Date{date.secondsSinceReferenceDate + seconds};
    }
    friend constexpr double operator-(Date a, Date b) {
        return a.secondsSinceReferenceDate - b.secondsSinceReferenceDate;
    }
    friend constexpr auto operator<=>(const Date&, const Date&) = default;
};

// "HH:mm:ss.SS" in the local time zone, hundredths truncated: the stamp of log lines.
std::string formatLogTime(Date date);

}  // namespace zoral::platform

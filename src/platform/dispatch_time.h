#pragma once

// Dispatch time: nanoseconds of the scheduler's clock (virtual in tests, the
// machine's monotonic clock in the program). Arithmetic saturates: a deadline
// never wraps around, NaN counts as no time, and anything past the clock's
// range is `never`.

#include <compare>
#include <cstdint>
#include <limits>

namespace zoral::platform {

class DispatchTimeInterval {
public:
    static constexpr DispatchTimeInterval seconds(std::int64_t n) {
        return scaled(n, 1'000'000'000);
    }
    static constexpr DispatchTimeInterval milliseconds(std::int64_t n) {
        return scaled(n, 1'000'000);
    }
    static constexpr DispatchTimeInterval microseconds(std::int64_t n) { return scaled(n, 1'000); }
    static constexpr DispatchTimeInterval nanoseconds(std::int64_t n) {
        return DispatchTimeInterval(n);
    }
    static constexpr DispatchTimeInterval never() { return DispatchTimeInterval(neverValue); }

    constexpr bool isNever() const { return nanoseconds_ == neverValue; }
    constexpr std::int64_t nanosecondCount() const { return nanoseconds_; }

    friend constexpr bool operator==(DispatchTimeInterval, DispatchTimeInterval) = default;

private:
    static constexpr std::int64_t neverValue = std::numeric_limits<std::int64_t>::max();

    explicit constexpr DispatchTimeInterval(std::int64_t ns) : nanoseconds_(ns) {}
    static constexpr DispatchTimeInterval scaled(std::int64_t n, std::int64_t unit) {
        if (n > neverValue / unit)
            return never();
        if (n < std::numeric_limits<std::int64_t>::min() / unit)
            return DispatchTimeInterval(std::numeric_limits<std::int64_t>::min());
        return DispatchTimeInterval(n * unit);
    }

    std::int64_t nanoseconds_;
};

class DispatchTime {
public:
    // The scheduler's current time.
    static DispatchTime now();
    static constexpr DispatchTime never() { return DispatchTime(neverValue); }
    static constexpr DispatchTime fromUptimeNanoseconds(std::uint64_t ns) {
        return DispatchTime(ns > neverValue ? neverValue : ns);
    }

    constexpr std::uint64_t uptimeNanoseconds() const { return nanoseconds_; }
    constexpr double uptimeSeconds() const { return static_cast<double>(nanoseconds_) / 1e9; }
    constexpr bool isNever() const { return nanoseconds_ == neverValue; }

    // Adds seconds; NaN adds nothing, negative values move back (not below zero).
    friend DispatchTime operator+(DispatchTime time, double seconds);
    friend DispatchTime operator-(DispatchTime time, double seconds) { return time + -seconds; }
    friend constexpr DispatchTime operator+(DispatchTime time, DispatchTimeInterval interval) {
        if (time.isNever() || interval.isNever())
            return never();
        return time.offsetBy(interval.nanosecondCount());
    }

    friend constexpr auto operator<=>(DispatchTime, DispatchTime) = default;

private:
    static constexpr std::uint64_t neverValue = std::numeric_limits<std::uint64_t>::max();

    explicit constexpr DispatchTime(std::uint64_t ns) : nanoseconds_(ns) {}

    constexpr DispatchTime offsetBy(std::int64_t delta) const {
        if (delta >= 0) {
            const auto d = static_cast<std::uint64_t>(delta);
            return DispatchTime(d >= neverValue - nanoseconds_ ? neverValue : nanoseconds_ + d);
        }
        // Negate without overflow for INT64_MIN.
        const auto d = static_cast<std::uint64_t>(-(delta + 1)) + 1;
        return DispatchTime(d >= nanoseconds_ ? 0 : nanoseconds_ - d);
    }

    std::uint64_t nanoseconds_;
};

}  // namespace zoral::platform

#include "platform/plist_date_text.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>

namespace zoral::platform::detail {

namespace {

constexpr std::int64_t secondsPerDay = 86400;
constexpr std::int64_t referenceDateUnixSeconds = 978307200;
// Whole seconds beyond this cannot be told apart in a double, and the calendar
// arithmetic below stays well inside 64 bits.
constexpr double largestXmlDateSeconds = 9007199254740992.0;  // 2^53
constexpr int largestYearDigits = 9;

std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0);
}

// Days since 1970-01-01 of a proleptic Gregorian date (year 0 is 1 BC).
std::int64_t daysFromCivil(std::int64_t year, unsigned month, unsigned day) {
    year -= month <= 2 ? 1 : 0;
    const std::int64_t era = floorDiv(year, 400);
    const auto yearOfEra = static_cast<unsigned>(year - era * 400);
    const unsigned dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + static_cast<std::int64_t>(dayOfEra) - 719468;
}

struct CivilDate {
    std::int64_t year;
    unsigned month;
    unsigned day;
};

CivilDate civilFromDays(std::int64_t days) {
    days += 719468;
    const std::int64_t era = floorDiv(days, 146097);
    const auto dayOfEra = static_cast<unsigned>(days - era * 146097);
    const unsigned yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const unsigned monthIndex = (5 * dayOfYear + 2) / 153;
    const unsigned day = dayOfYear - (153 * monthIndex + 2) / 5 + 1;
    const unsigned month = monthIndex < 10 ? monthIndex + 3 : monthIndex - 9;
    const std::int64_t year =
        static_cast<std::int64_t>(yearOfEra) + era * 400 + (month <= 2 ? 1 : 0);
    return {year, month, day};
}

bool isLeapYear(std::int64_t year) {
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

unsigned daysInMonth(std::int64_t year, unsigned month) {
    constexpr std::array<unsigned, 12> days = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeapYear(year) ? 29 : days[month - 1];
}

void appendPadded(std::string& out, std::uint64_t value, std::size_t width) {
    const std::string digits = std::to_string(value);
    if (digits.size() < width)
        out.append(width - digits.size(), '0');
    out += digits;
}

// 1 - 0.digits, as the same number of digits: "25" -> "75", "1" -> "9".
// The digits must not all be zero.
std::string complementFraction(std::string_view digits) {
    std::string out(digits);
    std::size_t last = out.find_last_not_of('0');
    out[last] = static_cast<char>('0' + (10 - (out[last] - '0')));
    for (std::size_t i = 0; i < last; ++i)
        out[i] = static_cast<char>('0' + (9 - (out[i] - '0')));
    return out;
}

}  // namespace

// "YYYY-MM-DDTHH:MM:SSZ" in UTC, with a fraction of a second only when the
// date has one. The fraction comes from the shortest decimal that reads back
// as the date, split into whole seconds and a fraction by decimal arithmetic:
// splitting the double itself would round dates just before a whole second.
std::optional<std::string> formatDate(Date date) {
    const double seconds = date.secondsSinceReferenceDate;
    if (!std::isfinite(seconds) || std::fabs(seconds) >= largestXmlDateSeconds)
        return std::nullopt;
    // Fixed notation of a double needs at most a few more than 1074 digits.
    std::array<char, 1200> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), seconds,
                                      std::chars_format::fixed);
    if (result.ec != std::errc())
        return std::nullopt;
    std::string_view decimal(buffer.data(), static_cast<std::size_t>(result.ptr - buffer.data()));
    const bool negative = decimal.front() == '-';
    if (negative)
        decimal.remove_prefix(1);
    const std::size_t point = decimal.find('.');
    const std::string_view integerDigits = decimal.substr(0, point);
    std::string fraction(point == std::string_view::npos ? std::string_view()
                                                         : decimal.substr(point + 1));
    std::int64_t whole = 0;
    std::from_chars(integerDigits.data(), integerDigits.data() + integerDigits.size(), whole);
    if (negative && !fraction.empty()) {
        // -12.25 is the whole second -13 and 0.75 of a second.
        whole = -(whole + 1);
        fraction = complementFraction(fraction);
    } else if (negative) {
        whole = -whole;
    }

    const std::int64_t unixSeconds = whole + referenceDateUnixSeconds;
    const std::int64_t days = floorDiv(unixSeconds, secondsPerDay);
    const auto secondOfDay = static_cast<std::uint64_t>(unixSeconds - days * secondsPerDay);
    const CivilDate civil = civilFromDays(days);

    std::string out;
    if (civil.year < 0)
        out += '-';
    appendPadded(out, static_cast<std::uint64_t>(civil.year < 0 ? -civil.year : civil.year), 4);
    out += '-';
    appendPadded(out, civil.month, 2);
    out += '-';
    appendPadded(out, civil.day, 2);
    out += 'T';
    appendPadded(out, secondOfDay / 3600, 2);
    out += ':';
    appendPadded(out, secondOfDay / 60 % 60, 2);
    out += ':';
    appendPadded(out, secondOfDay % 60, 2);
    if (!fraction.empty()) {
        out += '.';
        out += fraction;
    }
    out += 'Z';
    return out;
}

std::optional<Date> parseDate(std::string_view text) {
    std::size_t position = 0;
    auto number = [&](std::size_t minDigits, std::size_t maxDigits) -> std::optional<std::int64_t> {
        std::int64_t value = 0;
        std::size_t count = 0;
        while (position < text.size() && count < maxDigits && text[position] >= '0' &&
               text[position] <= '9') {
            value = value * 10 + (text[position] - '0');
            ++position;
            ++count;
        }
        if (count < minDigits)
            return std::nullopt;
        return value;
    };
    auto expect = [&](char c) {
        if (position >= text.size() || text[position] != c)
            return false;
        ++position;
        return true;
    };

    const bool negativeYear = expect('-');
    const auto year = number(4, largestYearDigits);
    if (!year || !expect('-'))
        return std::nullopt;
    const auto month = number(2, 2);
    if (!month || !expect('-'))
        return std::nullopt;
    const auto day = number(2, 2);
    if (!day || !expect('T'))
        return std::nullopt;
    const auto hour = number(2, 2);
    if (!hour || !expect(':'))
        return std::nullopt;
    const auto minute = number(2, 2);
    if (!minute || !expect(':'))
        return std::nullopt;
    const auto second = number(2, 2);
    if (!second)
        return std::nullopt;
    std::string_view fraction;
    if (expect('.')) {
        const std::size_t start = position;
        while (position < text.size() && text[position] >= '0' && text[position] <= '9')
            ++position;
        fraction = text.substr(start, position - start);
        if (fraction.empty())
            return std::nullopt;
    }
    if (!expect('Z') || position != text.size())
        return std::nullopt;

    const std::int64_t signedYear = negativeYear ? -*year : *year;
    const auto monthValue = static_cast<unsigned>(*month);
    if (monthValue < 1 || monthValue > 12)
        return std::nullopt;
    const auto dayValue = static_cast<unsigned>(*day);
    if (dayValue < 1 || dayValue > daysInMonth(signedYear, monthValue))
        return std::nullopt;
    if (*hour > 23 || *minute > 59 || *second > 59)
        return std::nullopt;
    const std::int64_t whole = daysFromCivil(signedYear, monthValue, dayValue) * secondsPerDay +
                               *hour * 3600 + *minute * 60 + *second - referenceDateUnixSeconds;

    while (!fraction.empty() && fraction.back() == '0')
        fraction.remove_suffix(1);
    if (fraction.empty())
        return Date{static_cast<double>(whole)};
    // The exact decimal, rounded once: -13 and .75 is "-12.25".
    const std::string decimal =
        whole >= 0 ? std::to_string(whole) + "." + std::string(fraction)
                   : "-" + std::to_string(-(whole + 1)) + "." + complementFraction(fraction);
    double seconds = 0;
    const auto [ptr, error] =
        std::from_chars(decimal.data(), decimal.data() + decimal.size(), seconds);
    if (error != std::errc() || ptr != decimal.data() + decimal.size())
        return std::nullopt;
    return Date{seconds};
}

}  // namespace zoral::platform::detail

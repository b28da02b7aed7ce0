#include "platform/plist_xml.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include <expat.h>

#include "platform/plist_serialization.h"
#include "platform/plist_unicode.h"
#include "platform/utf8.h"

namespace zoral::platform::detail {

namespace {

// ---------------------------------------------------------------- shared text

bool isXmlSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isXmlSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isXmlSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

// A short, printable excerpt of a value for an error message.
std::string excerpt(std::string_view text) {
    constexpr std::size_t limit = 40;
    std::string out = "\"";
    if (text.size() > limit) {
        // Cut at a character boundary, not inside a UTF-8 sequence.
        std::size_t cut = limit;
        while (cut > 0 && (static_cast<std::uint8_t>(text[cut]) & 0xC0u) == 0x80u)
            --cut;
        out += text.substr(0, cut);
        out += "...";
    } else {
        out += text;
    }
    out += "\"";
    return out;
}

// ---------------------------------------------------------------- base64

constexpr std::string_view base64Alphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

constexpr std::array<std::int8_t, 256> base64Values = [] {
    std::array<std::int8_t, 256> values{};
    values.fill(-1);
    for (std::size_t i = 0; i < base64Alphabet.size(); ++i) {
        values[static_cast<std::uint8_t>(base64Alphabet[i])] = static_cast<std::int8_t>(i);
    }
    return values;
}();

// Nullopt when the text holds anything but base64 digits, padding and white space.
std::optional<PlistData> decodeBase64(std::string_view text) {
    PlistData out;
    out.reserve(text.size() / 4 * 3);
    std::uint32_t group = 0;
    std::size_t digits = 0;
    std::size_t padding = 0;
    for (const char c : text) {
        if (isXmlSpace(c))
            continue;
        if (c == '=') {
            ++padding;
            continue;
        }
        const std::int8_t value = base64Values[static_cast<std::uint8_t>(c)];
        if (value < 0 || padding > 0)
            return std::nullopt;
        group = (group << 6) | static_cast<std::uint32_t>(value);
        if (++digits % 4 == 0) {
            out.push_back(static_cast<std::uint8_t>(group >> 16));
            out.push_back(static_cast<std::uint8_t>(group >> 8));
            out.push_back(static_cast<std::uint8_t>(group));
            group = 0;
        }
    }
    switch (digits % 4) {
        case 0:
            break;
        case 2:
            out.push_back(static_cast<std::uint8_t>(group >> 4));
            break;
        case 3:
            out.push_back(static_cast<std::uint8_t>(group >> 10));
            out.push_back(static_cast<std::uint8_t>(group >> 2));
            break;
        default:
            return std::nullopt;
    }
    if (padding > 2 || (padding > 0 && (digits + padding) % 4 != 0))
        return std::nullopt;
    return out;
}

// ---------------------------------------------------------------- numbers and dates

std::optional<PlistInteger> parseInteger(std::string_view text) {
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    // from_chars would take a second sign; the digits must start at once.
    if (text.empty() || text.front() == '-' || text.front() == '+')
        return std::nullopt;
    std::uint64_t magnitude = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, error] = std::from_chars(text.data(), end, magnitude, base);
    if (error != std::errc() || ptr != end)
        return std::nullopt;
    if (!negative)
        return PlistInteger::fromUnsigned(magnitude);
    constexpr std::uint64_t minimumMagnitude = static_cast<std::uint64_t>(INT64_MAX) + 1;
    if (magnitude > minimumMagnitude)
        return std::nullopt;
    if (magnitude == minimumMagnitude)
        return PlistInteger::fromSigned(INT64_MIN);
    return PlistInteger::fromSigned(-static_cast<std::int64_t>(magnitude));
}

std::optional<double> parseReal(std::string_view text) {
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && text.front() == '-')
            return std::nullopt;
    }
    if (text.empty())
        return std::nullopt;
    double value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || ptr != end)
        return std::nullopt;
    return value;
}

void appendReal(std::string& out, double value) {
    if (std::isnan(value)) {
        out += "nan";
    } else if (std::isinf(value)) {
        out += value > 0 ? "+infinity" : "-infinity";
    } else {
        std::array<char, 64> buffer{};
        const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
        out.append(buffer.data(), result.ptr);
    }
}

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

// ---------------------------------------------------------------- reader

enum class Element {
    plist,
    dict,
    array,
    key,
    string,
    integer,
    real,
    trueValue,
    falseValue,
    date,
    data
};

struct ElementName {
    std::string_view name;
    Element element;
};

constexpr std::array<ElementName, 11> elementNames = {{
    {"plist", Element::plist},
    {"dict", Element::dict},
    {"array", Element::array},
    {"key", Element::key},
    {"string", Element::string},
    {"integer", Element::integer},
    {"real", Element::real},
    {"true", Element::trueValue},
    {"false", Element::falseValue},
    {"date", Element::date},
    {"data", Element::data},
}};

std::optional<Element> elementNamed(std::string_view name) {
    for (const auto& entry : elementNames) {
        if (entry.name == name)
            return entry.element;
    }
    return std::nullopt;
}

std::string_view nameOf(Element element) {
    for (const auto& entry : elementNames) {
        if (entry.element == element)
            return entry.name;
    }
    return "?";
}

// Elements whose text is their value.
bool holdsText(Element element) {
    switch (element) {
        case Element::key:
        case Element::string:
        case Element::integer:
        case Element::real:
        case Element::date:
        case Element::data:
            return true;
        default:
            return false;
    }
}

bool isContainer(Element element) {
    return element == Element::dict || element == Element::array;
}

// Builds the value tree from expat's events on an explicit stack, so that the
// nesting of the document never turns into recursion here. Exceptions must
// not cross expat's C frames: a handler records the first error and stops the
// parser, and parse() throws it afterwards.
class XmlReader {
public:
    XmlReader() : parser_(XML_ParserCreate(nullptr)) {
        if (parser_ == nullptr)
            throw PlistSerializationError("XML property list: out of memory");
        XML_SetUserData(parser_, this);
        XML_SetElementHandler(parser_, &XmlReader::onStart, &XmlReader::onEnd);
        XML_SetCharacterDataHandler(parser_, &XmlReader::onText);
        // Entities are where expansion bombs and reads of outside files come
        // from; a property list needs none beyond the predefined ones.
        XML_SetEntityDeclHandler(parser_, &XmlReader::onEntityDeclaration);
        XML_SetSkippedEntityHandler(parser_, &XmlReader::onSkippedEntity);
        XML_SetParamEntityParsing(parser_, XML_PARAM_ENTITY_PARSING_NEVER);
    }
    ~XmlReader() { XML_ParserFree(parser_); }
    XmlReader(const XmlReader&) = delete;
    XmlReader& operator=(const XmlReader&) = delete;

    PlistObject parse(std::span<const std::uint8_t> bytes) {
        // White space before the XML declaration is tolerated: expat sees the
        // document from its first '<', and line numbers still count from the top.
        if (bytes.size() >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
            bytes = bytes.subspan(3);
        }
        while (!bytes.empty() && isXmlSpace(static_cast<char>(bytes.front()))) {
            if (bytes.front() == '\n')
                ++skippedLines_;
            bytes = bytes.subspan(1);
        }
        // expat takes int lengths: feed very large inputs in pieces.
        constexpr std::size_t chunk = std::size_t{1} << 30;
        std::size_t offset = 0;
        do {
            const std::size_t length = std::min(chunk, bytes.size() - offset);
            const bool last = offset + length == bytes.size();
            const XML_Status status =
                XML_Parse(parser_, reinterpret_cast<const char*>(bytes.data()) + offset,
                          static_cast<int>(length), last ? XML_TRUE : XML_FALSE);
            if (!error_.empty())
                throw PlistSerializationError(error_);
            if (status != XML_STATUS_OK) {
                throw PlistSerializationError(
                    "XML property list: " +
                    std::string(XML_ErrorString(XML_GetErrorCode(parser_))) + " at line " +
                    std::to_string(currentLine()) + ", column " +
                    std::to_string(XML_GetCurrentColumnNumber(parser_) + 1));
            }
            offset += length;
        } while (offset < bytes.size());
        if (!root_)
            throw PlistSerializationError("XML property list: no value in the document");
        return std::move(*root_);
    }

private:
    struct Frame {
        Element element;
        std::string text;
        PlistArray array;
        PlistDictionary dictionary;
        std::optional<std::string> key;  // a dict's key still waiting for its value
        bool hasValue = false;           // a plist's one value has been seen
    };

    std::uint64_t currentLine() const { return XML_GetCurrentLineNumber(parser_) + skippedLines_; }

    static XmlReader& self(void* userData) { return *static_cast<XmlReader*>(userData); }

    static void XMLCALL onStart(void* userData, const XML_Char* name, const XML_Char**) {
        self(userData).start(name);
    }
    static void XMLCALL onEnd(void* userData, const XML_Char*) { self(userData).end(); }
    static void XMLCALL onText(void* userData, const XML_Char* text, int length) {
        self(userData).text(std::string_view(text, static_cast<std::size_t>(length)));
    }
    static void XMLCALL onEntityDeclaration(void* userData, const XML_Char* name, int,
                                            const XML_Char*, int, const XML_Char*, const XML_Char*,
                                            const XML_Char*, const XML_Char*) {
        self(userData).fail("entity declaration \"" + std::string(name) +
                            "\" (entity declarations are not allowed)");
    }
    static void XMLCALL onSkippedEntity(void* userData, const XML_Char* name, int) {
        self(userData).fail("unknown entity &" + std::string(name) + ";");
    }

    void fail(const std::string& what) {
        if (!error_.empty())
            return;
        error_ = "XML property list: " + what + " at line " + std::to_string(currentLine());
        XML_StopParser(parser_, XML_FALSE);
    }

    void start(std::string_view name) {
        if (!error_.empty())
            return;
        const auto element = elementNamed(name);
        if (!element)
            return fail("unknown element <" + std::string(name) + ">");
        if (!stack_.empty()) {
            Frame& parent = stack_.back();
            if (holdsText(parent.element) || parent.element == Element::trueValue ||
                parent.element == Element::falseValue) {
                return fail("<" + std::string(name) + "> inside <" +
                            std::string(nameOf(parent.element)) + ">");
            }
            if (parent.element == Element::dict) {
                if (*element == Element::key && parent.key) {
                    return fail("<key> " + excerpt(*parent.key) + " has no value");
                }
                if (*element != Element::key && !parent.key) {
                    return fail("<" + std::string(name) + "> without a <key> in <dict>");
                }
            }
        } else if (root_) {
            return fail("second root element <" + std::string(name) + ">");
        }
        if (*element == Element::plist && !stack_.empty())
            return fail("<plist> inside a value");
        if (*element == Element::key &&
            (stack_.empty() || stack_.back().element != Element::dict)) {
            return fail("<key> outside <dict>");
        }
        if (isContainer(*element)) {
            if (containerDepth_ >= plistMaxDepth) {
                return fail("containers nested deeper than " + std::to_string(plistMaxDepth));
            }
            ++containerDepth_;
        }
        stack_.push_back(Frame{*element, {}, {}, {}, {}, false});
    }

    void text(std::string_view text) {
        if (!error_.empty() || stack_.empty())
            return;
        Frame& frame = stack_.back();
        if (holdsText(frame.element)) {
            frame.text.append(text);
        } else if (!trimmed(text).empty()) {
            fail("text " + excerpt(trimmed(text)) + " inside <" +
                 std::string(nameOf(frame.element)) + ">");
        }
    }

    void end() {
        if (!error_.empty())
            return;
        Frame frame = std::move(stack_.back());
        stack_.pop_back();
        std::optional<PlistObject> value;
        switch (frame.element) {
            case Element::plist:
                if (!frame.hasValue)
                    fail("empty <plist>");
                return;
            case Element::key:
                stack_.back().key = std::move(frame.text);
                return;
            case Element::dict:
                if (frame.key)
                    return fail("<key> " + excerpt(*frame.key) + " has no value");
                --containerDepth_;
                value = PlistObject::dictionary(std::move(frame.dictionary));
                break;
            case Element::array:
                --containerDepth_;
                value = PlistObject::array(std::move(frame.array));
                break;
            case Element::string:
                value = PlistObject::string(std::move(frame.text));
                break;
            case Element::trueValue:
                value = PlistObject::boolean(true);
                break;
            case Element::falseValue:
                value = PlistObject::boolean(false);
                break;
            case Element::integer: {
                const auto integer = parseInteger(trimmed(frame.text));
                if (!integer) {
                    return fail("invalid or too large <integer> " + excerpt(trimmed(frame.text)));
                }
                value = PlistObject::integer(*integer);
                break;
            }
            case Element::real: {
                const auto real = parseReal(trimmed(frame.text));
                if (!real)
                    return fail("invalid <real> " + excerpt(trimmed(frame.text)));
                value = PlistObject::real(*real);
                break;
            }
            case Element::date: {
                const auto date = parseDate(trimmed(frame.text));
                if (!date)
                    return fail("invalid <date> " + excerpt(trimmed(frame.text)));
                value = PlistObject::date(*date);
                break;
            }
            case Element::data: {
                auto data = decodeBase64(frame.text);
                if (!data)
                    return fail("invalid base64 in <data>");
                value = PlistObject::data(std::move(*data));
                break;
            }
        }
        attach(std::move(*value));
    }

    void attach(PlistObject value) {
        if (stack_.empty()) {
            root_ = std::move(value);
            return;
        }
        Frame& parent = stack_.back();
        switch (parent.element) {
            case Element::plist:
                if (parent.hasValue)
                    return fail("more than one value in <plist>");
                parent.hasValue = true;
                root_ = std::move(value);
                return;
            case Element::array:
                parent.array.push_back(std::move(value));
                return;
            case Element::dict:
                // A repeated key keeps its last value. Keys usually come
                // sorted, so the end is the first place to look.
                parent.dictionary.insert_or_assign(parent.dictionary.end(), std::move(*parent.key),
                                                   std::move(value));
                parent.key.reset();
                return;
            default:
                return fail("value inside <" + std::string(nameOf(parent.element)) + ">");
        }
    }

    XML_Parser parser_;
    std::vector<Frame> stack_;
    std::optional<PlistObject> root_;
    std::size_t containerDepth_ = 0;
    std::uint64_t skippedLines_ = 0;
    std::string error_;
};

// ---------------------------------------------------------------- writer

// The public and system identifiers that readers of the format expect.
constexpr std::string_view xmlHeader =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
    "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
    "<plist version=\"1.0\">\n";

class XmlWriter {
public:
    std::vector<std::uint8_t> write(const PlistObject& object) {
        out_ += xmlHeader;
        writeValue(object, 0);
        out_ += "</plist>\n";
        return std::vector<std::uint8_t>(out_.begin(), out_.end());
    }

private:
    [[noreturn]] static void fail(const std::string& what) {
        throw PlistSerializationError("XML property list: cannot write " + what);
    }

    void indent(std::size_t depth) { out_.append(depth, '\t'); }

    void element(std::string_view name, std::string_view content, std::size_t depth) {
        indent(depth);
        out_ += '<';
        out_ += name;
        out_ += '>';
        out_ += content;
        out_ += "</";
        out_ += name;
        out_ += ">\n";
    }

    // Escapes markup, keeps carriage returns from being folded into newlines by
    // the reader, and refuses what XML 1.0 cannot carry at all.
    void appendEscaped(std::string_view text) {
        std::size_t position = 0;
        while (position < text.size()) {
            const auto byte = static_cast<std::uint8_t>(text[position]);
            if (byte >= 0x80) {
                const std::size_t start = position;
                const auto codePoint = utf8::decode(text, position);
                if (!codePoint)
                    fail("the string " + excerpt(text) + ": it is not valid UTF-8");
                if (*codePoint == 0xFFFE || *codePoint == 0xFFFF) {
                    fail("the string " + excerpt(text) + ": XML cannot hold U+FFFE or U+FFFF");
                }
                out_.append(text.substr(start, position - start));
                continue;
            }
            ++position;
            switch (byte) {
                case '&':
                    out_ += "&amp;";
                    break;
                case '<':
                    out_ += "&lt;";
                    break;
                case '>':
                    out_ += "&gt;";
                    break;
                case '\r':
                    out_ += "&#13;";
                    break;
                case '\t':
                case '\n':
                    out_ += static_cast<char>(byte);
                    break;
                default:
                    if (byte < 0x20) {
                        fail("the string " + excerpt(text) +
                             ": XML cannot hold control character " + std::to_string(byte));
                    }
                    out_ += static_cast<char>(byte);
            }
        }
    }

    void textElement(std::string_view name, std::string_view text, std::size_t depth) {
        indent(depth);
        out_ += '<';
        out_ += name;
        out_ += '>';
        appendEscaped(text);
        out_ += "</";
        out_ += name;
        out_ += ">\n";
    }

    void writeData(const PlistData& data, std::size_t depth) {
        indent(depth);
        out_ += "<data>\n";
        // Lines end by column 76 with a tab counted as 8, but never get narrower than 16.
        const std::size_t width =
            std::max<std::size_t>(16, (76 - std::min<std::size_t>(depth * 8, 60)) / 4 * 4);
        std::size_t column = 0;
        auto put = [&](char c) {
            if (column == 0)
                indent(depth);
            out_ += c;
            if (++column == width) {
                out_ += '\n';
                column = 0;
            }
        };
        std::size_t i = 0;
        for (; i + 3 <= data.size(); i += 3) {
            const std::uint32_t group =
                (std::uint32_t{data[i]} << 16) | (std::uint32_t{data[i + 1]} << 8) | data[i + 2];
            put(base64Alphabet[group >> 18]);
            put(base64Alphabet[(group >> 12) & 0x3F]);
            put(base64Alphabet[(group >> 6) & 0x3F]);
            put(base64Alphabet[group & 0x3F]);
        }
        if (i < data.size()) {
            const bool two = i + 2 == data.size();
            const std::uint32_t group =
                (std::uint32_t{data[i]} << 16) | (two ? std::uint32_t{data[i + 1]} << 8 : 0);
            put(base64Alphabet[group >> 18]);
            put(base64Alphabet[(group >> 12) & 0x3F]);
            put(two ? base64Alphabet[(group >> 6) & 0x3F] : '=');
            put('=');
        }
        if (column != 0)
            out_ += '\n';
        indent(depth);
        out_ += "</data>\n";
    }

    void writeValue(const PlistObject& object, std::size_t depth) {
        switch (object.kind()) {
            case PlistObject::Kind::string:
                return textElement("string", object.get<std::string>(), depth);
            case PlistObject::Kind::boolean:
                indent(depth);
                out_ += object.get<bool>() ? "<true/>\n" : "<false/>\n";
                return;
            case PlistObject::Kind::integer:
                return element("integer", object.get<PlistInteger>().toString(), depth);
            case PlistObject::Kind::real: {
                std::string text;
                appendReal(text, object.get<double>());
                return element("real", text, depth);
            }
            case PlistObject::Kind::date: {
                const Date date = object.get<Date>();
                const auto text = formatDate(date);
                if (!text) {
                    std::string seconds;
                    appendReal(seconds, date.secondsSinceReferenceDate);
                    fail("the date " + seconds + " s: out of the range of XML dates");
                }
                return element("date", *text, depth);
            }
            case PlistObject::Kind::data:
                return writeData(object.get<PlistData>(), depth);
            case PlistObject::Kind::uid:
                fail("a UID: only binary property lists hold them");
            case PlistObject::Kind::array: {
                const auto& array = object.get<PlistArray>();
                checkDepth(depth);
                indent(depth);
                if (array.empty()) {
                    out_ += "<array/>\n";
                    return;
                }
                out_ += "<array>\n";
                for (const auto& item : array)
                    writeValue(item, depth + 1);
                indent(depth);
                out_ += "</array>\n";
                return;
            }
            case PlistObject::Kind::dictionary: {
                const auto& dictionary = object.get<PlistDictionary>();
                checkDepth(depth);
                indent(depth);
                if (dictionary.empty()) {
                    out_ += "<dict/>\n";
                    return;
                }
                out_ += "<dict>\n";
                for (const auto& [key, value] : dictionary) {
                    textElement("key", key, depth + 1);
                    writeValue(value, depth + 1);
                }
                indent(depth);
                out_ += "</dict>\n";
                return;
            }
        }
    }

    static void checkDepth(std::size_t depth) {
        if (depth >= plistMaxDepth) {
            fail("containers nested deeper than " + std::to_string(plistMaxDepth));
        }
    }

    std::string out_;
};

}  // namespace

PlistObject readXmlPlist(std::span<const std::uint8_t> bytes) {
    return XmlReader().parse(bytes);
}

std::vector<std::uint8_t> writeXmlPlist(const PlistObject& object) {
    return XmlWriter().write(object);
}

}  // namespace zoral::platform::detail

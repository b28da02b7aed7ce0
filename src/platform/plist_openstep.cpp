#include "platform/plist_openstep.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "platform/plist_serialization.h"
#include "platform/plist_unicode.h"
#include "platform/plist_value_stack.h"
#include "platform/utf8.h"

namespace zoral::platform::detail {

namespace {

bool isUnquotedCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '$' || c == '+' || c == '/' || c == ':' || c == '.' || c == '-';
}

std::optional<unsigned> hexValue(char c) {
    if (c >= '0' && c <= '9')
        return static_cast<unsigned>(c - '0');
    if (c >= 'a' && c <= 'f')
        return static_cast<unsigned>(c - 'a' + 10);
    if (c >= 'A' && c <= 'F')
        return static_cast<unsigned>(c - 'A' + 10);
    return std::nullopt;
}

// The text as UTF-8: a UTF-16 text (it must start with its byte-order mark)
// is converted, a UTF-8 byte-order mark dropped, and invalid text refused.
std::string decodeText(std::span<const std::uint8_t> bytes) {
    if (bytes.size() >= 2 &&
        ((bytes[0] == 0xFE && bytes[1] == 0xFF) || (bytes[0] == 0xFF && bytes[1] == 0xFE))) {
        if (bytes.size() % 2 != 0) {
            throw PlistSerializationError(
                "old-style property list: UTF-16 text of odd length ends at offset " +
                std::to_string(bytes.size() - 1));
        }
        std::string text;
        const std::size_t units = bytes.size() / 2 - 1;
        if (const auto bad = appendUtf16AsUtf8(text, bytes.data() + 2, units, bytes[0] == 0xFE)) {
            throw PlistSerializationError(
                "old-style property list: unpaired surrogate in UTF-16 text at offset " +
                std::to_string(2 + 2 * *bad));
        }
        return text;
    }
    std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    if (const auto bad = utf8::findInvalid(text)) {
        const auto line =
            1 + std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(*bad), '\n');
        throw PlistSerializationError("old-style property list: invalid UTF-8 at line " +
                                      std::to_string(line));
    }
    return std::string(text);
}

class OpenStepParser {
public:
    explicit OpenStepParser(std::string text) : text_(std::move(text)) {}

    PlistObject parse() {
        skipSpace();
        if (atEnd())
            fail("no property list in the text", position_);
        const std::size_t start = position_;
        PlistObject value = parseValue(0);
        skipSpace();
        if (atEnd())
            return value;
        // A text of "key = value;" pairs without braces is a dictionary.
        if (value.is(PlistObject::Kind::string) && (peek() == '=' || peek() == ';')) {
            position_ = start;
            return PlistObject::dictionary(parseDictionaryBody(0, start, false));
        }
        fail(std::string("unexpected '") + peek() + "' after the property list", position_);
    }

private:
    [[noreturn]] void fail(const std::string& what, std::size_t at) const {
        const auto line =
            1 + std::count(text_.begin(), text_.begin() + static_cast<std::ptrdiff_t>(at), '\n');
        throw PlistSerializationError("old-style property list: " + what + " at line " +
                                      std::to_string(line));
    }

    bool atEnd() const { return position_ >= text_.size(); }
    char peek() const { return text_[position_]; }

    void skipSpace() {
        while (!atEnd()) {
            const char c = peek();
            if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v') {
                ++position_;
            } else if (c == '/' && position_ + 1 < text_.size() && text_[position_ + 1] == '/') {
                const std::size_t end = text_.find('\n', position_);
                position_ = end == std::string::npos ? text_.size() : end + 1;
            } else if (c == '/' && position_ + 1 < text_.size() && text_[position_ + 1] == '*') {
                const std::size_t end = text_.find("*/", position_ + 2);
                if (end == std::string::npos)
                    fail("unterminated /* comment", position_);
                position_ = end + 2;
            } else {
                return;
            }
        }
    }

    static void checkDepth(std::size_t depth, const OpenStepParser& parser, std::size_t at) {
        if (depth >= plistMaxDepth) {
            parser.fail("containers nested deeper than " + std::to_string(plistMaxDepth), at);
        }
    }

    PlistObject parseValue(std::size_t depth) {
        if (atEnd())
            fail("missing value at the end of the text", position_);
        const std::size_t start = position_;
        switch (peek()) {
            case '{': {
                checkDepth(depth, *this, start);
                ++position_;
                return PlistObject::dictionary(parseDictionaryBody(depth + 1, start, true));
            }
            case '(': {
                checkDepth(depth, *this, start);
                ++position_;
                return PlistObject::array(parseArrayBody(depth + 1, start));
            }
            case '<':
                return PlistObject::data(parseData());
            default:
                return PlistObject::string(parseString("value"));
        }
    }

    PlistDictionary parseDictionaryBody(std::size_t depth, std::size_t start, bool braced) {
        const std::size_t base = entries_.size();
        while (true) {
            skipSpace();
            if (atEnd()) {
                if (braced)
                    fail("unterminated dictionary", start);
                return takeDictionary(entries_, base);
            }
            if (braced && peek() == '}') {
                ++position_;
                return takeDictionary(entries_, base);
            }
            std::string key = parseString("dictionary key");
            skipSpace();
            if (atEnd())
                fail("missing '=' after key \"" + key + "\"", position_);
            if (peek() == ';') {
                // "key;" stands for "key = key;".
                ++position_;
                PlistObject value = PlistObject::string(key);
                entries_.emplace_back(std::move(key), std::move(value));
                continue;
            }
            if (peek() != '=')
                fail("missing '=' after key \"" + key + "\"", position_);
            ++position_;
            skipSpace();
            PlistObject value = parseValue(depth);
            skipSpace();
            if (atEnd() || peek() != ';') {
                fail("missing ';' after the value of key \"" + key + "\"", position_);
            }
            ++position_;
            entries_.emplace_back(std::move(key), std::move(value));
        }
    }

    PlistArray parseArrayBody(std::size_t depth, std::size_t start) {
        PlistArray array;
        while (true) {
            skipSpace();
            if (atEnd())
                fail("unterminated array", start);
            if (peek() == ')') {
                ++position_;
                return array;
            }
            array.push_back(parseValue(depth));
            skipSpace();
            if (atEnd())
                fail("unterminated array", start);
            if (peek() == ',') {
                ++position_;
            } else if (peek() != ')') {
                fail("expected ',' or ')' in array", position_);
            }
        }
    }

    PlistData parseData() {
        const std::size_t start = position_;
        ++position_;
        PlistData data;
        int high = -1;  // the first digit of a pair, once read
        while (true) {
            if (atEnd())
                fail("unterminated <data>", start);
            const char c = text_[position_++];
            if (c == '>')
                break;
            if (c == ' ' || c == '\t' || c == '\n' || c == '\r')
                continue;
            const auto value = hexValue(c);
            if (!value)
                fail(std::string("'") + c + "' in <data> is no hex digit", position_ - 1);
            if (high >= 0) {
                data.push_back(
                    static_cast<std::uint8_t>((static_cast<unsigned>(high) << 4) | *value));
                high = -1;
            } else {
                high = static_cast<int>(*value);
            }
        }
        if (high >= 0)
            fail("odd number of hex digits in <data>", start);
        return data;
    }

    std::string parseString(std::string_view what) {
        const char c = peek();
        if (c == '"' || c == '\'')
            return parseQuoted(c);
        if (!isUnquotedCharacter(c)) {
            fail("unexpected '" + std::string(1, c) + "' where a " + std::string(what) + " belongs",
                 position_);
        }
        const std::size_t start = position_;
        while (!atEnd() && isUnquotedCharacter(peek()))
            ++position_;
        return text_.substr(start, position_ - start);
    }

    // One to four hex digits after \U.
    char32_t parseUnicodeEscape(std::size_t escapeStart) {
        char32_t value = 0;
        std::size_t digits = 0;
        while (digits < 4 && !atEnd()) {
            const auto digit = hexValue(peek());
            if (!digit)
                break;
            value = (value << 4) | *digit;
            ++position_;
            ++digits;
        }
        if (digits == 0)
            fail("\\U escape without hex digits", escapeStart);
        return value;
    }

    std::string parseQuoted(char quote) {
        const std::size_t start = position_;
        ++position_;
        std::string out;
        while (true) {
            if (atEnd())
                fail("unterminated quoted string", start);
            const char c = text_[position_++];
            if (c == quote)
                return out;
            if (c != '\\') {
                out.push_back(c);
                continue;
            }
            if (atEnd())
                fail("unterminated quoted string", start);
            const std::size_t escapeStart = position_ - 1;
            const char escape = text_[position_++];
            switch (escape) {
                case 'a':
                    out.push_back('\a');
                    break;
                case 'b':
                    out.push_back('\b');
                    break;
                case 'f':
                    out.push_back('\f');
                    break;
                case 'n':
                    out.push_back('\n');
                    break;
                case 'r':
                    out.push_back('\r');
                    break;
                case 't':
                    out.push_back('\t');
                    break;
                case 'v':
                    out.push_back('\v');
                    break;
                case 'U':
                case 'u': {
                    char32_t unit = parseUnicodeEscape(escapeStart);
                    if (isLowSurrogate(unit))
                        fail("unpaired surrogate in \\U escape", escapeStart);
                    if (isHighSurrogate(unit)) {
                        // The low half must follow at once as a second escape.
                        if (text_.compare(position_, 2, "\\U") != 0 &&
                            text_.compare(position_, 2, "\\u") != 0) {
                            fail("unpaired surrogate in \\U escape", escapeStart);
                        }
                        position_ += 2;
                        const char32_t low = parseUnicodeEscape(escapeStart);
                        if (!isLowSurrogate(low))
                            fail("unpaired surrogate in \\U escape", escapeStart);
                        unit = combineSurrogates(unit, low);
                    }
                    utf8::append(out, unit);
                    break;
                }
                default:
                    if (escape >= '0' && escape <= '7') {
                        // Up to three octal digits naming a code point below U+0100.
                        unsigned value = static_cast<unsigned>(escape - '0');
                        for (int i = 0; i < 2 && !atEnd() && peek() >= '0' && peek() <= '7'; ++i) {
                            value = value * 8 + static_cast<unsigned>(peek() - '0');
                            ++position_;
                        }
                        if (value > 0xFF)
                            fail("octal escape above \\377", escapeStart);
                        utf8::append(out, value);
                    } else {
                        // \\, \", \' and a backslash before anything else stand for the character.
                        out.push_back(escape);
                    }
            }
        }
    }

    std::string text_;
    std::size_t position_ = 0;
    std::vector<PlistEntry> entries_;  // of the dictionaries being read, innermost last
};

}  // namespace

PlistObject readOpenStepPlist(std::span<const std::uint8_t> bytes) {
    return OpenStepParser(decodeText(bytes)).parse();
}

}  // namespace zoral::platform::detail

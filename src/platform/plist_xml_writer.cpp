#include "platform/plist_xml_writer.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "platform/plist_base64.h"
#include "platform/plist_date_text.h"
#include "platform/plist_number_text.h"
#include "platform/plist_serialization.h"
#include "platform/plist_xml_text.h"
#include "platform/utf8.h"

namespace zoral::platform::detail {

namespace {

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

std::vector<std::uint8_t> writeXmlPlist(const PlistObject& object) {
    return XmlWriter().write(object);
}

}  // namespace zoral::platform::detail

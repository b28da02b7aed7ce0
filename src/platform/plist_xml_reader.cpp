#include "platform/plist_xml_reader.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <string_view>

#include <expat.h>

#include "platform/plist_base64.h"
#include "platform/plist_date_text.h"
#include "platform/plist_number_text.h"
#include "platform/plist_serialization.h"
#include "platform/plist_xml_text.h"

namespace zoral::platform::detail {

namespace {

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
                // A repeated key keeps its last value.
                parent.dictionary.insert_or_assign(std::move(*parent.key), std::move(value));
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

}  // namespace

PlistObject readXmlPlist(std::span<const std::uint8_t> bytes) {
    return XmlReader().parse(bytes);
}

}  // namespace zoral::platform::detail

#include "platform/plist_xml_reader.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/plist_base64.h"
#include "platform/plist_date_text.h"
#include "platform/plist_number_text.h"
#include "platform/plist_serialization.h"
#include "platform/plist_value_stack.h"
#include "platform/plist_xml_document.h"
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

std::optional<Element> elementNamed(const char* name) {
    // Compared here rather than by strcmp: the names are short, and there is
    // one for every element of the document.
    auto is = [name](std::string_view candidate) {
        for (std::size_t i = 0; i < candidate.size(); ++i) {
            if (name[i] != candidate[i])
                return false;
        }
        return name[candidate.size()] == '\0';
    };
    switch (name[0]) {
        case 'a':
            return is("array") ? std::optional(Element::array) : std::nullopt;
        case 'd':
            if (is("dict"))
                return Element::dict;
            if (is("data"))
                return Element::data;
            return is("date") ? std::optional(Element::date) : std::nullopt;
        case 'f':
            return is("false") ? std::optional(Element::falseValue) : std::nullopt;
        case 'i':
            return is("integer") ? std::optional(Element::integer) : std::nullopt;
        case 'k':
            return is("key") ? std::optional(Element::key) : std::nullopt;
        case 'p':
            return is("plist") ? std::optional(Element::plist) : std::nullopt;
        case 'r':
            return is("real") ? std::optional(Element::real) : std::nullopt;
        case 's':
            return is("string") ? std::optional(Element::string) : std::nullopt;
        case 't':
            return is("true") ? std::optional(Element::trueValue) : std::nullopt;
        default:
            return std::nullopt;
    }
}

std::string nameOf(Element element) {
    switch (element) {
        case Element::plist:
            return "plist";
        case Element::dict:
            return "dict";
        case Element::array:
            return "array";
        case Element::key:
            return "key";
        case Element::string:
            return "string";
        case Element::integer:
            return "integer";
        case Element::real:
            return "real";
        case Element::trueValue:
            return "true";
        case Element::falseValue:
            return "false";
        case Element::date:
            return "date";
        case Element::data:
            return "data";
    }
    return "?";
}

bool isAllSpace(const char* text) {
    while (isXmlSpace(*text))
        ++text;
    return *text == '\0';
}

// Builds the value from the document's tree. Containers recurse, at most
// plistMaxDepth deep; every other element ends the descent, since an element
// inside a scalar is an error.
class XmlReader {
public:
    explicit XmlReader(const XmlDocument& document) : document_(document) {}

    PlistObject read() {
        const pugi::xml_node root = document_.root();
        const Element element = elementOf(root);
        if (element == Element::plist)
            return plist(root);
        if (element == Element::key)
            document_.fail("<key> outside <dict>", root);
        return value(root, element, 0);
    }

private:
    // The element's kind, once its name is known and its attributes checked.
    Element elementOf(pugi::xml_node node) const {
        const auto element = elementNamed(node.name());
        if (!element)
            document_.fail("unknown element <" + std::string(node.name()) + ">", node);
        document_.checkElement(node);
        return *element;
    }

    // Calls `onElement` for each child element of a node that holds no text
    // of its own, which may hold white space, comments and processing
    // instructions besides.
    template <class OnElement>
    void forEachElement(pugi::xml_node node, Element element, OnElement onElement) {
        checkSpace(node.value(), false, element);
        for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling()) {
            switch (child.type()) {
                case pugi::node_element:
                    onElement(child);
                    break;
                case pugi::node_pcdata:
                case pugi::node_cdata:
                    checkSpace(child.value(), child.type() == pugi::node_cdata, element);
                    break;
                default:
                    document_.checkMarkup(child);
            }
        }
    }

    void checkSpace(const char* raw, bool cdata, Element element) {
        if (isAllSpace(raw))
            return;
        // References may stand for white space.
        const std::string_view text = trimmed(cdata ? raw : document_.characterData(raw, scratch_));
        if (!text.empty()) {
            const std::string_view written = trimmed(raw);
            document_.fail("text " + excerpt(text) + " inside <" + nameOf(element) + ">",
                           written.data());
        }
    }

    // The text of an element that holds text: a view of the document when it
    // is one piece without references, as usual, or of scratch_.
    std::string_view text(pugi::xml_node node, Element element) {
        pugi::xml_node child = node.first_child();
        if (!child)
            return document_.characterData(node.value(), scratch_);
        scratch_.clear();
        document_.appendCharacterData(scratch_, node.value());
        for (; child; child = child.next_sibling()) {
            switch (child.type()) {
                case pugi::node_pcdata:
                    document_.appendCharacterData(scratch_, child.value());
                    break;
                case pugi::node_cdata:
                    scratch_ += child.value();
                    break;
                case pugi::node_element:
                    elementOf(child);
                    document_.fail(
                        "<" + std::string(child.name()) + "> inside <" + nameOf(element) + ">",
                        child);
                default:
                    document_.checkMarkup(child);
            }
        }
        return scratch_;
    }

    PlistObject plist(pugi::xml_node node) {
        std::optional<PlistObject> result;
        forEachElement(node, Element::plist, [&](pugi::xml_node child) {
            const Element element = elementOf(child);
            if (element == Element::plist)
                document_.fail("<plist> inside a value", child);
            if (element == Element::key)
                document_.fail("<key> outside <dict>", child);
            if (result)
                document_.fail("more than one value in <plist>", child);
            result = value(child, element, 0);
        });
        if (!result)
            document_.fail("empty <plist>", node);
        return std::move(*result);
    }

    PlistObject value(pugi::xml_node node, Element element, std::size_t depth) {
        switch (element) {
            case Element::string:
                return PlistObject::string(std::string(text(node, element)));
            case Element::integer: {
                const std::string_view digits = trimmed(text(node, element));
                const auto integer = parseInteger(digits);
                if (!integer)
                    document_.fail("invalid or too large <integer> " + excerpt(digits), node);
                return PlistObject::integer(*integer);
            }
            case Element::real: {
                const std::string_view digits = trimmed(text(node, element));
                const auto real = parseReal(digits);
                if (!real)
                    document_.fail("invalid <real> " + excerpt(digits), node);
                return PlistObject::real(*real);
            }
            case Element::date: {
                const std::string_view written = trimmed(text(node, element));
                const auto date = parseDate(written);
                if (!date)
                    document_.fail("invalid <date> " + excerpt(written), node);
                return PlistObject::date(*date);
            }
            case Element::data: {
                auto data = decodeBase64(text(node, element));
                if (!data)
                    document_.fail("invalid base64 in <data>", node);
                return PlistObject::data(std::move(*data));
            }
            case Element::trueValue:
            case Element::falseValue:
                forEachElement(node, element, [&](pugi::xml_node child) {
                    elementOf(child);
                    document_.fail(
                        "<" + std::string(child.name()) + "> inside <" + nameOf(element) + ">",
                        child);
                });
                return PlistObject::boolean(element == Element::trueValue);
            case Element::array:
                return array(node, depth);
            case Element::dict:
                return dictionary(node, depth);
            case Element::plist:
            case Element::key:
                break;
        }
        document_.fail("<" + nameOf(element) + "> inside a value", node);
    }

    void checkDepth(pugi::xml_node node, std::size_t depth) const {
        if (depth >= plistMaxDepth) {
            document_.fail("containers nested deeper than " + std::to_string(plistMaxDepth), node);
        }
    }

    PlistObject array(pugi::xml_node node, std::size_t depth) {
        checkDepth(node, depth);
        const std::size_t base = items_.size();
        forEachElement(node, Element::array, [&](pugi::xml_node child) {
            const Element element = elementOf(child);
            if (element == Element::key)
                document_.fail("<key> outside <dict>", child);
            PlistObject item = value(child, element, depth + 1);
            items_.push_back(std::move(item));
        });
        return PlistObject::array(takeArray(items_, base));
    }

    PlistObject dictionary(pugi::xml_node node, std::size_t depth) {
        checkDepth(node, depth);
        const std::size_t base = entries_.size();
        std::string key;
        pugi::xml_node keyNode;  // a key still waiting for its value
        forEachElement(node, Element::dict, [&](pugi::xml_node child) {
            const Element element = elementOf(child);
            if (element == Element::key) {
                if (keyNode)
                    document_.fail("<key> " + excerpt(key) + " has no value", child);
                key = std::string(text(child, element));
                keyNode = child;
                return;
            }
            if (!keyNode) {
                document_.fail("<" + nameOf(element) + "> without a <key> in <dict>", child);
            }
            PlistObject item = value(child, element, depth + 1);
            entries_.emplace_back(std::move(key), std::move(item));
            keyNode = pugi::xml_node();
        });
        if (keyNode)
            document_.fail("<key> " + excerpt(key) + " has no value", keyNode);
        return PlistObject::dictionary(takeDictionary(entries_, base));
    }

    const XmlDocument& document_;
    std::string scratch_;
    std::vector<PlistObject> items_;
    std::vector<PlistEntry> entries_;
};

}  // namespace

PlistObject readXmlPlist(std::span<const std::uint8_t> bytes) {
    const XmlDocument document(bytes);
    return XmlReader(document).read();
}

}  // namespace zoral::platform::detail

#include "platform/plist_xml_document.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <optional>
#include <vector>

#include "platform/plist_serialization.h"
#include "platform/plist_unicode.h"
#include "platform/plist_xml_text.h"
#include "platform/utf8.h"

namespace zoral::platform::detail {

namespace {

// Every kind of node is kept, so that none is passed over unchecked, and so is
// text of white space alone, which may be a string's value. References and
// attribute values are left as written, for checkElement and characterData;
// line ends are normalised. Text that is an element's first child is stored
// in the element itself, which spares a node for every scalar.
constexpr unsigned parseOptions = pugi::parse_cdata | pugi::parse_eol | pugi::parse_comments |
                                  pugi::parse_pi | pugi::parse_declaration | pugi::parse_doctype |
                                  pugi::parse_ws_pcdata | pugi::parse_fragment |
                                  pugi::parse_embed_pcdata;

bool isNameStartCharacter(char32_t c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':' ||
           (c >= 0xC0 && c <= 0xD6) || (c >= 0xD8 && c <= 0xF6) || (c >= 0xF8 && c <= 0x2FF) ||
           (c >= 0x370 && c <= 0x37D) || (c >= 0x37F && c <= 0x1FFF) ||
           (c >= 0x200C && c <= 0x200D) || (c >= 0x2070 && c <= 0x218F) ||
           (c >= 0x2C00 && c <= 0x2FEF) || (c >= 0x3001 && c <= 0xD7FF) ||
           (c >= 0xF900 && c <= 0xFDCF) || (c >= 0xFDF0 && c <= 0xFFFD) ||
           (c >= 0x10000 && c <= 0xEFFFF);
}

bool isNameCharacter(char32_t c) {
    return isNameStartCharacter(c) || c == '-' || c == '.' || (c >= '0' && c <= '9') || c == 0xB7 ||
           (c >= 0x300 && c <= 0x36F) || (c >= 0x203F && c <= 0x2040);
}

// The length in bytes of the XML name that starts the text; 0 when none does.
std::size_t nameLength(std::string_view text) {
    std::size_t position = 0;
    while (position < text.size()) {
        std::size_t next = position;
        const auto c = utf8::decode(text, next);
        if (!c || !(position == 0 ? isNameStartCharacter(*c) : isNameCharacter(*c)))
            break;
        position = next;
    }
    return position;
}

bool isName(std::string_view text) {
    return !text.empty() && nameLength(text) == text.size();
}

bool isXmlCharacter(char32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
           (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [&](char x, char y) { return lower(x) == lower(y); });
}

// True when none of eight bytes needs a closer look: all are ASCII, and none
// is a control character other than tab, line feed and carriage return.
bool isPlainAscii(std::uint64_t word) {
    constexpr std::uint64_t ones = 0x0101010101010101u;
    constexpr std::uint64_t high = 0x8080808080808080u;
    if ((word & high) != 0)
        return false;
    // Adding 0x60 sets the high bit of exactly the bytes from 0x20 up.
    const std::uint64_t control = ~(word + 0x60 * ones) & high;
    if (control == 0)
        return true;
    auto zeroBytes = [](std::uint64_t x) { return ~(((x & ~high) + ~high) | x | ~high); };
    const std::uint64_t allowed = zeroBytes(word ^ (0x09 * ones)) |
                                  zeroBytes(word ^ (0x0A * ones)) | zeroBytes(word ^ (0x0D * ones));
    return (control & ~allowed) == 0;
}

struct BadCharacter {
    std::size_t offset;
    std::string what;
};

// The first character that XML does not allow, or the first byte that breaks UTF-8.
std::optional<BadCharacter> findNonXmlCharacter(std::string_view text) {
    std::size_t position = 0;
    while (position < text.size()) {
        if (text.size() - position >= 8) {
            std::uint64_t word = 0;
            std::memcpy(&word, text.data() + position, 8);
            if (isPlainAscii(word)) {
                position += 8;
                continue;
            }
        }
        const std::size_t start = position;
        const auto c = utf8::decode(text, position);
        if (!c)
            return BadCharacter{start, "invalid UTF-8"};
        if (!isXmlCharacter(*c)) {
            constexpr std::string_view digits = "0123456789ABCDEF";
            std::string code = "U+";
            for (int shift = *c > 0xFFFF ? 20 : 12; shift >= 0; shift -= 4)
                code += digits[(*c >> shift) & 0xF];
            return BadCharacter{start, "character " + code + " is not allowed in XML"};
        }
    }
    return std::nullopt;
}

// Public identifiers are restricted to these characters besides letters and digits.
bool isPublicIdCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           std::string_view(" \r\n-'()+,./:=?;!*#@$_%").find(c) != std::string_view::npos;
}

// Letters, digits and "_.-": the version numbers the reader has always taken.
bool isVersionNumber(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
               c == '_' || c == '.' || c == '-';
    });
}

bool isEncodingName(std::string_view text) {
    auto letter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    return !text.empty() && letter(text.front()) &&
           std::all_of(text.begin(), text.end(), [&](char c) {
               return letter(c) || (c >= '0' && c <= '9') || c == '.' || c == '_' || c == '-';
           });
}

std::string upperCase(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return out;
}

std::string_view statusText(pugi::xml_parse_status status) {
    switch (status) {
        case pugi::status_out_of_memory:
            return "out of memory";
        case pugi::status_unrecognized_tag:
            return "not well-formed (unrecognised markup)";
        case pugi::status_bad_pi:
            return "not well-formed (malformed processing instruction)";
        case pugi::status_bad_comment:
            return "not well-formed (malformed comment)";
        case pugi::status_bad_cdata:
            return "not well-formed (malformed CDATA section)";
        case pugi::status_bad_doctype:
            return "not well-formed (misplaced or malformed document type declaration)";
        case pugi::status_bad_pcdata:
            return "not well-formed (malformed text)";
        case pugi::status_bad_start_element:
            return "not well-formed (malformed start tag)";
        case pugi::status_bad_attribute:
            return "not well-formed (malformed attribute)";
        case pugi::status_bad_end_element:
            return "not well-formed (malformed end tag)";
        case pugi::status_end_element_mismatch:
            return "not well-formed (mismatched end tag)";
        default:
            return "not well-formed";
    }
}

}  // namespace

XmlDocument::XmlDocument(std::span<const std::uint8_t> bytes) {
    Source source = decode(bytes);
    // White space before the declaration is tolerated, and so is a byte-order
    // mark after that white space.
    std::size_t position = skipSpace(0);
    if (source.utf16 == Utf16::none && text_.substr(position).starts_with("\xEF\xBB\xBF")) {
        position += 3;
        source.byteOrderMark = true;
    }
    if (isDeclarationAt(position)) {
        std::string encoding;
        const std::size_t start = position;
        position = readDeclaration(position, encoding);
        if (!encoding.empty())
            applyDeclaredEncoding(encoding, source, start);
    }
    if (const auto bad = findNonXmlCharacter(text_))
        failAtOffset("not well-formed (" + bad->what + ")", bad->offset);
    parseBody(readProlog(position));
}

XmlDocument::Source XmlDocument::decode(std::span<const std::uint8_t> bytes) {
    std::string_view raw(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    Source source;
    if (raw.starts_with("\xEF\xBB\xBF")) {
        raw.remove_prefix(3);
        source.byteOrderMark = true;
    } else if (raw.starts_with("\xFE\xFF") || raw.starts_with("\xFF\xFE")) {
        source.utf16 = raw[0] == '\xFE' ? Utf16::bigEndian : Utf16::littleEndian;
        source.byteOrderMark = true;
        raw.remove_prefix(2);
    } else if (raw.starts_with(std::string_view("\0<", 2))) {
        source.utf16 = Utf16::bigEndian;
    } else if (raw.starts_with(std::string_view("<\0", 2))) {
        source.utf16 = Utf16::littleEndian;
    }
    if (source.utf16 == Utf16::none) {
        text_ = raw;
        return source;
    }
    converted_.reserve(raw.size() / 2);
    const auto bad =
        appendUtf16AsUtf8(converted_, reinterpret_cast<const std::uint8_t*>(raw.data()),
                          raw.size() / 2, source.utf16 == Utf16::bigEndian);
    text_ = converted_;
    if (bad)
        failAtOffset("not well-formed (unpaired surrogate in UTF-16 text)", converted_.size());
    if (raw.size() % 2 != 0)
        failAtOffset("not well-formed (UTF-16 text of odd length)", converted_.size());
    return source;
}

std::size_t XmlDocument::skipSpace(std::size_t position) const {
    while (position < text_.size() && isXmlSpace(text_[position]))
        ++position;
    return position;
}

bool XmlDocument::isDeclarationAt(std::size_t position) const {
    const std::string_view rest = text_.substr(position);
    return rest.size() > 5 && rest.starts_with("<?xml") && (isXmlSpace(rest[5]) || rest[5] == '?');
}

std::size_t XmlDocument::readDeclaration(std::size_t position, std::string& encoding) const {
    std::size_t at = position + 5;
    auto malformed = [&]() { failAtOffset("not well-formed (malformed XML declaration)", at); };
    // One pseudo-attribute, which must follow white space; nullopt, with
    // nothing read, when the next one has another name.
    auto attribute = [&](std::string_view name) -> std::optional<std::string_view> {
        const std::size_t afterSpace = skipSpace(at);
        if (afterSpace == at || !text_.substr(afterSpace).starts_with(name))
            return std::nullopt;
        at = skipSpace(afterSpace + name.size());
        if (at >= text_.size() || text_[at] != '=')
            malformed();
        at = skipSpace(at + 1);
        if (at >= text_.size() || (text_[at] != '"' && text_[at] != '\''))
            malformed();
        const std::size_t end = text_.find(text_[at], at + 1);
        if (end == std::string_view::npos)
            malformed();
        const std::string_view value = text_.substr(at + 1, end - at - 1);
        at = end + 1;
        return value;
    };
    const auto version = attribute("version");
    if (!version || !isVersionNumber(*version))
        malformed();
    if (const auto name = attribute("encoding")) {
        if (!isEncodingName(*name))
            malformed();
        encoding = std::string(*name);
    }
    if (const auto standalone = attribute("standalone")) {
        if (*standalone != "yes" && *standalone != "no")
            malformed();
    }
    at = skipSpace(at);
    if (!text_.substr(at).starts_with("?>"))
        malformed();
    return at + 2;
}

void XmlDocument::applyDeclaredEncoding(const std::string& name, Source source,
                                        std::size_t declaration) {
    const std::string encoding = upperCase(name);
    auto mismatch = [&]() {
        const char* actual = source.utf16 == Utf16::bigEndian      ? "UTF-16BE"
                             : source.utf16 == Utf16::littleEndian ? "UTF-16LE"
                                                                   : "an 8-bit encoding";
        failAtOffset("encoding \"" + name + "\" declared for text in " + actual, declaration);
    };
    if (encoding == "UTF-16" || encoding == "UTF-16BE" || encoding == "UTF-16LE") {
        const bool fits = source.utf16 != Utf16::none &&
                          !(encoding == "UTF-16BE" && source.utf16 != Utf16::bigEndian) &&
                          !(encoding == "UTF-16LE" && source.utf16 != Utf16::littleEndian);
        if (!fits)
            mismatch();
        return;
    }
    if (encoding != "UTF-8" && encoding != "ISO-8859-1" && encoding != "US-ASCII")
        failAtOffset("unknown encoding \"" + name + "\"", declaration);
    if (source.utf16 != Utf16::none || (source.byteOrderMark && encoding != "UTF-8"))
        mismatch();
    if (encoding == "US-ASCII") {
        const auto high = std::find_if(text_.begin(), text_.end(),
                                       [](char c) { return static_cast<std::uint8_t>(c) >= 0x80; });
        if (high != text_.end()) {
            failAtOffset("not well-formed (byte outside US-ASCII)",
                         static_cast<std::size_t>(high - text_.begin()));
        }
    } else if (encoding == "ISO-8859-1") {
        std::string converted;
        converted.reserve(text_.size());
        for (const char c : text_)
            utf8::append(converted, static_cast<std::uint8_t>(c));
        converted_ = std::move(converted);
        text_ = converted_;
    }
}

std::size_t XmlDocument::readProlog(std::size_t position) const {
    bool sawDocumentType = false;
    for (;;) {
        position = skipSpace(position);
        const std::string_view rest = text_.substr(position);
        if (rest.empty()) {
            failAtOffset("no root element", position);
        } else if (rest.starts_with("<!--")) {
            position = skipComment(position);
        } else if (rest.starts_with("<?")) {
            position = skipProcessingInstruction(position);
        } else if (rest.starts_with("<!DOCTYPE")) {
            if (sawDocumentType)
                failAtOffset("second document type declaration", position);
            position = readDocumentType(position);
            sawDocumentType = true;
        } else if (rest.front() == '<' && nameLength(rest.substr(1)) > 0) {
            return position;
        } else if (rest.front() == '<') {
            failAtOffset("not well-formed (unrecognised markup)", position);
        } else {
            failAtOffset("text " + excerpt(rest) + " before the root element", position);
        }
    }
}

std::size_t XmlDocument::skipComment(std::size_t position) const {
    const std::size_t start = position + 4;
    const std::size_t end = text_.find("-->", start);
    if (end == std::string_view::npos)
        failAtOffset("not well-formed (unterminated comment)", position);
    checkComment(text_.substr(start, end - start), start);
    return end + 3;
}

std::size_t XmlDocument::skipProcessingInstruction(std::size_t position) const {
    const std::size_t start = position + 2;
    const std::size_t length = nameLength(text_.substr(start));
    if (length == 0)
        failAtOffset("not well-formed (processing instruction without a target)", start);
    checkProcessingTarget(text_.substr(start, length), start);
    const std::size_t after = start + length;
    if (text_.substr(after).starts_with("?>"))
        return after + 2;
    if (after >= text_.size() || !isXmlSpace(text_[after]))
        failAtOffset("not well-formed (malformed processing instruction)", after);
    const std::size_t end = text_.find("?>", after);
    if (end == std::string_view::npos)
        failAtOffset("not well-formed (unterminated processing instruction)", position);
    return end + 2;
}

std::size_t XmlDocument::readDocumentType(std::size_t position) const {
    std::size_t at = position + std::string_view("<!DOCTYPE").size();
    auto malformed = [&]() {
        failAtOffset("not well-formed (malformed document type declaration)", at);
    };
    auto requireSpace = [&]() {
        if (at >= text_.size() || !isXmlSpace(text_[at]))
            malformed();
        at = skipSpace(at);
    };
    // A quoted literal; a public identifier allows only some characters.
    auto literal = [&](bool publicId) {
        if (at >= text_.size() || (text_[at] != '"' && text_[at] != '\''))
            malformed();
        const char quote = text_[at];
        const std::size_t end = text_.find(quote, at + 1);
        if (end == std::string_view::npos)
            malformed();
        if (publicId) {
            const std::string_view id = text_.substr(at + 1, end - at - 1);
            if (!std::all_of(id.begin(), id.end(), isPublicIdCharacter))
                malformed();
        }
        at = end + 1;
    };

    requireSpace();
    const std::size_t length = nameLength(text_.substr(at));
    if (length == 0)
        malformed();
    at += length;
    const std::size_t beforeSpace = at;
    at = skipSpace(at);
    const std::string_view rest = text_.substr(at);
    if (at > beforeSpace && (rest.starts_with("SYSTEM") || rest.starts_with("PUBLIC"))) {
        const bool isPublic = rest.starts_with("PUBLIC");
        at += 6;
        requireSpace();
        if (isPublic) {
            literal(true);
            requireSpace();
        }
        literal(false);
        at = skipSpace(at);
    }
    if (at < text_.size() && text_[at] == '[')
        at = skipSpace(readInternalSubset(at + 1));
    if (at >= text_.size() || text_[at] != '>')
        malformed();
    return at + 1;
}

std::size_t XmlDocument::readInternalSubset(std::size_t position) const {
    for (;;) {
        position = skipSpace(position);
        const std::string_view rest = text_.substr(position);
        if (rest.empty())
            failAtOffset("not well-formed (unterminated document type declaration)", position);
        if (rest.front() == ']')
            return position + 1;
        if (rest.starts_with("<!--")) {
            position = skipComment(position);
        } else if (rest.starts_with("<?")) {
            position = skipProcessingInstruction(position);
        } else if (rest.starts_with("<!ENTITY")) {
            std::size_t at = skipSpace(position + 8);
            if (at < text_.size() && text_[at] == '%')
                at = skipSpace(at + 1);
            const std::string_view name = text_.substr(at, nameLength(text_.substr(at)));
            if (name.empty())
                failAtOffset("not well-formed (malformed entity declaration)", at);
            failAtOffset("entity declaration \"" + std::string(name) +
                             "\" (entity declarations are not allowed)",
                         position);
        } else if (rest.front() == '%') {
            const std::string_view name = rest.substr(1, nameLength(rest.substr(1)));
            if (name.empty() || !rest.substr(1 + name.size()).starts_with(";"))
                failAtOffset("not well-formed (malformed parameter-entity reference)", position);
            failAtOffset("unknown entity %" + std::string(name) + ";", position);
        } else if (rest.starts_with("<!ELEMENT") || rest.starts_with("<!ATTLIST") ||
                   rest.starts_with("<!NOTATION")) {
            const std::string_view keyword = rest.substr(0, rest.find_first_of(" \t\r\n>"));
            failAtOffset("declaration " + std::string(keyword) +
                             " in the document type (declarations are not read)",
                         position);
        } else {
            failAtOffset("not well-formed (malformed document type declaration)", position);
        }
    }
}

void XmlDocument::parseBody(std::size_t start) {
    bodyStart_ = start;
    bodySize_ = text_.size() - start;
    // With its terminator inside the buffer, the parser never has to cut the
    // last character short.
    body_ = std::make_unique_for_overwrite<char[]>(bodySize_ + 1);
    std::memcpy(body_.get(), text_.data() + start, bodySize_);
    body_[bodySize_] = '\0';
    const pugi::xml_parse_result result =
        tree_.load_buffer_inplace(body_.get(), bodySize_ + 1, parseOptions, pugi::encoding_utf8);
    if (!result) {
        auto offset = static_cast<std::size_t>(std::max<std::ptrdiff_t>(result.offset, 0));
        if (result.status == pugi::status_end_element_mismatch && offset + 1 >= bodySize_) {
            failAtOffset("not well-formed (unclosed element at the end of the document)",
                         start + bodySize_);
        }
        failAtOffset(std::string(statusText(result.status)), start + offset);
    }
    // The prolog ended where an element starts.
    root_ = tree_.first_child();
    if (root_.type() != pugi::node_element)
        failAtOffset("no root element", start);
    for (pugi::xml_node node = root_.next_sibling(); node; node = node.next_sibling()) {
        switch (node.type()) {
            case pugi::node_pcdata: {
                const std::string_view text = trimmed(node.value());
                if (!text.empty())
                    fail("text " + excerpt(text) + " after the root element", text.data());
                break;
            }
            case pugi::node_element:
                fail("second root element <" + std::string(node.name()) + ">", node);
            case pugi::node_cdata:
                fail("CDATA section after the root element", node);
            default:
                checkMarkup(node);
        }
    }
    // Everything after the root element ends in ">", but the parser takes a
    // lone "<" after text at the very end.
    if (const std::size_t last = text_.find_last_not_of(" \t\r\n"); text_[last] != '>')
        failAtOffset("not well-formed (unfinished markup at the end of the document)", last);
}

void XmlDocument::checkMarkup(pugi::xml_node node) const {
    switch (node.type()) {
        case pugi::node_comment:
            checkComment(node.value(), offsetOf(node));
            return;
        case pugi::node_pi:
            checkProcessingTarget(node.name(), offsetOf(node));
            return;
        case pugi::node_declaration:
            fail("XML declaration not at the start of the document", node);
        case pugi::node_doctype:
            fail("document type declaration after the root element", node);
        default:
            return;
    }
}

void XmlDocument::checkComment(std::string_view body, std::size_t offset) const {
    if (body.find("--") != std::string_view::npos || body.ends_with('-'))
        failAtOffset("not well-formed (\"--\" inside a comment)", offset);
}

void XmlDocument::checkProcessingTarget(std::string_view target, std::size_t offset) const {
    if (!isName(target))
        failAtOffset("not well-formed (malformed processing instruction)", offset);
    if (equalsIgnoringCase(target, "xml"))
        failAtOffset("XML declaration not at the start of the document", offset);
}

void XmlDocument::checkAttributes(pugi::xml_node element) const {
    std::vector<std::string_view> names;
    for (pugi::xml_attribute attribute = element.first_attribute(); attribute;
         attribute = attribute.next_attribute()) {
        const std::string_view name = attribute.name();
        if (!isName(name))
            fail("not well-formed (malformed attribute name)", attribute.name());
        const std::string_view value = attribute.value();
        if (const std::size_t bracket = value.find('<'); bracket != std::string_view::npos)
            fail("not well-formed (\"<\" in the value of attribute " + std::string(name) + ")",
                 value.data() + bracket);
        resolve(nullptr, value);
        names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    if (const auto repeated = std::adjacent_find(names.begin(), names.end());
        repeated != names.end()) {
        fail("duplicate attribute " + std::string(*repeated), element);
    }
}

std::string_view XmlDocument::characterData(std::string_view raw, std::string& scratch) const {
    if (raw.find("]]>") != std::string_view::npos || raw.find('&') != std::string_view::npos) {
        scratch.clear();
        appendCharacterData(scratch, raw);
        return scratch;
    }
    return raw;
}

void XmlDocument::appendCharacterData(std::string& out, std::string_view raw) const {
    if (const std::size_t end = raw.find("]]>"); end != std::string_view::npos)
        fail("not well-formed (\"]]>\" in text)", raw.data() + end);
    resolve(&out, raw);
}

void XmlDocument::resolve(std::string* out, std::string_view raw) const {
    std::size_t done = 0;
    for (std::size_t amp = raw.find('&'); amp != std::string_view::npos;
         amp = raw.find('&', done)) {
        if (out != nullptr)
            out->append(raw.substr(done, amp - done));
        const std::size_t semicolon = raw.find(';', amp);
        if (semicolon == std::string_view::npos)
            fail("not well-formed (\"&\" that starts no reference)", raw.data() + amp);
        const std::string_view reference = raw.substr(amp + 1, semicolon - amp - 1);
        char32_t resolved = 0;
        if (reference.starts_with('#')) {
            const bool hex = reference.starts_with("#x");
            const std::string_view digits = reference.substr(hex ? 2 : 1);
            std::uint32_t value = 0;
            bool valid = !digits.empty();
            for (const char c : digits) {
                unsigned digit = 0;
                if (c >= '0' && c <= '9')
                    digit = static_cast<unsigned>(c - '0');
                else if (hex && c >= 'a' && c <= 'f')
                    digit = static_cast<unsigned>(c - 'a' + 10);
                else if (hex && c >= 'A' && c <= 'F')
                    digit = static_cast<unsigned>(c - 'A' + 10);
                else
                    valid = false;
                // Past U+10FFFF the value stops growing: it is invalid anyway.
                value = std::min<std::uint32_t>(value * (hex ? 16 : 10) + digit, 0x110000);
            }
            if (!valid || !isXmlCharacter(value)) {
                fail("reference to invalid character number &" + std::string(reference) + ";",
                     raw.data() + amp);
            }
            resolved = value;
        } else if (reference == "amp") {
            resolved = '&';
        } else if (reference == "lt") {
            resolved = '<';
        } else if (reference == "gt") {
            resolved = '>';
        } else if (reference == "apos") {
            resolved = '\'';
        } else if (reference == "quot") {
            resolved = '"';
        } else if (isName(reference)) {
            fail("unknown entity &" + std::string(reference) + ";", raw.data() + amp);
        } else {
            fail("not well-formed (\"&\" that starts no reference)", raw.data() + amp);
        }
        if (out != nullptr)
            utf8::append(*out, resolved);
        done = semicolon + 1;
    }
    if (out != nullptr)
        out->append(raw.substr(done));
}

std::size_t XmlDocument::offsetOf(const char* at) const {
    const std::less<const char*> before;
    if (at == nullptr || before(at, body_.get()) || before(body_.get() + bodySize_, at))
        return bodyStart_;
    return bodyStart_ + static_cast<std::size_t>(at - body_.get());
}

std::size_t XmlDocument::offsetOf(pugi::xml_node node) const {
    const std::ptrdiff_t offset = node.offset_debug();
    return offset < 0 ? bodyStart_ : bodyStart_ + static_cast<std::size_t>(offset);
}

void XmlDocument::fail(const std::string& what, const char* at) const {
    failAtOffset(what, offsetOf(at));
}

void XmlDocument::fail(const std::string& what, pugi::xml_node at) const {
    failAtOffset(what, offsetOf(at));
}

void XmlDocument::failAtOffset(const std::string& what, std::size_t offset) const {
    const std::string_view before = text_.substr(0, std::min(offset, text_.size()));
    const std::size_t lineStart = before.rfind('\n') + 1;  // 0 when on the first line
    const auto line = 1 + std::count(before.begin(), before.end(), '\n');
    // Columns count characters, not the bytes that follow a UTF-8 lead byte.
    const auto column =
        1 + std::count_if(before.begin() + static_cast<std::ptrdiff_t>(lineStart), before.end(),
                          [](char c) { return (static_cast<std::uint8_t>(c) & 0xC0u) != 0x80u; });
    throw PlistSerializationError("XML property list: " + what + " at line " +
                                  std::to_string(line) + ", column " + std::to_string(column));
}

}  // namespace zoral::platform::detail

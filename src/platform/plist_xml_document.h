#pragma once

// An XML document as the property-list reader takes it: decoded to UTF-8
// (from UTF-8, UTF-16, ISO-8859-1 or US-ASCII), checked character by
// character, its prolog (declaration, comments, processing instructions and
// document type) read here, and its body parsed in place into a tree.
//
// The tree's parser is fast because it checks the markup but not every rule
// of XML; the rules it leaves out are checked here, so that only well-formed
// XML 1.0 is read. What comes before and after the root element is checked
// when the document is made; attributes, comments, processing instructions
// and the references in text are checked as the reader walks the tree
// (checkElement, checkMarkup, characterData), so that each node is visited
// once.
//
// Entities are where expansion bombs and reads of outside files come from. A
// document type may name an external DTD, which is never read; an internal
// subset may hold comments and processing instructions but no declaration,
// and an entity declaration is refused as such. Only the five predefined
// entities and character references are resolved.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include <pugixml.hpp>

namespace zoral::platform::detail {

class XmlDocument {
public:
    // Throws PlistSerializationError when the bytes are not well-formed XML.
    explicit XmlDocument(std::span<const std::uint8_t> bytes);
    XmlDocument(const XmlDocument&) = delete;
    XmlDocument& operator=(const XmlDocument&) = delete;

    // The root element.
    pugi::xml_node root() const { return root_; }

    // Checks an element's attributes: distinct names, and values without "<"
    // and with valid references. Attributes carry nothing in a property list.
    void checkElement(pugi::xml_node element) const {
        if (element.first_attribute())
            checkAttributes(element);
    }

    // Checks a node inside an element that is neither an element nor text: a
    // comment or processing instruction must be well-formed; a document type
    // or XML declaration may not stand there.
    void checkMarkup(pugi::xml_node node) const;

    // Character data with its references resolved: a view of the document
    // when there are none (the usual case), otherwise of `scratch`.
    std::string_view characterData(std::string_view raw, std::string& scratch) const;
    // The same, appended to `out`.
    void appendCharacterData(std::string& out, std::string_view raw) const;

    // Throws "XML property list: <what> at line L, column C" for a position
    // inside the parsed tree (a node's name or value, or text within them).
    [[noreturn]] void fail(const std::string& what, const char* at) const;
    [[noreturn]] void fail(const std::string& what, pugi::xml_node at) const;

private:
    enum class Utf16 { none, bigEndian, littleEndian };
    struct Source {
        Utf16 utf16 = Utf16::none;
        bool byteOrderMark = false;
    };

    [[noreturn]] void failAtOffset(const std::string& what, std::size_t offset) const;
    std::size_t offsetOf(const char* at) const;
    std::size_t offsetOf(pugi::xml_node node) const;

    Source decode(std::span<const std::uint8_t> bytes);
    std::size_t skipSpace(std::size_t position) const;
    bool isDeclarationAt(std::size_t position) const;
    std::size_t readDeclaration(std::size_t position, std::string& encoding) const;
    void applyDeclaredEncoding(const std::string& name, Source source, std::size_t declaration);
    std::size_t readProlog(std::size_t position) const;
    std::size_t skipComment(std::size_t position) const;
    std::size_t skipProcessingInstruction(std::size_t position) const;
    std::size_t readDocumentType(std::size_t position) const;
    std::size_t readInternalSubset(std::size_t position) const;
    void parseBody(std::size_t start);
    void checkAttributes(pugi::xml_node element) const;
    void checkComment(std::string_view body, std::size_t offset) const;
    void checkProcessingTarget(std::string_view target, std::size_t offset) const;
    // Resolves the references of `raw` into `out`, or only checks them when
    // `out` is null.
    void resolve(std::string* out, std::string_view raw) const;

    std::string_view text_;  // the whole document as UTF-8, after any byte-order mark
    std::string converted_;  // the text when it had to be converted to UTF-8
    std::size_t bodyStart_ = 0;
    std::unique_ptr<char[]> body_;  // the text from the root element on, parsed in place
    std::size_t bodySize_ = 0;
    pugi::xml_document tree_;
    pugi::xml_node root_;
};

}  // namespace zoral::platform::detail

#include "platform/plist_serialization.h"

#include <string>
#include <string_view>

#include "platform/plist_binary.h"
#include "platform/plist_openstep.h"
#include "platform/plist_xml_reader.h"
#include "platform/plist_xml_writer.h"

namespace zoral::platform {

namespace {

constexpr std::string_view binaryMagic = "bplist00";

bool startsWith(std::span<const std::uint8_t> bytes, std::string_view prefix) {
    if (bytes.size() < prefix.size())
        return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (bytes[i] != static_cast<std::uint8_t>(prefix[i]))
            return false;
    }
    return true;
}

bool isXmlSpace(char32_t c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// The first few characters after a byte-order mark and white space, ASCII only:
// enough to tell an XML document from old-style text in UTF-8 or UTF-16.
std::string leadingText(std::span<const std::uint8_t> bytes) {
    constexpr std::size_t wanted = 8;
    std::string text;
    const bool utf16 = bytes.size() >= 2 && ((bytes[0] == 0xFE && bytes[1] == 0xFF) ||
                                             (bytes[0] == 0xFF && bytes[1] == 0xFE));
    if (utf16) {
        const bool bigEndian = bytes[0] == 0xFE;
        for (std::size_t i = 2; i + 1 < bytes.size() && text.size() < wanted; i += 2) {
            const char32_t unit = bigEndian ? static_cast<char32_t>((bytes[i] << 8) | bytes[i + 1])
                                            : static_cast<char32_t>((bytes[i + 1] << 8) | bytes[i]);
            if (unit >= 0x80)
                break;
            if (text.empty() && isXmlSpace(unit))
                continue;
            text.push_back(static_cast<char>(unit));
        }
        return text;
    }
    std::size_t i = startsWith(bytes, "\xEF\xBB\xBF") ? 3 : 0;
    while (i < bytes.size() && isXmlSpace(bytes[i]))
        ++i;
    for (; i < bytes.size() && text.size() < wanted; ++i)
        text.push_back(static_cast<char>(bytes[i]));
    return text;
}

PlistFormat detectFormat(std::span<const std::uint8_t> bytes) {
    if (startsWith(bytes, binaryMagic))
        return PlistFormat::binary;
    if (startsWith(bytes, "bplist")) {
        throw PlistSerializationError(
            "binary property list: unsupported version at offset 6 (only bplist00 is read)");
    }
    const std::string text = leadingText(bytes);
    const std::string_view lead(text);
    // "<!" covers a document type declaration or a comment before the root.
    if (lead.starts_with("<?xml") || lead.starts_with("<!") || lead.starts_with("<plist")) {
        return PlistFormat::xml;
    }
    return PlistFormat::openStep;
}

}  // namespace

PlistReadResult readPlist(std::span<const std::uint8_t> bytes) {
    const PlistFormat format = detectFormat(bytes);
    switch (format) {
        case PlistFormat::binary:
            return {detail::readBinaryPlist(bytes), format};
        case PlistFormat::xml:
            return {detail::readXmlPlist(bytes), format};
        case PlistFormat::openStep:
            return {detail::readOpenStepPlist(bytes), format};
    }
    throw PlistSerializationError("unknown property-list format");
}

std::vector<std::uint8_t> writePlist(const PlistObject& object, PlistFormat format) {
    switch (format) {
        case PlistFormat::xml:
            return detail::writeXmlPlist(object);
        case PlistFormat::binary:
            return detail::writeBinaryPlist(object);
        case PlistFormat::openStep:
            throw PlistSerializationError(
                "the old-style property-list format is read-only and cannot be written");
    }
    throw PlistSerializationError("unknown property-list format " +
                                  std::to_string(static_cast<int>(format)));
}

}  // namespace zoral::platform

#pragma once

// Reading and writing property-list files. Three formats are read, with the
// format found reported back: the XML format, the binary "bplist00" format and
// the old-style text format. XML and binary are written; the old-style format
// is read-only, as on the system.
//
// Every malformed input ends in a PlistSerializationError that says what is
// wrong and where (a line for the text formats, a byte offset for binary),
// never in a crash, a hang or memory out of proportion to the input.
//
// Values that a format cannot hold are refused on writing rather than written
// wrongly: XML cannot carry control characters other than tab, newline and
// carriage return, nor dates beyond about 285 million years from 2001. Reals
// keep every bit in both formats: NaN, the infinities and -0.0 included (XML
// spells them "nan", "+infinity" and "-infinity"). XML dates carry fractional
// seconds only when the date has them.

#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <vector>

#include "platform/plist_object.h"

namespace zoral::platform {

enum class PlistFormat : int { openStep = 1, xml = 100, binary = 200 };

struct PlistReadResult {
    PlistObject object;
    PlistFormat format;
};

// What is wrong and where (byte offset, or line for the text formats).
class PlistSerializationError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Containers nested deeper than this are refused by every reader and writer,
// so that neither a hostile file nor a runaway value can exhaust the stack.
inline constexpr std::size_t plistMaxDepth = 512;

// Throws PlistSerializationError.
PlistReadResult readPlist(std::span<const std::uint8_t> bytes);

// Throws PlistSerializationError for the old-style format, which is never
// written, and for values the format cannot hold (invalid UTF-8, nesting
// deeper than plistMaxDepth, see above for XML).
std::vector<std::uint8_t> writePlist(const PlistObject& object, PlistFormat format);

}  // namespace zoral::platform

#pragma once

// What every property-list fuzz target checks of a value that a reader
// accepted: each writer either refuses it with an error or writes something
// that reads back as the same value.

#include <cstdlib>

#include "platform/plist_serialization.h"

namespace zoral::fuzz {

inline void checkRoundTrips(const platform::PlistObject& value) {
    using namespace zoral::platform;
    for (const PlistFormat format : {PlistFormat::xml, PlistFormat::binary}) {
        std::vector<std::uint8_t> bytes;
        try {
            bytes = writePlist(value, format);
        } catch (const PlistSerializationError&) {
            continue;  // a value this format cannot hold
        }
        const PlistReadResult result = readPlist(bytes);  // must not throw
        if (result.format != format || !(result.object == value))
            std::abort();
    }
}

// Runs one reader on the input; a PlistSerializationError is the expected
// answer to bad input, anything else escapes and is a finding.
template <class Reader>
int fuzzReader(const std::uint8_t* data, std::size_t size, Reader reader) {
    platform::PlistObject value;
    try {
        value = reader(std::span<const std::uint8_t>(data, size));
    } catch (const platform::PlistSerializationError&) {
        return 0;
    }
    checkRoundTrips(value);
    return 0;
}

}  // namespace zoral::fuzz

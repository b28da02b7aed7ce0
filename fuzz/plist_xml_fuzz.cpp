// The XML property-list reader on arbitrary bytes.

#include <cstddef>
#include <cstdint>

#include "platform/plist_xml_reader.h"
#include "plist_fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return zoral::fuzz::fuzzReader(data, size, zoral::platform::detail::readXmlPlist);
}

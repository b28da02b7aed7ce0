#pragma once

// Short ways to write property-list objects in a test, and to read a file's bytes.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "platform/plist_object.h"

namespace zoral::platform::plist_builders {

inline PlistObject str(std::string text) {
    return PlistObject::string(std::move(text));
}

inline PlistObject integer(std::int64_t value) {
    return PlistObject::integer(value);
}

inline PlistObject dict(std::initializer_list<PlistDictionary::value_type> entries) {
    return PlistObject::dictionary(PlistDictionary(entries));
}

inline std::vector<std::uint8_t> readBytes(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

}  // namespace zoral::platform::plist_builders

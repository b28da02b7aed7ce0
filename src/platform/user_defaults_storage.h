#pragma once

// How user defaults keep a domain on disk: one property-list file, read whole when the domain is
// first needed and written whole, atomically, after each change. A file that cannot be read is
// moved aside to <file>.corrupt, with one line, and the domain starts empty.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/plist_object.h"

namespace zoral::platform::detail {

struct StoredDomain {
    PlistDictionary values;
    // None without a home directory: the domain then lives in memory only.
    std::optional<std::filesystem::path> path;
    // Its unreadable file could not be moved aside, and must not be overwritten.
    bool saveBlocked = false;
    // The last save failed; synchronize tries again.
    bool unsaved = false;
};

// Reads the domain's file at `path` (none: a domain in memory only). Lines to print go to `lines`.
StoredDomain loadDomain(std::string_view name, std::optional<std::filesystem::path> path,
                        std::vector<std::string>& lines);

// Saves the domain's values. Returns the line to print when they could not be saved.
std::optional<std::string> saveDomain(std::string_view name, StoredDomain& domain);

}  // namespace zoral::platform::detail

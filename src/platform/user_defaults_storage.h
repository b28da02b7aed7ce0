#pragma once

// How user defaults keep a domain on disk: one property-list file, read whole when the domain is
// first needed and written whole, atomically, after each change.
//
// Reading tells apart what is wrong with a file's content from a file that cannot be opened:
// - a file whose content is unusable (not a property list, a root that is no dictionary, larger
//   than platform::propertyListFileSizeLimit(), or no regular file at all, such as a pipe) is set
//   aside to <file>.corrupt, or .corrupt.1, .corrupt.2 and on when earlier copies are there, never
//   over one of them; the domain starts empty;
// - a file that cannot be opened or read (no permission, a link loop, an I/O error) is left where
//   it is, and the domain keeps what it holds in memory but is never saved over it.
// Each case prints one line. A change that would make the file larger than can be read back is
// refused, so that what is saved can always be read again.

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
    // The file at the path is not to be replaced: it could not be read, and is still there.
    bool saveBlocked = false;
    // The last save failed; a later one tries again.
    bool unsaved = false;
};

struct LoadedDomain {
    StoredDomain domain;
    // The file is there but could not be opened or read: a domain read again keeps its values.
    bool keepsValues = false;
};

// Reads the domain's file at `path` (none: a domain in memory only). Lines to print go to `lines`.
LoadedDomain loadDomain(std::string_view name, std::optional<std::filesystem::path> path,
                        std::vector<std::string>& lines);

// Makes `values` the domain's values and saves them. Returns the line to print when they could not
// be saved; they are kept even so, to be saved again later, unless the file would be too large to
// be read back: then the domain is left as it was.
std::optional<std::string> storeDomain(std::string_view name, StoredDomain& domain,
                                       PlistDictionary values);

// Saves the domain's values as they are, after a failed save. Returns the line to print when it
// still fails.
std::optional<std::string> saveDomain(std::string_view name, StoredDomain& domain);

}  // namespace zoral::platform::detail

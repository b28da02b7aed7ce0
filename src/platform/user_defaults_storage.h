#pragma once

// How user defaults keep a domain on disk: one property-list file, read whole when the domain is
// first needed and written whole, atomically, by saves that run apart from the changes
// (user_defaults.h says when). A save takes a copy of the values with the lock held and makes and
// writes the file without it.
//
// Reading tells apart what is wrong with a file's content from a file that cannot be opened:
// - a file whose content is unusable (not a property list, a root that is no dictionary, larger
//   than platform::propertyListFileSizeLimit(), or no regular file at all, such as a pipe) is set
//   aside to <file>.corrupt, or .corrupt.1, .corrupt.2 and on when earlier copies are there, never
//   over one of them; the domain starts empty;
// - a file that cannot be opened or read (no permission, a link loop, an I/O error) is left where
//   it is, and the domain keeps what it holds in memory but is never saved over it.
// Each case prints one line. A change that would make the file larger than can be read back is
// refused when it is made, so that what is saved can always be read again. To know the size
// without writing the file at every change, the size of the file in XML is kept entry by entry;
// only a domain past the limit in XML, or holding what XML cannot, is written out whole (in the
// binary format) to check a change.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/plist_object.h"

namespace zoral::platform::detail {

// What one entry of a domain takes in its file in XML; none when XML cannot hold it.
using XmlEntrySize = std::optional<std::size_t>;
XmlEntrySize xmlEntrySize(std::string_view key, const PlistObject& value);

// One entry set or removed, with its size measured beforehand.
struct EntryChange {
    std::string key;
    bool removed = false;
    XmlEntrySize size;  // of the new entry, unless removed
};

// The size of a domain's file in XML, kept entry by entry: the file is its entries' sizes and a
// fixed frame around them.
class DomainFileSize {
public:
    static DomainFileSize of(const PlistDictionary& values);

    void apply(const EntryChange& change);
    // The whole file in XML; none when XML cannot hold one of the entries.
    std::optional<std::size_t> xml() const;
    // The same after the change, which is not applied.
    std::optional<std::size_t> xmlAfter(const EntryChange& change) const;

private:
    std::map<std::string, XmlEntrySize, std::less<>> entries_;
    std::size_t total_ = 0;       // of the entries that XML holds
    std::size_t unwritable_ = 0;  // entries that XML cannot hold
};

struct StoredDomain {
    PlistDictionary values;
    DomainFileSize size;
    // None without a home directory: the domain then lives in memory only.
    std::optional<std::filesystem::path> path;
    // The file at the path is not to be replaced: it could not be read, and is still there.
    bool saveBlocked = false;
    // Counts the changes of the values; the file holds them up to savedVersion.
    std::uint64_t version = 0;
    std::uint64_t savedVersion = 0;
    // The kind of fault the last failed save met, until a save succeeds: a fault is said once,
    // not at every save that meets it again.
    std::optional<std::string> lastFailure;

    bool hasUnsavedChanges() const { return path && version != savedVersion; }
};

struct LoadedDomain {
    StoredDomain domain;
    // The file is there but could not be opened or read: a domain read again keeps its values.
    bool keepsValues = false;
};

// Reads the domain's file at `path` (none: a domain in memory only). Lines to print go to `lines`.
LoadedDomain loadDomain(std::string_view name, std::optional<std::filesystem::path> path,
                        std::vector<std::string>& lines);

// The line to print when a file of `values` (sized `size` in XML) would be larger than can be read
// back; none when it can be read.
std::optional<std::string> oversizedFile(std::string_view name, const PlistDictionary& values,
                                         const DomainFileSize& size);

// What a save writes: a domain's values as they were when the save took them.
struct DomainSave {
    std::string name;
    PlistDictionary values;
    std::filesystem::path path;
    bool blocked = false;
    std::optional<std::size_t> xmlSize;
    std::uint64_t version = 0;
};

// Takes what a save of the domain, which has a path, writes.
DomainSave takeSave(std::string_view name, const StoredDomain& domain);

struct SaveFailure {
    // The same for the same fault at every save (no temporary file's name in it).
    std::string kind;
    std::string line;
};

// Makes the file and puts it in place; what went wrong, if anything. Call without the lock.
std::optional<SaveFailure> writeDomain(const DomainSave& save);

}  // namespace zoral::platform::detail

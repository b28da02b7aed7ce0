#include "platform/user_defaults_storage.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>
#include <variant>

#include <fcntl.h>
#include <sys/stat.h>

#include "platform/atomic_file.h"
#include "platform/plist_serialization.h"
#include "platform/regular_file.h"

namespace zoral::platform::detail {
namespace {

namespace fs = std::filesystem;

// Set-aside copies are numbered up to here; past it the file stays where it is.
constexpr int maxSetAsideCopies = 1000;

// Moves the file to `to` unless something is there already; 0, or the error.
int moveWithoutReplacing(const fs::path& from, const fs::path& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    // A file system that cannot refuse to replace: look first.
    struct stat existing {};
    if (::lstat(to.c_str(), &existing) == 0)
        return EEXIST;
    return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

// Moves the file aside to the first free name of <file>.corrupt, <file>.corrupt.1, ...; the
// name it took, or what kept it in place.
std::variant<fs::path, std::string> setAside(const fs::path& path) {
    for (int copy = 0; copy < maxSetAsideCopies; ++copy) {
        fs::path aside = path.string() + ".corrupt";
        if (copy > 0)
            aside += "." + std::to_string(copy);
        const int error = moveWithoutReplacing(path, aside);
        if (error == 0)
            return aside;
        if (error != EEXIST)
            return std::string(std::strerror(error));
    }
    return std::string("every name for a copy is taken");
}

// What is wrong with the content of the file's bytes, if anything.
std::optional<std::string> readValues(const std::vector<std::uint8_t>& bytes,
                                      PlistDictionary& values) {
    try {
        auto read = readPlist(bytes);
        if (auto* dictionary = read.object.getIf<PlistDictionary>()) {
            values = std::move(*dictionary);
            return std::nullopt;
        }
        const std::string kind = kindName(read.object.kind());
        const char* article = kind[0] == 'a' || kind[0] == 'i' ? "an " : "a ";
        return std::string("its root is ") + article + kind + ", not a dictionary";
    } catch (const PlistSerializationError& error) {
        return std::string(error.what());
    }
}

// XML where it can hold the values; the binary format takes what XML cannot (control characters,
// dates far out), so that one such value does not stop the whole domain from being saved, and
// a domain whose XML would be too large to read back.
std::vector<std::uint8_t> serializeDomain(const PlistDictionary& values,
                                          std::optional<std::size_t> xmlSize) {
    const auto root = PlistObject::dictionary(values);
    if (xmlSize && *xmlSize <= propertyListFileSizeLimit()) {
        try {
            auto xml = writePlist(root, PlistFormat::xml);
            if (xml.size() <= propertyListFileSizeLimit())
                return xml;
        } catch (const PlistSerializationError&) {
        }
    }
    return writePlist(root, PlistFormat::binary);
}

std::string tooLargeLine(std::string_view name, std::size_t bytes, std::size_t limit) {
    return "User defaults: " + std::string(name) + " left as it was: its file would take " +
           std::to_string(bytes) + " bytes, more than the " + std::to_string(limit) +
           " that are read back";
}

// The frame of an XML file around its entries: a file of entries is their sizes and the frame;
// the file of an empty domain is a size of its own.
struct XmlFrame {
    std::size_t empty;
    std::size_t aroundEntries;
};

const XmlFrame& xmlFrame() {
    static const XmlFrame frame = [] {
        const auto size = [](const PlistDictionary& values) {
            return writePlist(PlistObject::dictionary(values), PlistFormat::xml).size();
        };
        const auto yes = PlistObject::boolean(true);
        const std::size_t a = size({{"a", yes}});
        const std::size_t b = size({{"b", yes}});
        return XmlFrame{size({}), a + b - size({{"a", yes}, {"b", yes}})};
    }();
    return frame;
}

}  // namespace

LoadedDomain loadDomain(std::string_view name, std::optional<fs::path> path,
                        std::vector<std::string>& lines) {
    LoadedDomain loaded;
    StoredDomain& domain = loaded.domain;
    domain.path = std::move(path);
    if (!domain.path)
        return loaded;

    auto read = readRegularFile(*domain.path);
    std::optional<std::string> problem;
    if (const auto* failure = std::get_if<FileReadFailure>(&read)) {
        switch (failure->kind) {
            case FileReadFailure::Kind::missing:
                return loaded;
            case FileReadFailure::Kind::unreadable:
                // Nothing says its content is lost: it is left for the user to mend.
                domain.saveBlocked = true;
                loaded.keepsValues = true;
                lines.push_back("User defaults: cannot open " + domain.path->string() + " (" +
                                failure->reason + "); it stays in place, and changes to " +
                                std::string(name) + " are kept in memory only");
                return loaded;
            case FileReadFailure::Kind::notRegular:
            case FileReadFailure::Kind::tooLarge:
                problem = failure->reason;
                break;
        }
    } else {
        problem = readValues(std::get<std::vector<std::uint8_t>>(read), domain.values);
        if (!problem) {
            domain.size = DomainFileSize::of(domain.values);
            return loaded;
        }
    }

    // Moved aside rather than left to the next save, which would replace it: what may still be
    // recovered from it stays.
    auto aside = setAside(*domain.path);
    if (const auto* error = std::get_if<std::string>(&aside)) {
        domain.saveBlocked = true;
        lines.push_back("User defaults: cannot read " + domain.path->string() + " (" + *problem +
                        ") nor move it aside (" + *error + "); changes to " + std::string(name) +
                        " will not be saved");
    } else {
        lines.push_back("User defaults: cannot read " + domain.path->string() + " (" + *problem +
                        "); moved it to " + std::get<fs::path>(aside).string() + ", " +
                        std::string(name) + " starts empty");
    }
    return loaded;
}

XmlEntrySize xmlEntrySize(std::string_view key, const PlistObject& value) {
    try {
        const auto file =
            writePlist(PlistObject::dictionary({{std::string(key), value}}), PlistFormat::xml);
        return file.size() - xmlFrame().aroundEntries;
    } catch (const PlistSerializationError&) {
        return std::nullopt;
    }
}

DomainFileSize DomainFileSize::of(const PlistDictionary& values) {
    DomainFileSize size;
    for (const auto& [key, value] : values)
        size.apply({key, false, xmlEntrySize(key, value)});
    return size;
}

void DomainFileSize::apply(const EntryChange& change) {
    const auto found = entries_.find(change.key);
    if (found != entries_.end()) {
        if (found->second) {
            total_ -= *found->second;
        } else {
            --unwritable_;
        }
        if (change.removed) {
            entries_.erase(found);
            return;
        }
        found->second = change.size;
    } else if (change.removed) {
        return;
    } else {
        entries_.emplace(change.key, change.size);
    }
    if (change.size) {
        total_ += *change.size;
    } else {
        ++unwritable_;
    }
}

std::optional<std::size_t> DomainFileSize::xml() const {
    if (unwritable_ > 0)
        return std::nullopt;
    return entries_.empty() ? xmlFrame().empty : xmlFrame().aroundEntries + total_;
}

std::optional<std::size_t> DomainFileSize::xmlAfter(const EntryChange& change) const {
    std::size_t total = total_;
    std::size_t unwritable = unwritable_;
    std::size_t count = entries_.size();
    if (const auto found = entries_.find(change.key); found != entries_.end()) {
        if (found->second) {
            total -= *found->second;
        } else {
            --unwritable;
        }
        --count;
    }
    if (!change.removed) {
        if (change.size) {
            total += *change.size;
        } else {
            ++unwritable;
        }
        ++count;
    }
    if (unwritable > 0)
        return std::nullopt;
    return count == 0 ? xmlFrame().empty : xmlFrame().aroundEntries + total;
}

std::optional<std::string> oversizedFile(std::string_view name, const PlistDictionary& values,
                                         const DomainFileSize& size) {
    const std::size_t limit = propertyListFileSizeLimit();
    if (const auto xml = size.xml(); xml && *xml <= limit)
        return std::nullopt;
    std::size_t bytes = 0;
    try {
        bytes = writePlist(PlistObject::dictionary(values), PlistFormat::binary).size();
    } catch (const PlistSerializationError&) {
        // Values are checked before they are stored; should one slip through, its save says so.
        return std::nullopt;
    }
    if (bytes <= limit)
        return std::nullopt;
    return tooLargeLine(name, bytes, limit);
}

DomainSave takeSave(std::string_view name, const StoredDomain& domain) {
    return DomainSave{.name = std::string(name),
                      .values = domain.values,
                      .path = domain.path.value_or(fs::path()),
                      .blocked = domain.saveBlocked,
                      .xmlSize = domain.size.xml(),
                      .version = domain.version};
}

std::optional<SaveFailure> writeDomain(const DomainSave& save) {
    if (save.blocked) {
        return SaveFailure{"blocked", "User defaults: " + save.name +
                                          " not saved: the unreadable " + save.path.string() +
                                          " is still in place"};
    }
    std::vector<std::uint8_t> bytes;
    try {
        bytes = serializeDomain(save.values, save.xmlSize);
    } catch (const PlistSerializationError& error) {
        return SaveFailure{error.what(),
                           "User defaults: cannot save " + save.name + ": " + error.what()};
    }
    // Changes past the limit are refused when they are made: only a limit lowered since then
    // leaves a file too large here.
    if (const std::size_t limit = propertyListFileSizeLimit(); bytes.size() > limit)
        return SaveFailure{"too large", tooLargeLine(save.name, bytes.size(), limit)};
    if (auto failure =
            writeFileAtomically(save.path, bytes, AtomicWriteOptions{.createDirectories = true})) {
        // The kind leaves out the path, which names a new temporary file at every save.
        return SaveFailure{
            std::to_string(static_cast<int>(failure->stage)) + failure->reason,
            "User defaults: cannot save " + save.name + ": " + failure->description()};
    }
    return std::nullopt;
}

}  // namespace zoral::platform::detail

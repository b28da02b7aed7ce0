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
std::vector<std::uint8_t> serializeDomain(const PlistDictionary& values) {
    const auto root = PlistObject::dictionary(values);
    try {
        auto xml = writePlist(root, PlistFormat::xml);
        if (xml.size() <= propertyListFileSizeLimit())
            return xml;
    } catch (const PlistSerializationError&) {
    }
    return writePlist(root, PlistFormat::binary);
}

std::optional<std::string> write(std::string_view name, StoredDomain& domain,
                                 const std::vector<std::uint8_t>& bytes) {
    domain.unsaved = true;
    if (domain.saveBlocked) {
        return "User defaults: " + std::string(name) + " not saved: the unreadable " +
               domain.path->string() + " is still in place";
    }
    if (auto failure =
            writeFileAtomically(*domain.path, bytes, AtomicWriteOptions{.createDirectories = true}))
        return "User defaults: cannot save " + std::string(name) + ": " + failure->description();
    domain.unsaved = false;
    return std::nullopt;
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
        if (!problem)
            return loaded;
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

std::optional<std::string> storeDomain(std::string_view name, StoredDomain& domain,
                                       PlistDictionary values) {
    if (!domain.path) {
        domain.values = std::move(values);
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes;
    try {
        bytes = serializeDomain(values);
    } catch (const PlistSerializationError& error) {
        domain.values = std::move(values);
        domain.unsaved = true;
        return "User defaults: cannot save " + std::string(name) + ": " + error.what();
    }
    if (const std::size_t limit = propertyListFileSizeLimit(); bytes.size() > limit) {
        return "User defaults: " + std::string(name) + " left as it was: its file would take " +
               std::to_string(bytes.size()) + " bytes, more than the " + std::to_string(limit) +
               " that are read back";
    }
    domain.values = std::move(values);
    return write(name, domain, bytes);
}

std::optional<std::string> saveDomain(std::string_view name, StoredDomain& domain) {
    return storeDomain(name, domain, domain.values);
}

}  // namespace zoral::platform::detail

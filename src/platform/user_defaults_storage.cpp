#include "platform/user_defaults_storage.h"

#include <cerrno>
#include <cstring>
#include <utility>

#include <fcntl.h>
#include <unistd.h>

#include "platform/atomic_file.h"
#include "platform/plist_serialization.h"

namespace zoral::platform::detail {
namespace {

namespace fs = std::filesystem;

// Larger files are taken as corrupt: preferences are small, and reading must stay bounded.
constexpr std::size_t maxPreferencesFileSize = 64 * 1024 * 1024;

struct FileContents {
    bool missing = false;
    std::vector<std::uint8_t> bytes;
    std::optional<std::string> error;
};

FileContents readFile(const std::filesystem::path& path) {
    FileContents contents;
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) {
        if (errno == ENOENT) {
            contents.missing = true;
        } else {
            contents.error = std::strerror(errno);
        }
        return contents;
    }
    std::uint8_t buffer[65536];
    for (;;) {
        const ssize_t count = ::read(descriptor, buffer, sizeof buffer);
        if (count < 0) {
            if (errno == EINTR)
                continue;
            contents.error = std::strerror(errno);
            break;
        }
        if (count == 0)
            break;
        if (contents.bytes.size() + static_cast<std::size_t>(count) > maxPreferencesFileSize) {
            contents.error = "larger than " + std::to_string(maxPreferencesFileSize) + " bytes";
            break;
        }
        contents.bytes.insert(contents.bytes.end(), buffer, buffer + count);
    }
    ::close(descriptor);
    return contents;
}

// XML where it can hold the values; the binary format takes what XML cannot (control characters,
// dates far out), so that one such value does not stop the whole domain from being saved.
std::vector<std::uint8_t> serializeDomain(const PlistDictionary& values) {
    const auto root = PlistObject::dictionary(values);
    try {
        return writePlist(root, PlistFormat::xml);
    } catch (const PlistSerializationError&) {
        return writePlist(root, PlistFormat::binary);
    }
}

}  // namespace

// Reads a domain's file. A file that cannot be read or parsed is moved aside, so that the next
// save cannot destroy what may still be recovered from it, and the domain starts empty.
StoredDomain loadDomain(std::string_view name, std::optional<fs::path> path,
                        std::vector<std::string>& lines) {
    StoredDomain domain;
    domain.path = std::move(path);
    if (!domain.path)
        return domain;

    auto contents = readFile(*domain.path);
    if (contents.missing)
        return domain;
    std::optional<std::string> problem = contents.error;
    if (!problem) {
        try {
            auto read = readPlist(contents.bytes);
            if (auto* values = read.object.getIf<PlistDictionary>()) {
                domain.values = std::move(*values);
                return domain;
            }
            problem =
                std::string("its root is a ") + kindName(read.object.kind()) + ", not a dictionary";
        } catch (const PlistSerializationError& error) {
            problem = error.what();
        }
    }

    const std::filesystem::path corruptPath = domain.path->string() + ".corrupt";
    std::error_code error;
    std::filesystem::rename(*domain.path, corruptPath, error);
    if (error) {
        domain.saveBlocked = true;
        lines.push_back("User defaults: cannot read " + domain.path->string() + " (" + *problem +
                        ") nor move it aside (" + error.message() + "); changes to " +
                        std::string(name) + " will not be saved");
    } else {
        lines.push_back("User defaults: cannot read " + domain.path->string() + " (" + *problem +
                        "); moved it to " + corruptPath.string() + ", " + std::string(name) +
                        " starts empty");
    }
    return domain;
}

// Returns the line to print when the domain could not be saved.
std::optional<std::string> saveDomain(std::string_view name, StoredDomain& domain) {
    if (!domain.path)
        return std::nullopt;
    domain.unsaved = true;
    if (domain.saveBlocked) {
        return "User defaults: " + std::string(name) + " not saved: the unreadable " +
               domain.path->string() + " is still in place";
    }
    std::optional<std::string> failure;
    try {
        failure = writeFileAtomically(*domain.path, serializeDomain(domain.values));
    } catch (const PlistSerializationError& error) {
        failure = error.what();
    }
    if (failure)
        return "User defaults: cannot save " + std::string(name) + ": " + *failure;
    domain.unsaved = false;
    return std::nullopt;
}

}  // namespace zoral::platform::detail

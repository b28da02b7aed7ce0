#pragma once

// Reading a whole file the way the readers of stored property lists need it: only a regular file
// is read (a pipe or a device at the path could block the reader for ever, and a directory is no
// file), and one larger than the limit is refused before a byte of it is read. A symbolic link is
// followed.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace zoral::platform {

// The largest property-list file that is read back, by user defaults and documents alike: such
// files are small, and reading must stay bounded.
inline constexpr std::size_t maxPropertyListFileSize = 64 * 1024 * 1024;

// The limit in force: maxPropertyListFileSize, unless a test set a smaller one.
std::size_t propertyListFileSizeLimit();
// Sets the limit in force, so that a test need not make files of that size; nullopt restores it.
void setPropertyListFileSizeLimitForTesting(std::optional<std::size_t> limit);

struct FileReadFailure {
    enum class Kind {
        missing,     // nothing at the path (a link to nothing included)
        notRegular,  // a directory, a pipe, a socket or a device
        tooLarge,
        unreadable,  // it could not be opened or read: permission, a link loop, an I/O error
    };
    Kind kind;
    // What is wrong, without the path ("Permission denied", "a named pipe").
    std::string reason;
};

std::variant<std::vector<std::uint8_t>, FileReadFailure> readRegularFile(
    const std::filesystem::path& path, std::size_t maxSize = propertyListFileSizeLimit());

}  // namespace zoral::platform

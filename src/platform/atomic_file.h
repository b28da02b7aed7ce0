#pragma once

// Replacing a file so that a reader, or the next launch after a crash, finds either the whole old
// file or the whole new one: the new bytes go to a temporary file beside it, are flushed to the
// disk, and the temporary file is renamed over the old one.
//
// A symbolic link at the path (or a chain of them) is written through: the file it names is
// replaced, or made when it names nothing yet, and the link stays. The replaced file keeps its
// permissions; a new file is private to its owner.
//
// A save killed before its rename leaves its temporary file behind (".<name>.XXXXXX"). A
// temporary file is locked while its save runs, so the next save of the same file knows the
// unlocked ones for leftovers and removes them; it leaves the one of a save running elsewhere.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>

namespace zoral::platform {

struct AtomicWriteFailure {
    enum class Stage {
        // No file could be made at the place: a missing directory, a directory or a link loop in
        // the way, no permission to create one there.
        create,
        // Writing, flushing or renaming it failed (a full disk, an I/O error).
        write,
    };
    Stage stage;
    // The path concerned (the file, its directory or its temporary file) and the system's reason.
    std::filesystem::path path;
    std::string reason;
    // The path is the folder that no file could be made in: it may well exist (a read-only one).
    bool inFolder = false;

    // "cannot create /dir: Permission denied" (a folder that could not be made),
    // "cannot write in the folder /dir: Read-only file system", "cannot write /dir/file: ..."
    std::string description() const;
};

struct AtomicWriteOptions {
    // Creates the missing directories above the file instead of failing.
    bool createDirectories = false;
};

// Returns what went wrong, or nullopt when the file is in place; on failure the old file is
// untouched and no temporary file of this save is left behind.
std::optional<AtomicWriteFailure> writeFileAtomically(const std::filesystem::path& path,
                                                      std::span<const std::uint8_t> bytes,
                                                      AtomicWriteOptions options = {});

// Makes every later write of a larger file fail after this many bytes, as a disk with only that
// much room would; nullopt ends it. For tests.
void setAtomicWriteFailureForTesting(std::optional<std::size_t> afterBytes);

}  // namespace zoral::platform

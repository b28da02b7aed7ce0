#pragma once

// Replacing a file so that a reader, or the next launch after a crash, finds either the whole old
// file or the whole new one: the new bytes go to a temporary file beside it, are flushed to the
// disk, and the temporary file is renamed over the old one.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>

namespace zoral::platform {

// Creates missing parent directories. Returns what went wrong, or nullopt when the file is in
// place; on failure the old file is untouched and no temporary file is left behind.
std::optional<std::string> writeFileAtomically(const std::filesystem::path& path,
                                               std::span<const std::uint8_t> bytes);

// Makes every later write of a larger file fail after this many bytes, as a disk with only that
// much room would; nullopt ends it. For tests.
void setAtomicWriteFailureForTesting(std::optional<std::size_t> afterBytes);

}  // namespace zoral::platform

#include "platform/atomic_file.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace zoral::platform {
namespace {

constexpr std::int64_t noFailure = -1;
std::atomic<std::int64_t> failAfterBytes{noFailure};

std::string describeErrno(const std::string& what, const std::filesystem::path& path) {
    return what + " " + path.string() + ": " + std::strerror(errno);
}

// Closes the descriptor and removes the temporary file unless it was renamed into place.
class TemporaryFile {
public:
    TemporaryFile(int descriptor, std::filesystem::path path)
        : descriptor_(descriptor), path_(std::move(path)) {}
    ~TemporaryFile() {
        close();
        if (!kept_)
            ::unlink(path_.c_str());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    int descriptor() const { return descriptor_; }
    const std::filesystem::path& path() const { return path_; }
    bool close() {
        if (descriptor_ < 0)
            return true;
        const int result = ::close(descriptor_);
        descriptor_ = -1;
        return result == 0;
    }
    void keep() { kept_ = true; }

private:
    int descriptor_;
    std::filesystem::path path_;
    bool kept_ = false;
};

std::optional<std::string> writeAll(const TemporaryFile& file,
                                    std::span<const std::uint8_t> bytes) {
    const std::int64_t room = failAfterBytes.load();
    std::size_t written = 0;
    while (written < bytes.size()) {
        std::size_t chunk = bytes.size() - written;
        if (room >= 0) {
            const auto left =
                static_cast<std::size_t>(room) - std::min(written, static_cast<std::size_t>(room));
            if (left == 0) {
                errno = ENOSPC;
                return describeErrno("cannot write", file.path());
            }
            chunk = std::min(chunk, left);
        }
        const ssize_t result = ::write(file.descriptor(), bytes.data() + written, chunk);
        if (result < 0) {
            if (errno == EINTR)
                continue;
            return describeErrno("cannot write", file.path());
        }
        written += static_cast<std::size_t>(result);
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::string> writeFileAtomically(const std::filesystem::path& path,
                                               std::span<const std::uint8_t> bytes) {
    const std::filesystem::path directory =
        path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
    std::error_code error;
    std::filesystem::create_directories(directory, error);
    if (error)
        return "cannot create " + directory.string() + ": " + error.message();

    std::string pattern = (directory / ("." + path.filename().string() + ".XXXXXX")).string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int descriptor = ::mkostemp(name.data(), O_CLOEXEC);
    if (descriptor < 0)
        return describeErrno("cannot create a temporary file in", directory);
    TemporaryFile temporary(descriptor, std::filesystem::path(name.data()));

    if (auto failure = writeAll(temporary, bytes))
        return failure;
    if (::fsync(temporary.descriptor()) != 0)
        return describeErrno("cannot flush", temporary.path());
    if (!temporary.close())
        return describeErrno("cannot close", temporary.path());
    if (::rename(temporary.path().c_str(), path.c_str()) != 0) {
        return describeErrno("cannot replace", path);
    }
    temporary.keep();

    // The rename itself is only durable once the directory is flushed; the new file is in place
    // either way, so a failure here is not reported.
    const int directoryDescriptor = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (directoryDescriptor >= 0) {
        ::fsync(directoryDescriptor);
        ::close(directoryDescriptor);
    }
    return std::nullopt;
}

void setAtomicWriteFailureForTesting(std::optional<std::size_t> afterBytes) {
    failAfterBytes.store(afterBytes ? static_cast<std::int64_t>(*afterBytes) : noFailure);
}

}  // namespace zoral::platform

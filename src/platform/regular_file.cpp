#include "platform/regular_file.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/process_state.h"

namespace zoral::platform {
namespace {

struct SizeLimit {
    std::atomic<std::size_t> bytes{maxPropertyListFileSize};
};

std::atomic<std::size_t>& sizeLimit() {
    return processPart<SizeLimit>().bytes;
}

std::string kindOfFile(mode_t mode) {
    if (S_ISDIR(mode))
        return "a directory";
    if (S_ISFIFO(mode))
        return "a named pipe";
    if (S_ISSOCK(mode))
        return "a socket";
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "a device";
    return "not a regular file";
}

FileReadFailure tooLarge(std::size_t maxSize) {
    return {FileReadFailure::Kind::tooLarge, "larger than " + std::to_string(maxSize) + " bytes"};
}

class Descriptor {
public:
    explicit Descriptor(int descriptor) : descriptor_(descriptor) {}
    ~Descriptor() { ::close(descriptor_); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return descriptor_; }

private:
    int descriptor_;
};

}  // namespace

std::size_t propertyListFileSizeLimit() {
    return sizeLimit().load();
}

void setPropertyListFileSizeLimitForTesting(std::optional<std::size_t> limit) {
    sizeLimit().store(limit.value_or(maxPropertyListFileSize));
}

std::variant<std::vector<std::uint8_t>, FileReadFailure> readRegularFile(
    const std::filesystem::path& path, std::size_t maxSize) {
    // Opening a pipe without O_NONBLOCK waits for a writer; with it, the open returns and the
    // check below refuses what is not a regular file. Regular files ignore the flag.
    const int opened = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (opened < 0) {
        const int error = errno;
        return FileReadFailure{
            error == ENOENT ? FileReadFailure::Kind::missing : FileReadFailure::Kind::unreadable,
            std::strerror(error)};
    }
    const Descriptor file(opened);
    struct stat status {};
    if (::fstat(file.get(), &status) != 0)
        return FileReadFailure{FileReadFailure::Kind::unreadable, std::strerror(errno)};
    if (!S_ISREG(status.st_mode))
        return FileReadFailure{FileReadFailure::Kind::notRegular, kindOfFile(status.st_mode)};
    if (status.st_size < 0 || static_cast<std::uintmax_t>(status.st_size) > maxSize)
        return tooLarge(maxSize);

    // One byte more than the file's size, so that its end is seen in one read; a file that
    // grows meanwhile is read on, up to one byte past the limit.
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(status.st_size) + 1);
    std::size_t filled = 0;
    for (;;) {
        if (filled == bytes.size()) {
            if (filled > maxSize)
                return tooLarge(maxSize);
            bytes.resize(std::min(bytes.size() * 2, maxSize + 1));
        }
        const ssize_t count = ::read(file.get(), bytes.data() + filled, bytes.size() - filled);
        if (count < 0) {
            if (errno == EINTR)
                continue;
            return FileReadFailure{FileReadFailure::Kind::unreadable, std::strerror(errno)};
        }
        if (count == 0)
            break;
        filled += static_cast<std::size_t>(count);
    }
    if (filled > maxSize)
        return tooLarge(maxSize);
    bytes.resize(filled);
    return bytes;
}

}  // namespace zoral::platform

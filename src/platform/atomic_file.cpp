#include "platform/atomic_file.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string_view>
#include <variant>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/process_state.h"

namespace zoral::platform {
namespace {

namespace fs = std::filesystem;

constexpr std::int64_t noFailure = -1;
struct FailAfterBytes {
    std::atomic<std::int64_t> bytes{noFailure};
};

std::atomic<std::int64_t>& failAfterBytes() {
    return processPart<FailAfterBytes>().bytes;
}

// As the system counts: the deepest chain of links a path may take.
constexpr int maxLinkHops = 40;
// mkostemp replaces these with letters and digits.
constexpr std::string_view temporarySuffix = "XXXXXX";

AtomicWriteFailure failure(AtomicWriteFailure::Stage stage, fs::path path, int error) {
    return {stage, std::move(path), std::strerror(error)};
}

class Descriptor {
public:
    explicit Descriptor(int descriptor = -1) : descriptor_(descriptor) {}
    ~Descriptor() { close(); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int get() const { return descriptor_; }
    bool valid() const { return descriptor_ >= 0; }
    void reset(int descriptor) {
        close();
        descriptor_ = descriptor;
    }
    // False when closing reported an error (a write the system had deferred failed).
    bool close() {
        if (descriptor_ < 0)
            return true;
        const int result = ::close(descriptor_);
        descriptor_ = -1;
        return result == 0;
    }

private:
    int descriptor_;
};

// The file that a save of `path` replaces: the end of the chain of symbolic links that starts
// there, which need not exist yet.
std::variant<fs::path, AtomicWriteFailure> resolveLinks(const fs::path& path) {
    fs::path current = path;
    for (int hop = 0; hop <= maxLinkHops; ++hop) {
        struct stat status {};
        if (::lstat(current.c_str(), &status) != 0 || !S_ISLNK(status.st_mode))
            return current;
        std::vector<char> target(static_cast<std::size_t>(std::max<off_t>(status.st_size, 255)) +
                                 1);
        const ssize_t length = ::readlink(current.c_str(), target.data(), target.size());
        if (length < 0)
            return failure(AtomicWriteFailure::Stage::create, current, errno);
        const fs::path next(std::string(target.data(), static_cast<std::size_t>(length)));
        current = next.is_absolute() ? next : current.parent_path() / next;
    }
    return failure(AtomicWriteFailure::Stage::create, path, ELOOP);
}

bool isTemporaryOf(std::string_view entry, std::string_view prefix) {
    if (entry.size() != prefix.size() + temporarySuffix.size() || !entry.starts_with(prefix))
        return false;
    return std::all_of(entry.begin() + static_cast<std::ptrdiff_t>(prefix.size()), entry.end(),
                       [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; });
}

// Removes the temporary files of earlier saves of `name` that no running save holds.
void removeStaleTemporaries(const fs::path& directory, const std::string& name) {
    const Descriptor folder(::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folder.valid())
        return;
    const int listing = ::dup(folder.get());
    if (listing < 0)
        return;
    DIR* entries = ::fdopendir(listing);
    if (entries == nullptr) {
        ::close(listing);
        return;
    }
    const std::string prefix = "." + name + ".";
    std::vector<std::string> candidates;
    while (const dirent* entry = ::readdir(entries)) {
        if (isTemporaryOf(entry->d_name, prefix))
            candidates.emplace_back(entry->d_name);
    }
    ::closedir(entries);

    for (const std::string& candidate : candidates) {
        const Descriptor file(::openat(folder.get(), candidate.c_str(),
                                       O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
        if (!file.valid() || ::flock(file.get(), LOCK_EX | LOCK_NB) != 0)
            continue;  // gone, or a save running now holds it
        struct stat held {};
        struct stat named {};
        // Only the very file that was locked: the name may have been taken again meanwhile.
        if (::fstat(file.get(), &held) == 0 && S_ISREG(held.st_mode) &&
            ::fstatat(folder.get(), candidate.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
            held.st_dev == named.st_dev && held.st_ino == named.st_ino) {
            ::unlinkat(folder.get(), candidate.c_str(), 0);
        }
    }
}

// Removes the temporary file unless it was renamed into place; holds its lock until then.
class TemporaryFile {
public:
    TemporaryFile(int descriptor, fs::path path) : file_(descriptor), path_(std::move(path)) {}
    ~TemporaryFile() {
        if (!kept_)
            ::unlink(path_.c_str());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    int descriptor() const { return file_.get(); }
    const fs::path& path() const { return path_; }
    // Closes the file that was written, while a second descriptor keeps it locked until the
    // rename: a lock lasts while any descriptor of the open file does.
    bool closeKeepingLock() {
        lock_.reset(::dup(file_.get()));
        return file_.close();
    }
    void keep() { kept_ = true; }

private:
    Descriptor file_;
    fs::path path_;
    Descriptor lock_;
    bool kept_ = false;
};

// Makes the temporary file beside the target, locked. A file that another save's clean-up
// removed between its making and its locking is made again.
std::variant<std::unique_ptr<TemporaryFile>, AtomicWriteFailure> makeTemporary(
    const fs::path& directory, const std::string& name) {
    const std::string pattern = (directory / ("." + name + ".")).string() + "XXXXXX";
    for (int attempt = 0; attempt < 8; ++attempt) {
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back('\0');
        const int descriptor = ::mkostemp(buffer.data(), O_CLOEXEC);
        if (descriptor < 0) {
            auto inFolder = failure(AtomicWriteFailure::Stage::create, directory, errno);
            inFolder.inFolder = true;
            return inFolder;
        }
        auto temporary = std::make_unique<TemporaryFile>(descriptor, fs::path(buffer.data()));
        struct stat status {};
        if (::flock(descriptor, LOCK_EX) != 0 || ::fstat(descriptor, &status) != 0)
            return failure(AtomicWriteFailure::Stage::create, temporary->path(), errno);
        if (status.st_nlink > 0)
            return temporary;
        temporary->keep();  // already removed; nothing to remove again
    }
    return failure(AtomicWriteFailure::Stage::create, directory, EAGAIN);
}

std::optional<AtomicWriteFailure> writeAll(const TemporaryFile& file,
                                           std::span<const std::uint8_t> bytes) {
    const std::int64_t room = failAfterBytes().load();
    std::size_t written = 0;
    while (written < bytes.size()) {
        std::size_t chunk = bytes.size() - written;
        if (room >= 0) {
            const auto left =
                static_cast<std::size_t>(room) - std::min(written, static_cast<std::size_t>(room));
            if (left == 0)
                return failure(AtomicWriteFailure::Stage::write, file.path(), ENOSPC);
            chunk = std::min(chunk, left);
        }
        const ssize_t result = ::write(file.descriptor(), bytes.data() + written, chunk);
        if (result < 0) {
            if (errno == EINTR)
                continue;
            return failure(AtomicWriteFailure::Stage::write, file.path(), errno);
        }
        written += static_cast<std::size_t>(result);
    }
    return std::nullopt;
}

}  // namespace

std::string AtomicWriteFailure::description() const {
    const char* action = inFolder                 ? "cannot write in the folder "
                         : stage == Stage::create ? "cannot create "
                                                  : "cannot write ";
    return action + path.string() + ": " + reason;
}

std::optional<AtomicWriteFailure> writeFileAtomically(const fs::path& path,
                                                      std::span<const std::uint8_t> bytes,
                                                      AtomicWriteOptions options) {
    if (path.empty())
        return failure(AtomicWriteFailure::Stage::create, path, ENOENT);
    auto resolved = resolveLinks(path);
    if (auto* problem = std::get_if<AtomicWriteFailure>(&resolved))
        return std::move(*problem);
    const fs::path target = std::get<fs::path>(std::move(resolved));
    const fs::path directory =
        target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
    const std::string name = target.filename().string();

    if (options.createDirectories) {
        std::error_code error;
        fs::create_directories(directory, error);
        if (error)
            return AtomicWriteFailure{AtomicWriteFailure::Stage::create, directory,
                                      error.message()};
    }
    // The file replaced keeps its permissions.
    std::optional<mode_t> mode;
    struct stat old {};
    if (::stat(target.c_str(), &old) == 0) {
        if (S_ISDIR(old.st_mode))
            return failure(AtomicWriteFailure::Stage::create, target, EISDIR);
        mode = old.st_mode & 07777;
    } else if (errno != ENOENT) {
        return failure(AtomicWriteFailure::Stage::create, target, errno);
    }

    removeStaleTemporaries(directory, name);
    auto made = makeTemporary(directory, name);
    if (auto* problem = std::get_if<AtomicWriteFailure>(&made))
        return std::move(*problem);
    TemporaryFile& temporary = *std::get<std::unique_ptr<TemporaryFile>>(made);

    if (mode && ::fchmod(temporary.descriptor(), *mode) != 0)
        return failure(AtomicWriteFailure::Stage::write, temporary.path(), errno);
    if (auto problem = writeAll(temporary, bytes))
        return problem;
    if (::fsync(temporary.descriptor()) != 0)
        return failure(AtomicWriteFailure::Stage::write, temporary.path(), errno);
    if (!temporary.closeKeepingLock())
        return failure(AtomicWriteFailure::Stage::write, temporary.path(), errno);
    if (::rename(temporary.path().c_str(), target.c_str()) != 0)
        return failure(AtomicWriteFailure::Stage::write, target, errno);
    temporary.keep();

    // The rename itself is only durable once the directory is flushed; the new file is in place
    // either way, so a failure here is not reported.
    const Descriptor folder(::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.valid())
        ::fsync(folder.get());
    return std::nullopt;
}

void setAtomicWriteFailureForTesting(std::optional<std::size_t> afterBytes) {
    failAfterBytes().store(afterBytes ? static_cast<std::int64_t>(*afterBytes) : noFailure);
}

}  // namespace zoral::platform

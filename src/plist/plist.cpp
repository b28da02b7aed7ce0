#include "plist/plist.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "platform/atomic_file.h"
#include "platform/utf8.h"
#include "plist/value_conversion.h"

namespace zoral::plist {
namespace {

namespace fs = std::filesystem;

[[noreturn]] void raise(PListLoadError::Kind kind) {
    throw PListLoadError(kind);
}

std::optional<std::vector<std::uint8_t>> readWholeFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return std::nullopt;
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(file)),
                                    std::istreambuf_iterator<char>());
    if (file.bad())
        return std::nullopt;
    return bytes;
}

// The root dictionary of the bytes converted, or none when the bytes are no
// property list, have another root, or hold a value that cannot be converted.
std::optional<PListDictionary> readDictionary(std::span<const std::uint8_t> bytes) {
    try {
        const platform::PlistReadResult result = platform::readPlist(bytes);
        const auto* root = result.object.getIf<platform::PlistDictionary>();
        return root ? convertDictionary(*root) : std::nullopt;
    } catch (const platform::PlistSerializationError&) {
        return std::nullopt;
    }
}

// Where the bytes of a save go: through a symbolic link to the file it names,
// so that saving replaces the file rather than the link.
fs::path writeTarget(const std::string& path) {
    std::error_code error;
    if (fs::is_symlink(fs::symlink_status(path, error))) {
        const fs::path target = fs::weakly_canonical(path, error);
        if (!error)
            return target;
    }
    return fs::path(path);
}

// Whether a file can be made at the path: its directory exists and nothing but
// a file is in the way.
bool canHoldFile(const fs::path& path) {
    if (path.empty())
        return false;
    std::error_code error;
    if (fs::is_directory(path, error))
        return false;
    const fs::path directory = path.has_parent_path() ? path.parent_path() : fs::path(".");
    return fs::is_directory(directory, error);
}

}  // namespace

PList::PList(Token) {}

std::shared_ptr<PList> PList::initWithFormat(Format format) {
    auto document = std::make_shared<PList>(Token());
    document->format_ = format;
    return document;
}

std::shared_ptr<PList> PList::initWithStorage(PListDictionary storage, Format format) {
    auto document = std::make_shared<PList>(Token());
    document->storage_ = std::move(storage);
    document->format_ = format;
    return document;
}

std::shared_ptr<PList> PList::loadFile(const std::string& path) {
    std::error_code error;
    if (path.empty() || !fs::exists(path, error))
        raise(PListLoadError::Kind::fileNotFound);
    // Only regular files are read: a directory is no document, and a pipe or a
    // device could block the caller forever.
    if (!fs::is_regular_file(path, error))
        raise(PListLoadError::Kind::formatNotExpected);
    const std::optional<std::vector<std::uint8_t>> bytes = readWholeFile(path);
    if (!bytes)
        raise(PListLoadError::Kind::formatNotExpected);
    std::optional<PListDictionary> storage = readDictionary(*bytes);
    if (!storage)
        raise(PListLoadError::Kind::formatNotExpected);
    auto document = std::make_shared<PList>(Token());
    document->storage_ = std::move(*storage);
    return document;
}

std::shared_ptr<PList> PList::initWithFilePath(const std::string& path) {
    auto document = loadFile(path);
    document->filePath_ = path;
    document->fileURL_ = Url::fileUrl(path);
    return document;
}

std::shared_ptr<PList> PList::initWithFileURL(const Url& url) {
    if (!url.isFileUrl())
        raise(PListLoadError::Kind::formatNotExpected);
    auto document = loadFile(url.path());
    document->filePath_ = url.path();
    document->fileURL_ = url;
    return document;
}

std::shared_ptr<PList> PList::initWithDictionary(const platform::PlistDictionary& dictionary,
                                                 Format format) {
    std::optional<PListDictionary> storage = convertDictionary(dictionary);
    if (!storage)
        raise(PListLoadError::Kind::formatNotExpected);
    return initWithStorage(std::move(*storage), format);
}

std::shared_ptr<PList> PList::initWithString(std::string_view text) {
    if (!platform::utf8::isValid(text))
        raise(PListLoadError::Kind::formatNotExpected);
    const auto* begin = reinterpret_cast<const std::uint8_t*>(text.data());
    return initWithData(std::span<const std::uint8_t>(begin, text.size()));
}

std::shared_ptr<PList> PList::initWithData(std::span<const std::uint8_t> bytes) {
    // The parser's own error passes through.
    platform::PlistReadResult result = platform::readPlist(bytes);
    const auto* root = result.object.getIf<platform::PlistDictionary>();
    if (!root)
        raise(PListLoadError::Kind::formatNotExpected);
    std::optional<PListDictionary> storage = convertDictionary(*root);
    if (!storage)
        raise(PListLoadError::Kind::formatNotExpected);
    return initWithStorage(std::move(*storage), result.format);
}

std::optional<PListDictionary> PList::convertDictionary(const platform::PlistDictionary& source) {
    return plist::convertDictionary(source);
}

std::optional<PListArray> PList::convertArray(const platform::PlistArray& source) {
    return plist::convertArray(source);
}

std::shared_ptr<PListNode::Root> PList::rootNode() {
    return std::make_shared<PListNode::Root>(weak_from_this());
}

std::vector<std::uint8_t> PList::serializedData(std::optional<Format> format) const {
    return platform::writePlist(toPlistObject(storage_), format.value_or(format_));
}

void PList::writeFile(const std::string& path, Format format) const {
    const fs::path target = writeTarget(path);
    if (!canHoldFile(target))
        throw makeLocalizedError("OutputStream could not be created.");
    const std::vector<std::uint8_t> bytes = serializedData(format);

    std::error_code error;
    const fs::file_status old = fs::status(target, error);
    const bool replacing = !error && fs::exists(old);
    if (const std::optional<std::string> failure = platform::writeFileAtomically(target, bytes))
        throw makeLocalizedError(failure->empty() ? std::string("Unknown error.") : *failure);
    // The file beside it was made private; the file it replaces keeps its permissions.
    if (replacing)
        fs::permissions(target, old.permissions(), fs::perm_options::replace, error);
}

void PList::saveToFilePath(const std::string& path, std::optional<Format> format) {
    const Format used = format.value_or(format_);
    writeFile(path, used);
    filePath_ = path;
    fileURL_ = Url::fileUrl(path);
    format_ = used;
}

void PList::saveToFileURL(const Url& url, std::optional<Format> format) {
    const Format used = format.value_or(format_);
    if (!url.isFileUrl())
        throw makeLocalizedError("OutputStream could not be created.");
    writeFile(url.path(), used);
    filePath_ = url.path();
    fileURL_ = url;
    format_ = used;
}

void PList::saveToDisk(std::optional<Format> format) {
    const Format used = format.value_or(format_);
    // Copies: saving assigns the very fields they come from.
    if (filePath_)
        return saveToFilePath(std::string(*filePath_), used);
    if (fileURL_)
        return saveToFileURL(Url(*fileURL_), used);
    throw makeLocalizedError("No file path or URL supplied.");
}

std::shared_ptr<PList> PList::copy() const {
    auto document = initWithStorage(storage_, format_);
    document->createIntermediateDictionaries_ = createIntermediateDictionaries_;
    return document;
}

}  // namespace zoral::plist

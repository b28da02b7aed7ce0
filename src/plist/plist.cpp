#include "plist/plist.h"

#include <string>
#include <variant>
#include <vector>

#include "platform/atomic_file.h"
#include "platform/regular_file.h"
#include "platform/utf8.h"
#include "plist/value_conversion.h"

namespace zoral::plist {
namespace {

[[noreturn]] void raise(PListLoadError::Kind kind) {
    throw PListLoadError(kind);
}

// The loading error for the file at the path, naming it and what is wrong with it.
[[noreturn]] void raise(PListLoadError::Kind kind, const std::string& path,
                        const std::string& reason) {
    throw PListLoadError(kind, path + ": " + reason);
}

// The root dictionary of the bytes converted, or what keeps them from being one.
std::variant<PListDictionary, std::string> readDictionary(std::span<const std::uint8_t> bytes) {
    try {
        const platform::PlistReadResult result = platform::readPlist(bytes);
        const auto* root = result.object.getIf<platform::PlistDictionary>();
        if (!root) {
            const std::string kind = platform::kindName(result.object.kind());
            const char* article = kind[0] == 'a' || kind[0] == 'i' ? "an " : "a ";
            return std::string("its root is ") + article + kind + ", not a dictionary";
        }
        std::optional<PListDictionary> converted = convertDictionary(*root);
        if (!converted)
            return std::string("it holds a value that cannot be converted");
        return std::move(*converted);
    } catch (const platform::PlistSerializationError& error) {
        return std::string(error.what());
    }
}

// The error of a save that could not make its file at the place, with the cause.
LocalizedError cannotCreate(const std::string& cause) {
    return makeLocalizedError("OutputStream could not be created. " + cause);
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
    if (path.empty())
        throw PListLoadError(PListLoadError::Kind::fileNotFound, "no path given");
    auto read = platform::readRegularFile(path);
    if (const auto* failure = std::get_if<platform::FileReadFailure>(&read)) {
        // Only a file that is not there is not found; any other file that cannot be read is not
        // in the expected format, and says why.
        raise(failure->kind == platform::FileReadFailure::Kind::missing
                  ? PListLoadError::Kind::fileNotFound
                  : PListLoadError::Kind::formatNotExpected,
              path, failure->reason);
    }
    auto storage = readDictionary(std::get<std::vector<std::uint8_t>>(read));
    if (const auto* problem = std::get_if<std::string>(&storage))
        raise(PListLoadError::Kind::formatNotExpected, path, *problem);
    auto document = std::make_shared<PList>(Token());
    document->storage_ = std::get<PListDictionary>(std::move(storage));
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
    if (path.empty())
        throw cannotCreate("No path given.");
    const std::vector<std::uint8_t> bytes = serializedData(format);
    const auto failure = platform::writeFileAtomically(path, bytes);
    if (!failure)
        return;
    if (failure->stage == platform::AtomicWriteFailure::Stage::create)
        throw cannotCreate(failure->path.string() + ": " + failure->reason);
    throw makeLocalizedError(failure->description());
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
        throw cannotCreate(url.absoluteString() + ": not a file URL");
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

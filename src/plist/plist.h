#pragma once

// One property-list document in memory: its whole root dictionary as a tree of
// typed values, where it came from, and the format it is written in when the
// caller names none. Values inside are read and written by key path through
// the nodes that rootNode() starts (plist/plist_node.h).
//
// Documents are shared objects: the root nodes hold them weakly. A loading
// initialiser either returns a whole document or raises; nothing partly loaded
// is ever handed out. Documents take no locks; whoever shares one between
// threads guards it.

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/plist_object.h"
#include "platform/plist_serialization.h"
#include "plist/plist_errors.h"
#include "plist/plist_node.h"
#include "plist/plist_value.h"
#include "plist/url.h"

namespace zoral::plist {

class PList : public std::enable_shared_from_this<PList> {
    struct Token {
        explicit Token() = default;
    };

public:
    using LoadError = PListLoadError;
    using Format = platform::PlistFormat;
    using PListNode = plist::PListNode;

    static constexpr Format defaultFormat = Format::xml;

    // Use the initialisers below.
    explicit PList(Token);

    // An empty document.
    static std::shared_ptr<PList> initWithFormat(Format format = defaultFormat);
    // The dictionary as it is, without conversion.
    static std::shared_ptr<PList> initWithStorage(PListDictionary storage,
                                                  Format format = defaultFormat);
    // Loads a file of any format whose root is a dictionary; the document's
    // format stays the default whatever the file's is. Raises LoadError, whose
    // description names the path and the cause: fileNotFound when nothing exists
    // at the path; formatNotExpected when it cannot be read (no permission, a
    // link loop, not a regular file, larger than platform::maxPropertyListFileSize,
    // which is refused before reading) or cannot be read as a dictionary, or a
    // value in it cannot be converted.
    static std::shared_ptr<PList> initWithFilePath(const std::string& path);
    // As initWithFilePath for a file URL. Only file URLs can be read here: any
    // other raises formatNotExpected, as an unreadable file does.
    static std::shared_ptr<PList> initWithFileURL(const Url& url);
    // Raises formatNotExpected when a value cannot be converted.
    static std::shared_ptr<PList> initWithDictionary(const platform::PlistDictionary& dictionary,
                                                     Format format = defaultFormat);
    // The text as UTF-8 bytes, through initWithData; text that is not valid
    // UTF-8 raises formatNotExpected.
    static std::shared_ptr<PList> initWithString(std::string_view text);
    // Parses the bytes and takes the format found in them. Bytes that are no
    // property list raise the parser's own platform::PlistSerializationError;
    // a root other than a dictionary, or a value that cannot be converted,
    // raises formatNotExpected.
    static std::shared_ptr<PList> initWithData(std::span<const std::uint8_t> bytes);

    static std::optional<PListDictionary> convertDictionary(
        const platform::PlistDictionary& source);
    static std::optional<PListArray> convertArray(const platform::PlistArray& source);

    // Where the document was loaded from or last saved to; set only by loading
    // and saving. Whenever filePath is set, fileURL is the file URL of that path.
    const std::optional<std::string>& filePath() const { return filePath_; }
    const std::optional<Url>& fileURL() const { return fileURL_; }

    const PListDictionary& storage() const { return storage_; }
    void setStorage(PListDictionary storage) { storage_ = std::move(storage); }
    Format format() const { return format_; }
    void setFormat(Format format) { format_ = format; }
    // Whether writes through nodes may go below the first level of the root.
    bool createIntermediateDictionaries() const { return createIntermediateDictionaries_; }
    void setCreateIntermediateDictionaries(bool create) {
        createIntermediateDictionaries_ = create;
    }

    // A new root node on each call; it holds this document weakly.
    std::shared_ptr<PListNode::Root> rootNode();

    // The document's bytes in the format given, else its own. Raises the
    // serialiser's platform::PlistSerializationError (the old-style format, for
    // one, is never written).
    std::vector<std::uint8_t> serializedData(std::optional<Format> format = std::nullopt) const;

    // Saving replaces the file atomically: the bytes go to a file beside it that
    // is renamed over it, so a failed save leaves the old file whole. A file's
    // permissions are kept, and a symbolic link is written through (a link to
    // nothing yet makes the file it names). Each raises the serialiser's error,
    // or a LocalizedError:
    // - "OutputStream could not be created." followed by the path and the cause
    //   when the place cannot take a file (no such directory, a directory or a
    //   link loop in the way, no permission, a URL that is not a file URL);
    // - the writer's own message, with the path, when writing fails;
    // - "No file path or URL supplied." from saveToDisk for a document that has
    //   no location.
    // On success the document takes over the location and the format used; on
    // failure it is unchanged.
    void saveToDisk(std::optional<Format> format = std::nullopt);
    void saveToFilePath(const std::string& path, std::optional<Format> format = std::nullopt);
    void saveToFileURL(const Url& url, std::optional<Format> format = std::nullopt);

    // A new document with equal storage, format and createIntermediateDictionaries,
    // and no location.
    std::shared_ptr<PList> copy() const;

private:
    static std::shared_ptr<PList> loadFile(const std::string& path);
    void writeFile(const std::string& path, Format format) const;

    std::optional<std::string> filePath_;
    std::optional<Url> fileURL_;
    PListDictionary storage_;
    Format format_ = defaultFormat;
    bool createIntermediateDictionaries_ = true;
};

}  // namespace zoral::plist

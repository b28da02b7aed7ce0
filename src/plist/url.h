#pragma once

// The little of URLs that documents need: telling a file URL from any other,
// and going between a file URL and its path. Only file URLs can be read or
// written here; every other scheme is kept as text.

#include <optional>
#include <string>
#include <string_view>

namespace zoral::plist {

class Url {
public:
    // An absolute URL, "scheme:..."; none without a valid scheme, with a
    // malformed percent escape, or when the path would decode to a NUL byte
    // (which would cut the path short in every system call).
    static std::optional<Url> parse(std::string_view text);
    // The file URL of a path; a relative path is taken from the working directory.
    static Url fileUrl(const std::string& path);

    const std::string& absoluteString() const { return text_; }
    // Lower case.
    const std::string& scheme() const { return scheme_; }
    const std::string& host() const { return host_; }
    // The decoded path, without query or fragment.
    const std::string& path() const { return path_; }
    // A "file" URL on this machine: no host, or "localhost".
    bool isFileUrl() const;

    friend bool operator==(const Url& a, const Url& b) { return a.text_ == b.text_; }

private:
    Url() = default;

    std::string text_;
    std::string scheme_;
    std::string host_;
    std::string path_;
};

}  // namespace zoral::plist

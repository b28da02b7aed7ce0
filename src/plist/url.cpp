#include "plist/url.h"

#include <cctype>
#include <filesystem>

namespace zoral::plist {
namespace {

bool isSchemeCharacter(char c, bool first) {
    const auto u = static_cast<unsigned char>(c);
    if (std::isalpha(u))
        return true;
    return !first && (std::isdigit(u) || c == '+' || c == '-' || c == '.');
}

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::optional<std::string> percentDecode(std::string_view text) {
    std::string result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            result.push_back(text[i]);
            continue;
        }
        if (i + 2 >= text.size())
            return std::nullopt;
        const int high = hexValue(text[i + 1]);
        const int low = hexValue(text[i + 2]);
        if (high < 0 || low < 0)
            return std::nullopt;
        result.push_back(static_cast<char>(high * 16 + low));
        i += 2;
    }
    if (result.find('\0') != std::string::npos)
        return std::nullopt;
    return result;
}

bool keptInPath(char c) {
    const auto u = static_cast<unsigned char>(c);
    if (u >= 0x80)
        return false;
    if (std::isalnum(u))
        return true;
    static constexpr std::string_view kept = "-._~/!$&'()*+,;=:@";
    return kept.find(c) != std::string_view::npos;
}

std::string percentEncodePath(std::string_view path) {
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string result;
    for (const char c : path) {
        if (keptInPath(c)) {
            result.push_back(c);
        } else {
            const auto u = static_cast<unsigned char>(c);
            result.push_back('%');
            result.push_back(digits[u >> 4]);
            result.push_back(digits[u & 0x0F]);
        }
    }
    return result;
}

}  // namespace

std::optional<Url> Url::parse(std::string_view text) {
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos || colon == 0)
        return std::nullopt;
    Url url;
    for (std::size_t i = 0; i < colon; ++i) {
        if (!isSchemeCharacter(text[i], i == 0))
            return std::nullopt;
        url.scheme_.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(text[i]))));
    }
    std::string_view rest = text.substr(colon + 1);
    rest = rest.substr(0, rest.find_first_of("?#"));
    if (rest.starts_with("//")) {
        rest.remove_prefix(2);
        const std::size_t slash = rest.find('/');
        const std::string_view authority = rest.substr(0, slash);
        auto host = percentDecode(authority);
        if (!host)
            return std::nullopt;
        url.host_ = std::move(*host);
        rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash);
    }
    auto path = percentDecode(rest);
    if (!path)
        return std::nullopt;
    url.path_ = std::move(*path);
    url.text_ = std::string(text);
    return url;
}

Url Url::fileUrl(const std::string& path) {
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(path, error);
    if (error)
        absolute = path;
    Url url;
    url.scheme_ = "file";
    url.path_ = absolute.string();
    url.text_ = "file://" + percentEncodePath(url.path_);
    return url;
}

bool Url::isFileUrl() const {
    return scheme_ == "file" && (host_.empty() || host_ == "localhost");
}

}  // namespace zoral::plist

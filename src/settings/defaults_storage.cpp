#include "settings/defaults_storage.h"

#include <stdexcept>

#include "platform/output.h"

namespace zoral::settings::Defaults::detail {
namespace {

// Errors quote the offending JSON, which comes from a file anybody can edit: keep lines short.
constexpr std::size_t maxDescriptionLength = 200;

std::string shortened(std::string_view text) {
    if (text.size() <= maxDescriptionLength)
        return std::string(text);
    std::size_t end = maxDescriptionLength;
    // Never cut a UTF-8 sequence in two.
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0u) == 0x80u)
        --end;
    return std::string(text.substr(0, end)) + "...";
}

std::string quoted(std::string_view name) {
    return "\"" + shortened(name) + "\"";
}

}  // namespace

void reportDecodingFailure(std::string_view name, std::string_view error) {
    platform::output::printLine("Defaults: cannot decode " + quoted(name) + ": " +
                                shortened(error));
}

void reportEncodingFailure(std::string_view name, std::string_view error) {
    platform::output::printLine(
        name.empty() ? "Defaults: cannot encode a value: " + shortened(error)
                     : "Defaults: cannot encode " + quoted(name) + ": " + shortened(error));
}

void setStoredObject(platform::UserDefaults& suite, std::string_view name,
                     platform::PlistObject object) {
    try {
        suite.setObject(std::move(object), name);
    } catch (const std::invalid_argument& error) {
        reportEncodingFailure(name, error.what());
    }
}

}  // namespace zoral::settings::Defaults::detail

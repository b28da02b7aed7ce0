#include "promises/text_form.h"

#include <cstdlib>
#include <memory>
#include <string_view>

#include <cxxabi.h>

namespace zoral::promises {

std::string unqualifiedTypeName(const std::type_info& type) {
    int status = 0;
    const std::unique_ptr<char, decltype(&std::free)> demangled(
        abi::__cxa_demangle(type.name(), nullptr, nullptr, &status), &std::free);
    std::string full = status == 0 && demangled ? demangled.get() : type.name();
    static constexpr std::string_view anonymous = "(anonymous namespace)::";
    for (auto at = full.find(anonymous); at != std::string::npos; at = full.find(anonymous))
        full.erase(at, anonymous.size());

    // Drop every "name::" qualifier, inside template arguments too.
    std::string name;
    std::size_t wordStart = 0;
    for (std::size_t i = 0; i < full.size(); ++i) {
        const char c = full[i];
        if (c == ':' && i + 1 < full.size() && full[i + 1] == ':') {
            name.erase(wordStart);
            ++i;
            continue;
        }
        const bool wordChar =
            (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
        if (!wordChar)
            wordStart = name.size() + 1;
        name += c;
    }
    return name;
}

std::string errorTypeName(const platform::Error& error) {
    return unqualifiedTypeName(typeid(error));
}

}  // namespace zoral::promises

// The stored form of a global shortcut: whatever text the user defaults hold under a
// shortcut's key must read as a shortcut or as none, never crash; a shortcut that reads
// writes back to text that reads as the same shortcut, and shows as text and as a menu key.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "shortcuts/shortcut.h"
#include "shortcuts/shortcut_display.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using zoral::shortcuts::GlobalShortcuts::Shortcut;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto shortcut = Shortcut::fromJsonText(text);
    if (!shortcut)
        return 0;
    const auto written = shortcut->jsonText();
    if (!written || Shortcut::fromJsonText(*written) != shortcut)
        std::abort();
    (void)zoral::shortcuts::GlobalShortcuts::displayString(*shortcut);
    (void)zoral::shortcuts::GlobalShortcuts::menuKeyEquivalent(*shortcut);
    return 0;
}

#include "desktop/joined_with_last_separator.h"

#include <cstddef>

namespace zoral::desktop {

std::string joinedWithLastSeparator(std::span<const std::string> items, std::string_view separator,
                                    std::string_view lastSeparator) {
    std::string text;
    const std::size_t count = items.size();
    for (std::size_t index = 0; index < count; ++index) {
        if (index > 0)
            text += index + 1 == count ? lastSeparator : separator;
        text += items[index];
    }
    return text;
}

}  // namespace zoral::desktop

#include "platform/attributed_string.h"

#include <utility>

namespace zoral::platform {

Font Font::systemFontOfSize(double pointSize) {
    return Font{.pointSize = pointSize > 0 ? pointSize : systemFontSize, .traits = {}};
}

std::optional<Font> Font::withSymbolicTraits(FontSymbolicTraits wanted) const {
    if (!(FontSymbolicTraits::italic | FontSymbolicTraits::bold).contains(wanted))
        return std::nullopt;
    return Font{.pointSize = pointSize, .traits = wanted};
}

AttributedString::AttributedString(std::string text, std::optional<Font> font) {
    append(std::move(text), font);
}

void AttributedString::append(std::string text, std::optional<Font> font) {
    if (text.empty())
        return;
    // Neighbours in one font are one run, as the system keeps them.
    if (!runs_.empty() && runs_.back().font == font) {
        runs_.back().text += text;
        return;
    }
    runs_.push_back({std::move(text), font});
}

std::string AttributedString::string() const {
    std::string text;
    for (const Run& run : runs_)
        text += run.text;
    return text;
}

}  // namespace zoral::platform

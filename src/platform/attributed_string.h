#pragma once

// Text with attributes, as menus and labels of the system show it: runs of text, each in the
// font it names or, naming none, in the font of the place that shows it. Fonts are the system
// font at a point size, with symbolic traits (italic, bold) that their faces carry.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/option_set.h"

namespace zoral::platform {

// The traits a font's face has, with the system's bits.
class FontSymbolicTraits : public OptionSet<FontSymbolicTraits, std::uint32_t> {
public:
    using OptionSet::OptionSet;

    static const FontSymbolicTraits italic;
    static const FontSymbolicTraits bold;
};

inline constexpr FontSymbolicTraits FontSymbolicTraits::italic{1u << 0};
inline constexpr FontSymbolicTraits FontSymbolicTraits::bold{1u << 1};

struct Font {
    // The size the system gives its font when a size of 0 or less is asked for.
    static constexpr double systemFontSize = 13;

    double pointSize = systemFontSize;
    FontSymbolicTraits traits;

    static Font systemFontOfSize(double pointSize);
    // The same font with exactly these traits, made through its descriptor; none when the family
    // has no such face. The system font has every combination of italic and bold, and nothing
    // else.
    std::optional<Font> withSymbolicTraits(FontSymbolicTraits traits) const;

    friend bool operator==(const Font&, const Font&) = default;
};

class AttributedString {
public:
    struct Run {
        std::string text;
        std::optional<Font> font;

        friend bool operator==(const Run&, const Run&) = default;
    };

    AttributedString() = default;
    explicit AttributedString(std::string text, std::optional<Font> font = std::nullopt);

    // Appends the text in the font; an empty text adds nothing.
    void append(std::string text, std::optional<Font> font = std::nullopt);
    // The text without its attributes.
    std::string string() const;
    const std::vector<Run>& runs() const { return runs_; }

    friend bool operator==(const AttributedString&, const AttributedString&) = default;

private:
    std::vector<Run> runs_;
};

}  // namespace zoral::platform

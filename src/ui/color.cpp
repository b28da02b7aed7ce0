#include "ui/color.h"

#include "ui/named_colors.h"

namespace zoral::ui {

namespace {

platform::RGBColor systemShade(SystemColor colour, bool dark) {
    using platform::RGBColor;
    switch (colour) {
        case SystemColor::label:
            return dark ? RGBColor{1, 1, 1, 0.85} : RGBColor{0, 0, 0, 0.85};
        case SystemColor::secondaryLabel:
            return dark ? RGBColor{1, 1, 1, 0.55} : RGBColor{0, 0, 0, 0.5};
        case SystemColor::separator:
            return dark ? RGBColor{1, 1, 1, 0.1} : RGBColor{0, 0, 0, 0.1};
        case SystemColor::windowBackground:
            return dark ? RGBColor{0.196, 0.196, 0.196, 1} : RGBColor{0.925, 0.925, 0.925, 1};
        case SystemColor::controlBackground:
            return dark ? RGBColor{0.118, 0.118, 0.118, 1} : RGBColor{1, 1, 1, 1};
        case SystemColor::systemBlue:
            return platform::systemBlueColor();
        case SystemColor::systemGreen:
            return dark ? RGBColor{0.196, 0.843, 0.294, 1} : RGBColor{0.157, 0.804, 0.255, 1};
        case SystemColor::systemRed:
            return dark ? RGBColor{1, 0.271, 0.227, 1} : RGBColor{1, 0.231, 0.188, 1};
        case SystemColor::systemYellow:
            return dark ? RGBColor{1, 0.839, 0.039, 1} : RGBColor{1, 0.8, 0, 1};
        case SystemColor::systemGray:
            return platform::systemGrayColor();
        case SystemColor::controlAccent:
            return platform::controlAccentColor().value_or(platform::systemBlueColor());
        case SystemColor::clear:
            return {0, 0, 0, 0};
    }
    return {0, 0, 0, 1};
}

}  // namespace

std::optional<Color> Color::named(std::string_view name) {
    if (!namedColor(name, AppearanceName::aqua))
        return std::nullopt;
    Color colour;
    colour.value_ = Named{std::string(name)};
    return colour;
}

Color Color::withAlpha(double alpha) const {
    Color copy = *this;
    copy.alpha_ = alpha;
    return copy;
}

platform::RGBColor Color::resolved(AppearanceName appearance) const {
    platform::RGBColor rgb;
    if (const auto* fixed = std::get_if<platform::RGBColor>(&value_))
        rgb = *fixed;
    else if (const auto* system = std::get_if<SystemColor>(&value_))
        rgb = systemShade(*system, isDark(appearance));
    else
        rgb = namedColor(std::get<Named>(value_).name, appearance).value_or(platform::RGBColor{});
    rgb.alpha *= alpha_;
    return rgb;
}

}  // namespace zoral::ui

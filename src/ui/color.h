#pragma once

// Colours as the program's views use them: a fixed colour, one of the system's catalogue colours
// (which take their shade from the appearance), or a named colour of the program's assets. A
// colour is resolved to components only when it is drawn.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "platform/system_colors.h"
#include "ui/appearance.h"

namespace zoral::ui {

enum class SystemColor : std::uint8_t {
    label,
    secondaryLabel,
    separator,
    windowBackground,
    controlBackground,
    systemBlue,
    systemGreen,
    systemRed,
    systemYellow,
    systemGray,
    // The user's accent colour; system blue on systems that have none.
    controlAccent,
    clear,
};

class Color {
public:
    // Black.
    Color() = default;
    Color(platform::RGBColor rgb) : value_(rgb) {}  // NOLINT: a colour is its components
    Color(SystemColor system) : value_(system) {}   // NOLINT: as the catalogue names it

    // The program's named colour; none when the assets hold no colour of that name.
    static std::optional<Color> named(std::string_view name);

    // The same colour with another alpha (multiplied into the resolved colour's).
    Color withAlpha(double alpha) const;

    platform::RGBColor resolved(AppearanceName appearance) const;

    friend bool operator==(const Color&, const Color&) = default;

private:
    struct Named {
        std::string name;
        friend bool operator==(const Named&, const Named&) = default;
    };

    std::variant<platform::RGBColor, SystemColor, Named> value_;
    double alpha_ = 1;
};

}  // namespace zoral::ui

// The platform's system colours, answered from the simulated system's settings.

#include "sim/system_colors.h"

#include <string>

#include "platform/system_colors.h"
#include "platform/user_defaults.h"
#include "sim/displays.h"

namespace zoral::sim {

namespace {

using platform::RGBColor;

struct Shades {
    RGBColor light;
    RGBColor dark;
};

constexpr RGBColor rgb(int red, int green, int blue) {
    return {red / 255.0, green / 255.0, blue / 255.0, 1.0};
}

constexpr Shades blue{rgb(10, 118, 246), rgb(28, 136, 255)};
constexpr Shades gray{rgb(140, 140, 146), rgb(150, 150, 156)};

// By accent number, from -1 (graphite) to 6 (pink).
constexpr Shades accents[] = {
    {rgb(136, 136, 140), rgb(150, 150, 154)},  // graphite
    {rgb(230, 60, 56), rgb(240, 72, 66)},      // red
    {rgb(244, 140, 20), rgb(255, 154, 30)},    // orange
    {rgb(250, 196, 20), rgb(255, 208, 28)},    // yellow
    {rgb(48, 186, 82), rgb(56, 204, 92)},      // green
    blue,                                      // blue
    {rgb(150, 72, 200), rgb(172, 90, 222)},    // purple
    {rgb(238, 80, 146), rgb(250, 96, 160)},    // pink
};

const platform::UserDefaults& defaults() {
    return platform::UserDefaults::standard();
}

RGBColor shade(const Shades& shades) {
    const auto style = defaults().stringForKey("AppleInterfaceStyle");
    return style == "Dark" ? shades.dark : shades.light;
}

}  // namespace

void setAccentColor(std::optional<std::int64_t> accent) {
    auto& standard = platform::UserDefaults::standard();
    const auto global = platform::UserDefaults::globalDomainName;
    platform::PlistDictionary values = standard.persistentDomainForName(global);
    if (accent) {
        values.insert_or_assign(std::string(platform::accentColorKey),
                                platform::PlistObject::integer(*accent));
    } else {
        values.erase(std::string(platform::accentColorKey));
    }
    standard.setPersistentDomain(values, global);
}

}  // namespace zoral::sim

namespace zoral::platform {

std::optional<RGBColor> controlAccentColor() {
    if (sim::SystemVersion::current().version() < OperatingSystemVersion{10, 14, 0})
        return std::nullopt;
    const auto stored = sim::defaults().objectForKey(accentColorKey);
    const auto integer = stored ? stored->integerValue() : std::nullopt;
    const auto number = integer ? integer->int64Value() : std::nullopt;
    // An unknown number shows the default, as the system does.
    const std::int64_t accent = number.value_or(4);
    const bool known = accent >= -1 && accent <= 6;
    return sim::shade(known ? sim::accents[accent + 1] : sim::blue);
}

RGBColor systemBlueColor() {
    return sim::shade(sim::blue);
}

RGBColor systemGrayColor() {
    return sim::shade(sim::gray);
}

}  // namespace zoral::platform

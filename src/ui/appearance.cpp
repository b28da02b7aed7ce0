#include "ui/appearance.h"

#include "desktop/system_appearance.h"

namespace zoral::ui {

AppearanceName systemAppearanceName() {
    return desktop::currentSystemAppearance() == desktop::SystemAppearance::dark
               ? AppearanceName::darkAqua
               : AppearanceName::aqua;
}

AppearanceName effectiveAppearance(std::optional<AppearanceName> fixed) {
    return fixed.value_or(systemAppearanceName());
}

bool isDark(AppearanceName appearance) {
    return appearance != AppearanceName::aqua;
}

platform::RGBColor materialFill(Material material, AppearanceName appearance) {
    const bool dark = isDark(appearance);
    switch (material) {
        case Material::light:
            return dark ? platform::RGBColor{0.30, 0.30, 0.32, 0.70}
                        : platform::RGBColor{0.96, 0.96, 0.97, 0.70};
        case Material::ultraDark:
            return {0.08, 0.08, 0.09, 0.90};
        case Material::hudWindow:
            return dark ? platform::RGBColor{0.12, 0.12, 0.13, 0.72}
                        : platform::RGBColor{0.20, 0.20, 0.22, 0.72};
        case Material::contentBackground:
            return dark ? platform::RGBColor{0.16, 0.16, 0.17, 0.92}
                        : platform::RGBColor{0.99, 0.99, 0.99, 0.92};
    }
    return {0, 0, 0, 0};
}

}  // namespace zoral::ui

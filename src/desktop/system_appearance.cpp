#include "desktop/system_appearance.h"

#include <string>
#include <utility>

#include "platform/screens.h"
#include "platform/user_defaults.h"

namespace zoral::desktop {

bool systemHasDarkAppearance() {
    return platform::isOperatingSystemAtLeast({10, 14, 0});
}

SystemAppearance currentSystemAppearance() {
    if (!systemHasDarkAppearance())
        return SystemAppearance::light;
    const auto style = platform::UserDefaults::standard().stringForKey(interfaceStyleKey);
    return style == "Dark" ? SystemAppearance::dark : SystemAppearance::light;
}

platform::ObserverToken observeThemeChanges(std::function<void(SystemAppearance)> handler) {
    return platform::DistributedNotificationCenter::defaultCenter().addObserver(
        std::string(themeChangedNotification), std::nullopt,
        [handler = std::move(handler)](const platform::DistributedNotification&) {
            if (handler)
                handler(currentSystemAppearance());
        });
}

}  // namespace zoral::desktop

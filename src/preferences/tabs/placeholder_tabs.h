#pragma once

// The tabs of the preferences window while their pages are not built: each knows its title,
// image and symbol, and shows an empty page.

#include <string>

#include "preferences/window/sidebar_tab.h"
#include "settings/preferences_tab.h"

namespace zoral::preferences {

class PlaceholderTab final : public SidebarTab {
public:
    explicit PlaceholderTab(settings::PreferencesTab tab) : tab_(tab) {}

    std::string tabTitle() const override;
    std::string imageName() const override;
    std::string symbolName() const override;

private:
    settings::PreferencesTab tab_;
};

// One new controller for each tab, in sidebar order.
SidebarTabs makePreferencesTabs();

}  // namespace zoral::preferences

#include "preferences/tabs/placeholder_tabs.h"

#include <array>

#include "platform/enum_table.h"
#include "preferences/tabs/advanced_tab.h"
#include "preferences/tabs/general_tab.h"

namespace zoral::preferences {

namespace {

struct TabNames {
    const char* title;
    const char* image;
    const char* symbol;
};

// By tab, in sidebar order.
constexpr std::array<TabNames, 7> names{{
    {"General", "PrefsGeneral", "gearshape"},
    {"Windows", "PrefsWindow", "macwindow.on.rectangle"},
    {"Snapping", "PrefsSnapping", "rectangle.lefthalf.inset.fill"},
    {"Apps", "PrefsApps", "dock.rectangle"},
    {"Menubar", "PrefsMenubar", "menubar.rectangle"},
    {"Advanced", "PrefsAdvanced", "gearshape.2"},
    {"About", "PrefsAbout", "info.circle"},
}};

const TabNames& namesOf(settings::PreferencesTab tab) {
    return names.at(static_cast<std::size_t>(tab));
}

}  // namespace

std::string PlaceholderTab::tabTitle() const {
    return namesOf(tab_).title;
}

std::string PlaceholderTab::imageName() const {
    return namesOf(tab_).image;
}

std::string PlaceholderTab::symbolName() const {
    return namesOf(tab_).symbol;
}

SidebarTabs makePreferencesTabs() {
    SidebarTabs tabs;
    for (const settings::PreferencesTab tab : platform::allCases<settings::PreferencesTab>()) {
        switch (tab) {
            case settings::PreferencesTab::general:
                tabs.push_back(std::make_shared<GeneralTabController>());
                break;
            case settings::PreferencesTab::advanced:
                tabs.push_back(std::make_shared<AdvancedTabController>());
                break;
            default:
                tabs.push_back(std::make_shared<PlaceholderTab>(tab));
                break;
        }
    }
    return tabs;
}

}  // namespace zoral::preferences

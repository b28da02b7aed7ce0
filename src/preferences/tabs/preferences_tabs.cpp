#include "preferences/tabs/preferences_tabs.h"

#include <memory>

#include "platform/enum_table.h"
#include "preferences/tabs/about_tab.h"
#include "preferences/tabs/advanced_tab.h"
#include "preferences/tabs/apps_tab.h"
#include "preferences/tabs/general_tab.h"
#include "preferences/tabs/menubar_tab.h"
#include "preferences/tabs/snapping_tab.h"
#include "preferences/tabs/windows_tab.h"
#include "settings/preferences_tab.h"

namespace zoral::preferences {

namespace {

std::shared_ptr<SidebarTab> makeTab(settings::PreferencesTab tab) {
    switch (tab) {
        case settings::PreferencesTab::general:
            return std::make_shared<GeneralTabController>();
        case settings::PreferencesTab::windows:
            return std::make_shared<WindowsTabController>();
        case settings::PreferencesTab::snapping:
            return std::make_shared<SnappingTabController>();
        case settings::PreferencesTab::apps:
            return std::make_shared<AppsTabController>();
        case settings::PreferencesTab::menubar:
            return std::make_shared<MenubarTabController>();
        case settings::PreferencesTab::advanced:
            return std::make_shared<AdvancedTabController>();
        case settings::PreferencesTab::about:
            return std::make_shared<AboutTabController>();
    }
    return std::make_shared<GeneralTabController>();
}

}  // namespace

SidebarTabs makePreferencesTabs() {
    SidebarTabs tabs;
    for (const settings::PreferencesTab tab : platform::allCases<settings::PreferencesTab>())
        tabs.push_back(makeTab(tab));
    return tabs;
}

}  // namespace zoral::preferences

// What the preferences window reads of the Apps and Menubar tabs for its sidebar, and the nib
// each stands for.

#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "preferences/tabs/apps_tab.h"
#include "preferences/tabs/menubar_tab.h"

namespace zoral::preferences {
namespace {

TEST(GestureTabs, NameThemselvesForTheSidebar) {
    struct Case {
        std::shared_ptr<PreferencesTabController> tab;
        const char* title;
        const char* image;
        const char* symbol;
        const char* nib;
    };
    const std::vector<Case> cases{
        {std::make_shared<AppsTabController>(), "Apps", "PrefsApps", "dock.rectangle", "AppsTab"},
        {std::make_shared<MenubarTabController>(), "Menubar", "PrefsMenubar", "menubar.rectangle",
         "MenubarTab"},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.title);
        EXPECT_EQ(row.tab->tabTitle(), row.title);
        EXPECT_EQ(row.tab->imageName(), row.image);
        EXPECT_EQ(row.tab->symbolName(), row.symbol);
        EXPECT_EQ(row.tab->nibName(), row.nib);
    }
}

}  // namespace
}  // namespace zoral::preferences

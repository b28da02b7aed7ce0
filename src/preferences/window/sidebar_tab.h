#pragma once

// What the preferences window reads of each of its tabs: a view controller whose view is the
// tab's page, with the tab's name in the sidebar, the image asset shown beside it on systems
// before 11 and the symbol shown from 11 on. The tab base class fills these in for every tab.

#include <memory>
#include <string>
#include <vector>

#include "ui/view_controller.h"

namespace zoral::preferences {

class SidebarTab : public ui::ViewController {
public:
    virtual std::string tabTitle() const { return {}; }
    virtual std::string imageName() const { return {}; }
    virtual std::string symbolName() const { return {}; }
};

// The seven tabs, in the order of the sidebar rows (and of settings::PreferencesTab).
using SidebarTabs = std::vector<std::shared_ptr<SidebarTab>>;

}  // namespace zoral::preferences

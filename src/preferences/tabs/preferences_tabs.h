#pragma once

// The tabs of the preferences window.

#include "preferences/window/sidebar_tab.h"

namespace zoral::preferences {

// One new controller for each tab, in sidebar order.
SidebarTabs makePreferencesTabs();

}  // namespace zoral::preferences

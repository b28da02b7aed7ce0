#pragma once

// The program's item in the menu bar, as the application delegate drives it: set up once during
// start-up (the item, its menu, its icon following the permission). Main thread only.

#include <memory>

#include "platform/status_bar.h"

namespace zoral::app {

class StatusItemController {
public:
    virtual ~StatusItemController() = default;
    virtual void setUpStatusItem() = 0;
    // The item in the system's status bar; none before it was set up, or where there is none.
    virtual std::shared_ptr<platform::StatusItem> statusItem() const = 0;

protected:
    StatusItemController() = default;
    StatusItemController(const StatusItemController&) = default;
    StatusItemController& operator=(const StatusItemController&) = default;
};

}  // namespace zoral::app

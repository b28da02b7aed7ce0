#pragma once

// Every shortcut test starts as a fresh process would: a home of its own (so user defaults start
// empty), a fresh simulated desktop, the package's state forgotten, the virtual clock and the
// output captured.

#include <any>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/notification_center.h"
#include "platform/user_defaults.h"
#include "shortcuts/global_shortcuts.h"
#include "shortcuts/shortcut_state.h"
#include "sim/hot_keys.h"
#include "sim/world.h"
#include "support/captured_output.h"
#include "support/temporary_home.h"
#include "support/virtual_clock.h"

namespace zoral::shortcuts::testing {

using GlobalShortcuts::Name;
using GlobalShortcuts::Shortcut;

// Command-Space, Control-Option-A, Shift-Command-F1.
inline constexpr Shortcut commandSpace{49, 0x100};
inline constexpr Shortcut controlOptionA{0, 0x1800};
inline constexpr Shortcut shiftCommandF1{122, 0x300};

// The names whose change notifications arrived, in order.
class ChangeRecorder {
public:
    ChangeRecorder() {
        token_ = platform::NotificationCenter::defaultCenter().addObserver(
            std::string(GlobalShortcuts::shortcutByNameDidChange), nullptr,
            [this](const platform::Notification& notification) {
                const auto found = notification.userInfo.find(GlobalShortcuts::nameUserInfoKey);
                if (found != notification.userInfo.end())
                    names_.push_back(std::any_cast<Name>(found->second).rawValue);
            });
    }
    ~ChangeRecorder() { platform::NotificationCenter::defaultCenter().removeObserver(token_); }
    ChangeRecorder(const ChangeRecorder&) = delete;
    ChangeRecorder& operator=(const ChangeRecorder&) = delete;

    const std::vector<std::string>& names() const { return names_; }

private:
    platform::ObserverToken token_;
    std::vector<std::string> names_;
};

class ShortcutsTest : public zoral::testing::VirtualClockTest {
protected:
    sim::HotKeys& hotKeys() { return sim::HotKeys::of(*world); }

    // What the system holds for the program: the combinations and their identifiers.
    std::vector<std::uint32_t> registeredIds() {
        std::vector<std::uint32_t> ids;
        for (const auto& registration : hotKeys().registrations())
            ids.push_back(registration.identifier.id);
        return ids;
    }

    // A key down and a key up of the combination on the simulated keyboard, each followed by the
    // main queue's work.
    void press(const Shortcut& shortcut);
    void release(const Shortcut& shortcut);

    zoral::testing::TemporaryHome home;
    sim::ScopedWorld world;
    zoral::testing::ScopedOutputCapture output;
};

}  // namespace zoral::shortcuts::testing

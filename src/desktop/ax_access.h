#pragma once

// Whether the program holds the Accessibility permission. The state is checked when the monitor
// is made and again 0.2 s after every announcement of a permission change; every check fires
// `onChange`, which replays its last value to each new subscriber.

#include <atomic>
#include <memory>

#include "platform/notification_center.h"
#include "signals/signal.h"

namespace zoral::desktop {

class AXAccess final : public std::enable_shared_from_this<AXAccess> {
    struct Passkey {};

public:
    // The distributed notification that announces a permission change.
    static constexpr const char* changeNotification = "com.apple.accessibility.api";
    // Seconds between an announcement and the check, which lets the system settle.
    static constexpr double recheckDelay = 0.2;

    // The process's monitor, made on first use and kept as long as the process's state.
    static AXAccess& shared();
    // A monitor of its own: logs the input-monitoring access, checks, fires, and listens for
    // changes until it is released.
    static std::shared_ptr<AXAccess> make();

    explicit AXAccess(Passkey);
    ~AXAccess();
    AXAccess(const AXAccess&) = delete;
    AXAccess& operator=(const AXAccess&) = delete;

    bool isTrusted() const { return isTrusted_; }
    void setIsTrusted(bool trusted) { isTrusted_ = trusted; }
    signals::Signal<bool>& onChange() { return onChange_; }

    // Asks the system to show its permission prompt; the answer arrives later as a change.
    void promptForAccess();

private:
    void recheck();

    std::atomic<bool> isTrusted_{false};
    signals::Signal<bool> onChange_{true};
    platform::ObserverToken changeToken_;
};

}  // namespace zoral::desktop

#pragma once

// The element of one tab in a browser's or code editor's window, found around the element under
// the pointer in the way that suits the application's kind. A gesture that starts on a tab can
// close it, switch tabs, or detach it into a window of its own with a synthetic drag; a later
// gesture can cancel a detach that still waits for its window.

#include <memory>
#include <optional>
#include <string_view>

#include "desktop/ui_element.h"
#include "platform/geometry.h"
#include "promises/promises.h"
#include "settings/tab_app_type.h"

namespace zoral::desktop {

using TabAppType = settings::TabAppType;

// The kind of application a bundle identifier names, by prefix; no identifier counts as the empty
// one. Nothing gives `edge`: that browser's tabs are handled as `chrome`'s.
TabAppType appTypeForBundleIdentifier(std::optional<std::string_view> bundleIdentifier);

class Tab final : public UIElement {
    struct Passkey {};

public:
    // How far below its window's top edge a pointer may be for a gesture on a tab of the `chrome`
    // kind to be taken as a window gesture instead.
    static constexpr double rerouteLimit = 55.0;

    // `element` is the element under the pointer, `window` its window, `location` the pointer
    // (top-left coordinates). No tab when the kind is not enabled in "tabApps", when the element
    // lies in web content of a browser, or when no tab element is found.
    static std::shared_ptr<Tab> make(const UIElementRef& element,
                                     const std::shared_ptr<Window>& window,
                                     platform::CGPoint location);
    Tab(Passkey, platform::ax::Element element, TabAppType appType, platform::CGPoint location,
        bool canReroute);

    TabAppType appType() const { return appType_; }
    platform::CGPoint location() const { return location_; }
    bool canReroute() const { return canReroute_; }

    // Set by a gesture's cancel while a detach waits; the detach's next check clears it and ends
    // the detach. Set when no detach waits, it ends the next one at its first check.
    bool shouldCancelDetach() const { return shouldCancelDetach_; }
    void setShouldCancelDetach(bool cancel) { shouldCancelDetach_ = cancel; }

    // Drags the tab out of its window (on axQueue) and polls, every 0.05 s with 40 retries, until
    // the application shows one more window; succeeds with that window. A window that was snapped
    // gives the new window its size from before the snap. Fails with PromiseError::default_() for
    // a tab without a window or when no window appeared, and with PromiseError::cancel() when
    // cancelled. Main thread only.
    promises::Promise<std::shared_ptr<Window>> detach();

private:
    struct DetachState;
    promises::Promise<std::shared_ptr<Window>> checkDetach(
        int retry, const std::shared_ptr<DetachState>& state);

    TabAppType appType_;
    platform::CGPoint location_;
    bool canReroute_;
    bool shouldCancelDetach_ = false;
};

}  // namespace zoral::desktop

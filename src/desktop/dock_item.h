#pragma once

// Tiles of the Dock, recognised by the subrole the Dock gives them: an application's tile and a
// minimised window's tile. Both are made only from an element of the right kind.

#include <memory>
#include <optional>
#include <string>

#include "desktop/ui_element.h"
#include "promises/promises.h"

namespace zoral::desktop {

class Window;

class DockItem final : public UIElement {
    struct Passkey {};

public:
    // No tile unless the element's subrole is "AXApplicationDockItem".
    static std::shared_ptr<DockItem> make(const UIElement& element);
    DockItem(Passkey, platform::ax::Element element);

    // The identifier of the bundle at the tile's "AXURL"; none for a folder or an unreadable URL.
    std::optional<std::string> bundleIdentifier() const;
};

class MinDockItem final : public UIElement {
    struct Passkey {};

public:
    // No tile unless the element's subrole is "AXMinimizedWindowDockItem".
    static std::shared_ptr<MinDockItem> make(const UIElement& element);
    MinDockItem(Passkey, platform::ax::Element element);

    // Presses the tile and polls (every 0.02 s, 40 retries) until a window other than the one
    // focused before has the focus, and gives that window; fails with PromiseError::default_()
    // when the focus never moves.
    promises::Promise<std::shared_ptr<Window>> unminimize();
};

}  // namespace zoral::desktop

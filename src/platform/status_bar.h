#pragma once

// The system's status bar: the items that programs place at the right end of the menu bar, on
// every display. An item has a length (a width in points, or one of the two special lengths), a
// button that shows an image, a menu that opens when the user presses the item, behaviours, and a
// visibility. The user may Command-drag an item along the bar or, when its behaviour allows it,
// out of the bar, which makes it invisible.
//
// The status bar remembers each item's visibility under the item's autosave name (the system
// names a program's items "Item-0", "Item-1", ... in the order the program makes them), whoever
// changed it: an item the user dragged out is invisible again when the program makes it at its
// next launch, until the program makes it visible.
//
// An item lives as long as the program holds it; releasing it takes it out of the bar.
//
// Only the declarations live here; the simulated desktop (sim/) defines them. Main thread only.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/menus.h"
#include "platform/option_set.h"
#include "platform/program_windows.h"

namespace zoral::platform {

// An item as wide as its button's content, or as wide as the bar is thick.
inline constexpr double variableStatusItemLength = -1;
inline constexpr double squareStatusItemLength = -2;

class StatusItemBehavior : public OptionSet<StatusItemBehavior, std::uint64_t> {
public:
    using OptionSet::OptionSet;

    // The user may take the item out of the bar by Command-dragging it away.
    static const StatusItemBehavior removalAllowed;
};

inline constexpr StatusItemBehavior StatusItemBehavior::removalAllowed{1u << 1};

class StatusBarButton {
public:
    virtual ~StatusBarButton() = default;

    // The name of the program's image the button shows; none for no image.
    virtual std::optional<std::string> image() const = 0;
    virtual void setImage(std::optional<std::string> name) = 0;
    // Drawn dimmed, as a disabled button is; it still takes clicks.
    virtual bool appearsDisabled() const = 0;
    virtual void setAppearsDisabled(bool appearsDisabled) = 0;
    // The window the button lies in, as the application's events name it.
    virtual std::optional<WindowNumber> window() const = 0;
};

class StatusItem {
public:
    virtual ~StatusItem() = default;

    virtual double length() const = 0;
    virtual void setLength(double length) = 0;
    virtual std::shared_ptr<Menu> menu() const = 0;
    virtual void setMenu(std::shared_ptr<Menu> menu) = 0;
    virtual StatusItemBehavior behavior() const = 0;
    virtual void setBehavior(StatusItemBehavior behavior) = 0;
    virtual bool isVisible() const = 0;
    virtual void setVisible(bool visible) = 0;
    // Setting another name gives the item the visibility remembered under it, when there is one.
    virtual std::string autosaveName() const = 0;
    virtual void setAutosaveName(std::string name) = 0;
    // None for an item without a button.
    virtual StatusBarButton* button() = 0;
};

class StatusBar {
public:
    virtual ~StatusBar() = default;

    // The status bar of the system.
    static StatusBar& system();

    // A new item at the left of the program's earlier ones, visible unless the bar remembers its
    // autosave name as invisible.
    virtual std::shared_ptr<StatusItem> statusItemWithLength(double length) = 0;
    virtual void removeStatusItem(StatusItem& item) = 0;
    // The height of the bar.
    virtual double thickness() const = 0;
};

}  // namespace zoral::platform

#pragma once

// What lies inside a simulated window, as applications show it to the accessibility interface: the
// title bar's buttons (close, minimise, and full screen or zoom), toolbars with their items, the
// content, popovers and menus open in the window, and the buttons of system dialogs.
//
// Every part sits at a place relative to its window's frame (a fixed offset from the top-left
// corner, or stretched across the width) and follows the window when it moves or resizes, as the
// real parts do; each answers "AXPosition", "AXSize" and "AXFrame" from that place and "AXWindow"
// and "AXTopLevelUIElement" with its window. The window answers "AXCloseButton",
// "AXMinimizeButton", "AXZoomButton" and "AXFullScreenButton" with its buttons. Pressing an enabled
// button acts on the window as a ButtonNode does; a disabled one does nothing.
//
// The window keeps what was added to it, in order (WindowParts::partsOf), so that a dump of the
// world writes each part as it was added rather than as the elements it made.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "platform/geometry.h"
#include "sim/button_node.h"
#include "sim/node.h"
#include "sim/window_node.h"

namespace zoral::sim {

// The place of a part given its window's frame (top-left coordinates).
using PartLayout = std::function<platform::CGRect(const platform::CGRect& window)>;

// At the offset from the window's top-left corner, of a fixed size.
PartLayout fixedPart(platform::CGRect offset);
// From `top` below the window's top edge, `height` high, across the window's whole width.
PartLayout stretchedPart(double top, double height);

namespace detail {

ax::Result<ax::Value> readPart(const Node& part, const std::weak_ptr<WindowNode>& window,
                               const std::optional<platform::CGRect>& frame,
                               std::string_view attribute);
void addPartAttributeNames(std::vector<std::string>& names);

}  // namespace detail

// A part of a window of the kind Base (a plain Node, or a ButtonNode that acts when pressed).
template <class Base>
class WindowPart : public Base {
public:
    template <class... BaseArgs>
    WindowPart(platform::ProcessId pid, std::weak_ptr<WindowNode> window, PartLayout layout,
               BaseArgs&&... baseArgs)
        : Base(pid, std::forward<BaseArgs>(baseArgs)...),
          window_(std::move(window)),
          layout_(std::move(layout)) {}

    std::optional<platform::CGRect> frame() const override {
        const auto window = window_.lock();
        if (!window || this->isDestroyed())
            return std::nullopt;
        const auto windowFrame = window->frame();
        return windowFrame ? std::optional(layout_(*windowFrame)) : std::nullopt;
    }
    ax::Result<ax::Value> read(World& world, std::string_view attribute) const override {
        auto answer = detail::readPart(*this, window_, frame(), attribute);
        if (answer.ok() || answer.error() != ax::attributeUnsupported)
            return answer;
        return Base::read(world, attribute);
    }
    std::vector<std::string> attributeNames() const override {
        auto names = Base::attributeNames();
        detail::addPartAttributeNames(names);
        return names;
    }

private:
    std::weak_ptr<WindowNode> window_;
    PartLayout layout_;
};

using PartNode = WindowPart<Node>;
using PartButtonNode = WindowPart<ButtonNode>;

// The green button: full screen for windows that can go full screen, zoom for the others.
enum class GreenButton { fullScreen, zoom };

struct TitleBarButtons {
    std::shared_ptr<PartButtonNode> close;
    std::shared_ptr<PartButtonNode> minimize;
    std::shared_ptr<PartButtonNode> green;
};

struct TitleBarStyle {
    // The band's height: the buttons are centred in it, so that the close button's vertical
    // midpoint lies (height - 1) / 2 below the window's top edge.
    double height = 28;
    GreenButton green = GreenButton::fullScreen;
    bool closeEnabled = true;
    bool minimizeEnabled = true;

    friend bool operator==(const TitleBarStyle&, const TitleBarStyle&) = default;
};

// A toolbar from `top` below the window's top edge, `height` high, with one item per title.
struct ToolbarPlace {
    double top = 0;
    double height = 0;
    std::vector<std::string> items;

    friend bool operator==(const ToolbarPlace&, const ToolbarPlace&) = default;
};

// The content area from `top` below the window's top edge to its bottom.
struct ContentPlace {
    double top = 0;

    friend bool operator==(const ContentPlace&, const ContentPlace&) = default;
};

// A popover at the offset from the window's top-left corner.
struct PopoverPlace {
    platform::CGRect offset;

    friend bool operator==(const PopoverPlace&, const PopoverPlace&) = default;
};

// An open menu at the offset, one item per title, top to bottom.
struct OpenMenuPlace {
    platform::CGRect offset;
    std::vector<std::string> items;

    friend bool operator==(const OpenMenuPlace&, const OpenMenuPlace&) = default;
};

using PartShape =
    std::variant<TitleBarStyle, ToolbarPlace, ContentPlace, PopoverPlace, OpenMenuPlace>;

// A part as it is now: its shape (a title bar's buttons enabled as they are now) and the elements
// it appended to the window, the close, minimise and green buttons of a title bar, the part itself
// for the others.
struct AddedPart {
    PartShape shape;
    std::vector<std::shared_ptr<Node>> roots;
};

class WindowParts {
public:
    // The buttons' size and their distance apart, as the system draws them.
    static constexpr double buttonWidth = 14;
    static constexpr double buttonHeight = 16;
    static constexpr double buttonLeft = 7;
    static constexpr double buttonStep = 20;

    // The close, minimise and green buttons, left to right, and the window's attributes naming
    // them.
    static TitleBarButtons addTitleBarButtons(World& world,
                                              const std::shared_ptr<WindowNode>& window,
                                              const TitleBarStyle& style = {});
    // A toolbar from `top` below the window's top edge, `height` high, across the window, holding
    // one group per title with a toolbar button inside, left to right. Gives the toolbar.
    static std::shared_ptr<PartNode> addToolbar(World& world,
                                                const std::shared_ptr<WindowNode>& window,
                                                double top, double height,
                                                const std::vector<std::string>& items);
    // The content under the title band (or the toolbar): a scroll area to the window's bottom.
    static std::shared_ptr<PartNode> addContent(World& world,
                                                const std::shared_ptr<WindowNode>& window,
                                                double top);
    // A popover at the offset, holding a button; the popover is given.
    static std::shared_ptr<PartNode> addPopover(World& world,
                                                const std::shared_ptr<WindowNode>& window,
                                                platform::CGRect offset);
    // An open menu at the offset, one item per title, top to bottom; the menu is given.
    static std::shared_ptr<PartNode> addMenu(World& world,
                                             const std::shared_ptr<WindowNode>& window,
                                             platform::CGRect offset,
                                             const std::vector<std::string>& items);
    // Adds the part of the shape; gives the elements it appended to the window.
    static std::vector<std::shared_ptr<Node>> add(World& world,
                                                  const std::shared_ptr<WindowNode>& window,
                                                  const PartShape& shape);
    // The parts added to the window, in the order added.
    static std::vector<AddedPart> partsOf(World& world, const WindowNode& window);
    // The window's attributes that name its title-bar buttons.
    static constexpr std::string_view titleBarAttributes[] = {
        ax::attribute::closeButton, ax::attribute::minimizeButton, ax::attribute::zoomButton,
        ax::attribute::fullScreenButton};

    // Makes the window a system dialog ("AXSystemDialog").
    static void makeSystemDialog(const std::shared_ptr<WindowNode>& window);

    // A part of the given role inside `parent` (the window or one of its parts).
    static std::shared_ptr<PartNode> addPart(World& world,
                                             const std::shared_ptr<WindowNode>& window,
                                             const std::shared_ptr<Node>& parent,
                                             std::string_view role, PartLayout layout);
};

}  // namespace zoral::sim

#include "sim/window_parts.h"

#include <algorithm>
#include <unordered_map>

#include "sim/world.h"

namespace zoral::sim {

using platform::CGRect;

PartLayout fixedPart(CGRect offset) {
    return [offset](const CGRect& window) {
        return CGRect(window.minX() + offset.minX(), window.minY() + offset.minY(), offset.width(),
                      offset.height());
    };
}

PartLayout stretchedPart(double top, double height) {
    return [top, height](const CGRect& window) {
        return CGRect(window.minX(), window.minY() + top, window.width(), height);
    };
}

namespace detail {

ax::Result<ax::Value> readPart(const Node& part, const std::weak_ptr<WindowNode>& window,
                               const std::optional<CGRect>& frame, std::string_view attribute) {
    if (attribute == ax::attribute::position || attribute == ax::attribute::size ||
        attribute == ax::attribute::frame) {
        if (!frame)
            return ax::noValue;
        if (attribute == ax::attribute::position)
            return ax::Value(frame->origin);
        if (attribute == ax::attribute::size)
            return ax::Value(frame->size);
        return ax::Value(*frame);
    }
    if (attribute == ax::attribute::window || attribute == ax::attribute::topLevelUIElement) {
        if (part.stored(attribute) != nullptr)
            return ax::attributeUnsupported;  // what the world stored answers
        const auto owner = window.lock();
        if (!owner || owner->isDestroyed())
            return ax::noValue;
        return ax::Value(owner->element());
    }
    return ax::attributeUnsupported;
}

void addPartAttributeNames(std::vector<std::string>& names) {
    for (const std::string_view name :
         {ax::attribute::position, ax::attribute::size, ax::attribute::frame, ax::attribute::window,
          ax::attribute::topLevelUIElement}) {
        if (std::find(names.begin(), names.end(), name) == names.end())
            names.emplace_back(name);
    }
}

}  // namespace detail

namespace {

// What each window had added to it, in order.
struct AddedParts {
    struct Entry {
        PartShape shape;
        std::vector<std::weak_ptr<Node>> roots;
    };
    std::unordered_map<ax::Element, std::vector<Entry>> byWindow;

    void record(const WindowNode& window, PartShape shape,
                const std::vector<std::shared_ptr<Node>>& roots) {
        byWindow[window.element()].push_back(
            {std::move(shape), std::vector<std::weak_ptr<Node>>(roots.begin(), roots.end())});
    }
};

bool storedFlag(const Node& node, std::string_view attribute, bool otherwise) {
    const ax::Value* value = node.stored(attribute);
    const bool* flag = value != nullptr ? value->getIf<bool>() : nullptr;
    return flag != nullptr ? *flag : otherwise;
}

std::shared_ptr<PartButtonNode> addButton(World& world, const std::shared_ptr<WindowNode>& window,
                                          std::string_view subrole, int index, double top,
                                          bool enabled) {
    const CGRect offset(WindowParts::buttonLeft + WindowParts::buttonStep * index, top,
                        WindowParts::buttonWidth, WindowParts::buttonHeight);
    auto button = world.makeNode<PartButtonNode>(window->pid(), window, fixedPart(offset));
    button->set(ax::attribute::subrole, std::string(subrole));
    button->set(ax::attribute::enabled, enabled);
    window->appendChild(button);
    return button;
}

}  // namespace

TitleBarButtons WindowParts::addTitleBarButtons(World& world,
                                                const std::shared_ptr<WindowNode>& window,
                                                const TitleBarStyle& style) {
    // Centred in the band: the midpoint lies (height - 1) / 2 below the top edge.
    const double top = (style.height - 1) / 2 - buttonHeight / 2;
    TitleBarButtons buttons;
    buttons.close = addButton(world, window, ax::subrole::closeButton, 0, top, style.closeEnabled);
    buttons.minimize =
        addButton(world, window, ax::subrole::minimizeButton, 1, top, style.minimizeEnabled);
    const bool fullScreen = style.green == GreenButton::fullScreen;
    buttons.green = addButton(world, window,
                              fullScreen ? ax::subrole::fullScreenButton : ax::subrole::zoomButton,
                              2, top, true);
    window->set(ax::attribute::closeButton, ax::Value(buttons.close->element()));
    window->set(ax::attribute::minimizeButton, ax::Value(buttons.minimize->element()));
    // The green button answers for zoom too: a click with Option zooms a full-screen window.
    window->set(ax::attribute::zoomButton, ax::Value(buttons.green->element()));
    if (fullScreen)
        window->set(ax::attribute::fullScreenButton, ax::Value(buttons.green->element()));
    world.component<AddedParts>().record(*window, style,
                                         {buttons.close, buttons.minimize, buttons.green});
    return buttons;
}

std::shared_ptr<PartNode> WindowParts::addPart(World& world,
                                               const std::shared_ptr<WindowNode>& window,
                                               const std::shared_ptr<Node>& parent,
                                               std::string_view role, PartLayout layout) {
    auto part = world.makeNode<PartNode>(window->pid(), window, std::move(layout), role);
    parent->appendChild(part);
    return part;
}

std::shared_ptr<PartNode> WindowParts::addToolbar(World& world,
                                                  const std::shared_ptr<WindowNode>& window,
                                                  double top, double height,
                                                  const std::vector<std::string>& items) {
    auto toolbar = addPart(world, window, window, ax::role::toolbar, stretchedPart(top, height));
    // Items start right of the title-bar buttons, 40 points wide and 8 apart, centred vertically.
    constexpr double itemWidth = 40;
    constexpr double itemHeight = 28;
    double left = buttonLeft + 3 * buttonStep + 20;
    for (const std::string& title : items) {
        const CGRect offset(left, top + (height - itemHeight) / 2, itemWidth, itemHeight);
        auto group = addPart(world, window, toolbar, ax::role::group, fixedPart(offset));
        auto button = world.makeNode<PartButtonNode>(window->pid(), window, fixedPart(offset));
        button->set(ax::attribute::title, title);
        group->appendChild(button);
        left += itemWidth + 8;
    }
    world.component<AddedParts>().record(*window, ToolbarPlace{top, height, items}, {toolbar});
    return toolbar;
}

std::shared_ptr<PartNode> WindowParts::addContent(World& world,
                                                  const std::shared_ptr<WindowNode>& window,
                                                  double top) {
    auto content = addPart(world, window, window, ax::role::scrollArea, [top](const CGRect& frame) {
        return CGRect(frame.minX(), frame.minY() + top, frame.width(),
                      std::max(0.0, frame.height() - top));
    });
    world.component<AddedParts>().record(*window, ContentPlace{top}, {content});
    return content;
}

std::shared_ptr<PartNode> WindowParts::addPopover(World& world,
                                                  const std::shared_ptr<WindowNode>& window,
                                                  CGRect offset) {
    auto popover = addPart(world, window, window, ax::role::popover, fixedPart(offset));
    const CGRect inner(offset.minX() + 10, offset.minY() + 10, std::max(0.0, offset.width() - 20),
                       std::max(0.0, offset.height() - 20));
    auto button = world.makeNode<PartButtonNode>(window->pid(), window, fixedPart(inner));
    popover->appendChild(button);
    world.component<AddedParts>().record(*window, PopoverPlace{offset}, {popover});
    return popover;
}

std::shared_ptr<PartNode> WindowParts::addMenu(World& world,
                                               const std::shared_ptr<WindowNode>& window,
                                               CGRect offset,
                                               const std::vector<std::string>& items) {
    auto menu = addPart(world, window, window, ax::role::menu, fixedPart(offset));
    const double itemHeight =
        items.empty() ? 0 : offset.height() / static_cast<double>(items.size());
    double top = offset.minY();
    for (const std::string& title : items) {
        auto item = addPart(world, window, menu, ax::role::menuItem,
                            fixedPart(CGRect(offset.minX(), top, offset.width(), itemHeight)));
        item->set(ax::attribute::title, title);
        top += itemHeight;
    }
    world.component<AddedParts>().record(*window, OpenMenuPlace{offset, items}, {menu});
    return menu;
}

std::vector<std::shared_ptr<Node>> WindowParts::add(World& world,
                                                    const std::shared_ptr<WindowNode>& window,
                                                    const PartShape& shape) {
    return std::visit(
        [&](const auto& place) -> std::vector<std::shared_ptr<Node>> {
            using Shape = std::decay_t<decltype(place)>;
            if constexpr (std::is_same_v<Shape, TitleBarStyle>) {
                const TitleBarButtons buttons = addTitleBarButtons(world, window, place);
                return {buttons.close, buttons.minimize, buttons.green};
            } else if constexpr (std::is_same_v<Shape, ToolbarPlace>) {
                return {addToolbar(world, window, place.top, place.height, place.items)};
            } else if constexpr (std::is_same_v<Shape, ContentPlace>) {
                return {addContent(world, window, place.top)};
            } else if constexpr (std::is_same_v<Shape, PopoverPlace>) {
                return {addPopover(world, window, place.offset)};
            } else {
                return {addMenu(world, window, place.offset, place.items)};
            }
        },
        shape);
}

std::vector<AddedPart> WindowParts::partsOf(World& world, const WindowNode& window) {
    const auto& byWindow = world.component<AddedParts>().byWindow;
    const auto found = byWindow.find(window.element());
    if (found == byWindow.end())
        return {};
    std::vector<AddedPart> parts;
    for (const AddedParts::Entry& entry : found->second) {
        AddedPart part{.shape = entry.shape, .roots = {}};
        for (const auto& weakRoot : entry.roots) {
            if (const auto root = weakRoot.lock())
                part.roots.push_back(root);
        }
        // A part whose elements were removed from the window is no longer there.
        if (part.roots.size() != entry.roots.size() ||
            std::any_of(part.roots.begin(), part.roots.end(),
                        [](const auto& root) { return root->isDestroyed(); })) {
            continue;
        }
        if (auto* style = std::get_if<TitleBarStyle>(&part.shape)) {
            style->closeEnabled = storedFlag(*part.roots[0], ax::attribute::enabled, true);
            style->minimizeEnabled = storedFlag(*part.roots[1], ax::attribute::enabled, true);
        }
        parts.push_back(std::move(part));
    }
    return parts;
}

void WindowParts::makeSystemDialog(const std::shared_ptr<WindowNode>& window) {
    window->set(ax::attribute::subrole, std::string(ax::subrole::systemDialog));
}

}  // namespace zoral::sim

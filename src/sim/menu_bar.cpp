#include "sim/menu_bar.h"

#include <algorithm>
#include <map>
#include <optional>

#include "sim/displays.h"
#include "sim/input_devices.h"
#include "sim/window_server.h"
#include "sim/world.h"

namespace zoral::sim {

using platform::CGRect;

namespace {

// The menu-bar band of the display under the pointer; none without displays.
std::optional<CGRect> bandUnderPointer(const std::weak_ptr<World>& weakWorld) {
    const auto world = weakWorld.lock();
    if (!world)
        return std::nullopt;
    const Displays& displays = Displays::of(*world);
    const auto frame = displays.topLeftFrameAt(InputDevices::of(*world).pointer());
    if (!frame)
        return std::nullopt;
    double height = 0;
    for (const Display& display : displays.displays()) {
        if (displays.topLeftFrame(display.uuid) == frame)
            height = display.menuBarHeight;
    }
    return CGRect(frame->minX(), frame->minY(), frame->width(), height);
}

// The status items added so far, per world, so that each new one goes left of the others.
struct StatusItems {
    struct Entry {
        std::weak_ptr<LaidOutNode> node;
        std::shared_ptr<StatusItemSlot> slot;
    };
    std::vector<Entry> entries;

    // How far from the bar's right end the item's right edge lies; none while it is out of the
    // bar.
    std::optional<double> rightOffset(const StatusItemSlot& slot) const {
        if (!slot.shown)
            return std::nullopt;
        double right = MenuBar::edgeInset;
        for (const Entry& entry : entries) {
            if (entry.slot.get() == &slot)
                return right;
            const auto node = entry.node.lock();
            if (node && !node->isDestroyed() && entry.slot->shown)
                right += entry.slot->width;
        }
        return std::nullopt;
    }
};

// The menu bars added, by process.
struct MenuBars {
    struct Entry {
        std::weak_ptr<LaidOutNode> bar;
        std::vector<std::weak_ptr<LaidOutNode>> items;
        std::vector<std::string> menus;
    };
    std::map<platform::ProcessId, Entry> byProcess;
};

}  // namespace

double MenuBar::itemWidth(const std::string& title) {
    return itemPadding + characterWidth * static_cast<double>(title.size());
}

MenuBarElements MenuBar::add(World& world, platform::ProcessId pid,
                             const std::vector<std::string>& menus) {
    Process* process = world.process(pid);
    if (process == nullptr)
        return {};
    const std::weak_ptr<World> weakWorld = world.weak();
    MenuBarElements elements;
    elements.bar = world.makeNode<LaidOutNode>(pid, ax::role::menuBar,
                                               [weakWorld] { return bandUnderPointer(weakWorld); });

    std::vector<std::string> titles{"Apple", process->name};
    titles.insert(titles.end(), menus.begin(), menus.end());
    double left = edgeInset;
    for (const std::string& title : titles) {
        const double width = itemWidth(title);
        auto item = world.makeNode<LaidOutNode>(
            pid, ax::role::menuBarItem, [weakWorld, left, width]() -> std::optional<CGRect> {
                const auto band = bandUnderPointer(weakWorld);
                if (!band)
                    return std::nullopt;
                return CGRect(band->minX() + left, band->minY(), width, band->height());
            });
        item->set(ax::attribute::title, title);
        item->setActions({ax::action::press});
        elements.bar->appendChild(item);
        elements.items.push_back(std::move(item));
        left += width;
    }
    // Appended last, so that the window server registers the bar with its items in place.
    process->application->set(ax::attribute::menuBar, ax::Value(elements.bar->element()));
    process->application->appendChild(elements.bar);
    world.component<MenuBars>().byProcess[pid] = {
        elements.bar,
        std::vector<std::weak_ptr<LaidOutNode>>(elements.items.begin(), elements.items.end()),
        menus};
    return elements;
}

std::shared_ptr<LaidOutNode> MenuBar::addStatusItem(World& world, platform::ProcessId pid,
                                                    const std::string& title,
                                                    std::shared_ptr<StatusItemSlot> slot) {
    Process* process = world.process(pid);
    if (process == nullptr)
        return nullptr;
    if (!slot)
        slot = std::make_shared<StatusItemSlot>(StatusItemSlot{.width = itemWidth(title)});
    const std::weak_ptr<World> weakWorld = world.weak();
    const std::weak_ptr<StatusItemSlot> weakSlot = slot;
    auto item = world.makeNode<LaidOutNode>(
        pid, ax::role::menuBarItem, [weakWorld, weakSlot]() -> std::optional<CGRect> {
            const auto band = bandUnderPointer(weakWorld);
            const auto owner = weakWorld.lock();
            const auto place = weakSlot.lock();
            if (!band || !owner || !place)
                return std::nullopt;
            const auto right = owner->component<StatusItems>().rightOffset(*place);
            if (!right)
                return std::nullopt;
            return CGRect(band->maxX() - *right - place->width, band->minY(), place->width,
                          band->height());
        });
    item->set(ax::attribute::subrole, std::string(ax::subrole::menuExtra));
    item->set(ax::attribute::title, title);
    item->setActions({ax::action::press});
    process->application->appendChild(item);
    // A status item is a window of its own above the menu bar, on every space.
    WindowServer::of(world).setOptions(
        *item, {.level = windowLevel::status, .clickThrough = false, .allSpaces = true});
    world.component<StatusItems>().entries.push_back({item, std::move(slot)});
    return item;
}

std::optional<AddedMenuBar> MenuBar::barOf(World& world, platform::ProcessId pid) {
    const auto& bars = world.component<MenuBars>().byProcess;
    const auto found = bars.find(pid);
    const Process* process = world.process(pid);
    if (found == bars.end() || process == nullptr)
        return std::nullopt;
    AddedMenuBar added{.elements = {.bar = found->second.bar.lock(), .items = {}},
                       .menus = found->second.menus};
    const auto& children = process->application->children();
    if (!added.elements.bar || added.elements.bar->isDestroyed() ||
        std::find(children.begin(), children.end(), added.elements.bar) == children.end()) {
        return std::nullopt;
    }
    for (const auto& item : found->second.items) {
        if (auto node = item.lock())
            added.elements.items.push_back(std::move(node));
    }
    return added;
}

std::vector<AddedStatusItem> MenuBar::statusItems(World& world) {
    std::vector<AddedStatusItem> items;
    for (const StatusItems::Entry& entry : world.component<StatusItems>().entries) {
        if (auto node = entry.node.lock(); node && !node->isDestroyed())
            items.push_back({std::move(node), entry.slot});
    }
    return items;
}

}  // namespace zoral::sim

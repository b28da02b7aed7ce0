#include "sim/status_bar.h"

#include <algorithm>
#include <utility>

#include "platform/key_codes.h"
#include "platform/scheduler.h"
#include "sim/displays.h"
#include "sim/input_pipeline.h"
#include "sim/local_event_monitors.h"
#include "sim/menu_bar.h"
#include "sim/system_settings.h"
#include "sim/window_server.h"
#include "sim/world.h"

namespace zoral::sim {

using platform::CGEvent;
using platform::CGEventType;
using platform::NSEvent;
using platform::NSEventType;

namespace {

bool isPress(CGEventType type) {
    return type == CGEventType::leftMouseDown || type == CGEventType::rightMouseDown ||
           type == CGEventType::otherMouseDown;
}

}  // namespace

// An item of the program, with its button: the program holds it, the bar only looks at it.
class SystemStatusBar::Item final : public platform::StatusItem,
                                    public platform::StatusBarButton,
                                    public std::enable_shared_from_this<Item> {
public:
    Item(World& world, std::string autosaveName, double length)
        : world_(world.weak()),
          bundleIdentifier_(world.programProcess().bundleIdentifier),
          autosaveName_(std::move(autosaveName)),
          length_(length),
          slot_(std::make_shared<StatusItemSlot>()) {
        visible_ = rememberedStatusItemVisibility(bundleIdentifier_, autosaveName_).value_or(true);
        slot_->width = widthFor(world, length_);
        slot_->shown = visible_;
        node_ = MenuBar::addStatusItem(world, world.programPid(), "", slot_);
    }

    ~Item() override { takeOut(); }

    // Out of the bar for good: the program released or removed it.
    void takeOut() {
        if (!node_)
            return;
        slot_->shown = false;
        const auto node = std::exchange(node_, nullptr);
        if (const auto parent = node->parent())
            parent->removeChild(node);
        node->markSubtreeDestroyed();
    }

    std::shared_ptr<Node> node() const { return node_; }

    // --- platform::StatusItem
    double length() const override { return length_; }
    void setLength(double length) override {
        length_ = length;
        if (const auto world = world_.lock())
            slot_->width = widthFor(*world, length_);
    }
    std::shared_ptr<platform::Menu> menu() const override { return menu_; }
    void setMenu(std::shared_ptr<platform::Menu> menu) override { menu_ = std::move(menu); }
    platform::StatusItemBehavior behavior() const override { return behavior_; }
    void setBehavior(platform::StatusItemBehavior behavior) override { behavior_ = behavior; }
    bool isVisible() const override { return visible_; }
    void setVisible(bool visible) override {
        show(visible);
        rememberStatusItemVisibility(bundleIdentifier_, autosaveName_, visible);
    }
    std::string autosaveName() const override { return autosaveName_; }
    void setAutosaveName(std::string name) override {
        autosaveName_ = std::move(name);
        if (const auto remembered =
                rememberedStatusItemVisibility(bundleIdentifier_, autosaveName_))
            show(*remembered);
    }
    platform::StatusBarButton* button() override { return this; }

    // --- platform::StatusBarButton
    std::optional<std::string> image() const override { return image_; }
    void setImage(std::optional<std::string> name) override { image_ = std::move(name); }
    bool appearsDisabled() const override { return appearsDisabled_; }
    void setAppearsDisabled(bool appearsDisabled) override { appearsDisabled_ = appearsDisabled; }
    std::optional<platform::WindowNumber> window() const override {
        const auto world = world_.lock();
        if (!world || !node_)
            return std::nullopt;
        const auto window = WindowServer::of(*world).window(*node_);
        return window ? std::optional(window->number) : std::nullopt;
    }

private:
    static double widthFor(World& world, double length) {
        return length >= 0 ? length : SystemStatusBar::of(world).thickness();
    }

    void show(bool visible) {
        visible_ = visible;
        if (node_)
            slot_->shown = visible;
    }

    std::weak_ptr<World> world_;
    std::string bundleIdentifier_;
    std::string autosaveName_;
    double length_ = 0;
    std::shared_ptr<platform::Menu> menu_;
    platform::StatusItemBehavior behavior_;
    bool visible_ = true;
    std::optional<std::string> image_;
    bool appearsDisabled_ = false;
    std::shared_ptr<StatusItemSlot> slot_;
    std::shared_ptr<LaidOutNode> node_;
};

// A press on an item: one that went to the program sends its release there too; a Command-drag
// is the status bar's own, and its release drops the item.
class SystemStatusBar::Grab : public PointerGrab {
public:
    Grab(std::weak_ptr<Item> item, bool drag) : item_(std::move(item)), drag_(drag) {}

    void released(World& world, const CGEvent& event) override {
        const auto item = item_.lock();
        if (!item)
            return;
        if (drag_) {
            SystemStatusBar::of(world).dropped(item, event);
        } else {
            SystemStatusBar::of(world).deliver(item, event);
        }
    }

private:
    std::weak_ptr<Item> item_;
    bool drag_;
};

SystemStatusBar::SystemStatusBar(World& world) : world_(world), queue_("StatusBar") {}

SystemStatusBar::~SystemStatusBar() = default;

SystemStatusBar& SystemStatusBar::of(World& world) {
    return world.component<SystemStatusBar>();
}

void SystemStatusBar::registerInput(InputPipeline& pipeline) {
    pipeline.addPressHandler(
        Receiver::statusBar, [](World& world, const Press& press) -> std::shared_ptr<PointerGrab> {
            SystemStatusBar& bar = SystemStatusBar::of(world);
            const auto item = press.window ? bar.itemWithNode(*press.window) : nullptr;
            if (!item)
                return nullptr;
            if (press.event.type == CGEventType::leftMouseDown &&
                press.event.flags.contains(platform::CGEventFlags::maskCommand)) {
                return std::make_shared<Grab>(item, true);
            }
            bar.deliver(item, press.event);
            return std::make_shared<Grab>(item, false);
        });
    pipeline.addTrackingHandler(
        [](World& world, const CGEvent& event) { return SystemStatusBar::of(world).track(event); });
}

std::shared_ptr<platform::StatusItem> SystemStatusBar::statusItemWithLength(double length) {
    auto item = std::make_shared<Item>(world_, "Item-" + std::to_string(made_++), length);
    items_.push_back(item);
    return item;
}

void SystemStatusBar::removeStatusItem(platform::StatusItem& item) {
    for (const auto& weak : items_) {
        const auto held = weak.lock();
        if (held && held.get() == &item)
            held->takeOut();
    }
    std::erase_if(items_, [&](const std::weak_ptr<Item>& weak) {
        const auto held = weak.lock();
        return !held || held.get() == &item;
    });
}

double SystemStatusBar::thickness() const {
    const auto display = Displays::of(world_).mainDisplay();
    return display && display->menuBarHeight > 0 ? display->menuBarHeight : defaultThickness;
}

std::vector<std::shared_ptr<platform::StatusItem>> SystemStatusBar::items() const {
    std::vector<std::shared_ptr<platform::StatusItem>> live;
    for (const auto& weak : items_) {
        if (auto item = weak.lock())
            live.push_back(std::move(item));
    }
    return live;
}

std::shared_ptr<SystemStatusBar::Item> SystemStatusBar::itemWithNode(const Node& node) const {
    for (const auto& weak : items_) {
        const auto item = weak.lock();
        if (item && item->node().get() == &node)
            return item;
    }
    return nullptr;
}

std::shared_ptr<Node> SystemStatusBar::nodeOf(const platform::StatusItem& item) const {
    for (const auto& weak : items_) {
        const auto held = weak.lock();
        if (held && held.get() == &item)
            return held->node();
    }
    return nullptr;
}

std::optional<platform::CGRect> SystemStatusBar::frameOf(const platform::StatusItem& item) const {
    const auto node = nodeOf(item);
    return node ? node->frame() : std::nullopt;
}

std::shared_ptr<platform::Menu> SystemStatusBar::openMenu() const {
    return openMenu_;
}

std::shared_ptr<platform::StatusItem> SystemStatusBar::openMenuItem() const {
    return openMenu_ ? openItem_.lock() : nullptr;
}

void SystemStatusBar::deliver(const std::shared_ptr<Item>& item, const CGEvent& event) {
    const auto frame = item->node() ? item->node()->frame() : std::nullopt;
    NSEvent delivered{
        .type = platform::toolkitType(event),
        .modifierFlags = event.flags,
        .locationInWindow = frame ? platform::CGPoint{event.location.x - frame->minX(),
                                                      frame->maxY() - event.location.y}
                                  : platform::CGPoint{},
        .clickCount = 1,
        .buttonNumber = static_cast<std::int64_t>(event.mouseButton),
        .window = item->window(),
        .timestamp = event.timestamp,
    };
    platform::DispatchQueue::main().async(
        [weakWorld = world_.weak(), weakItem = std::weak_ptr<Item>(item), delivered] {
            const auto world = weakWorld.lock();
            const auto target = weakItem.lock();
            if (!world || !target)
                return;
            if (const auto passed = LocalEventMonitors::of(*world).pass(delivered))
                SystemStatusBar::of(*world).received(target, *passed);
        });
}

void SystemStatusBar::received(const std::shared_ptr<Item>& item, const NSEvent& event) {
    if (event.type == NSEventType::leftMouseDown || event.type == NSEventType::rightMouseDown)
        open(item);
}

void SystemStatusBar::open(const std::shared_ptr<Item>& item) {
    const auto menu = item->menu();
    if (!menu || openMenu_)
        return;
    if (const auto delegate = menu->delegate.lock())
        delegate->menuWillOpen(*menu);
    openMenu_ = menu;
    openItem_ = item;
    ++openings_;
}

void SystemStatusBar::dismiss() {
    platform::DispatchQueue::main().async([weakWorld = world_.weak()] {
        const auto world = weakWorld.lock();
        if (!world)
            return;
        SystemStatusBar& bar = SystemStatusBar::of(*world);
        const auto menu = std::exchange(bar.openMenu_, nullptr);
        bar.openItem_.reset();
        if (!menu)
            return;
        if (const auto delegate = menu->delegate.lock())
            delegate->menuDidClose(*menu);
    });
}

bool SystemStatusBar::track(const CGEvent& event) {
    if (!openMenu_)
        return false;
    if (isPress(event.type) ||
        (event.type == CGEventType::keyDown && event.keyCode == platform::virtualKey::escape)) {
        dismiss();
        return true;
    }
    return event.type == CGEventType::keyDown || event.type == CGEventType::keyUp;
}

bool SystemStatusBar::choose(const std::vector<std::string>& titles) {
    if (!openMenu_ || titles.empty())
        return false;
    const platform::Menu* menu = openMenu_.get();
    std::shared_ptr<platform::MenuItem> chosen;
    for (std::size_t i = 0; i < titles.size(); ++i) {
        if (menu == nullptr)
            return false;
        const auto shown = menu->visibleItems();
        const auto found = std::find_if(shown.begin(), shown.end(), [&](const auto& item) {
            return !item->isSeparatorItem() && item->displayedTitle().string() == titles[i];
        });
        if (found == shown.end())
            return false;
        chosen = *found;
        menu = chosen->submenu.get();
    }
    if (chosen == nullptr || !chosen->enabled || !chosen->action || chosen->submenu)
        return false;
    dismiss();
    platform::DispatchQueue::main().async([chosen] { chosen->action(*chosen); });
    return true;
}

void SystemStatusBar::dropped(const std::shared_ptr<Item>& item, const CGEvent& release) {
    const bool outside = !Displays::of(world_).isInMenuBar(release.location);
    if (outside && item->behavior().contains(platform::StatusItemBehavior::removalAllowed)) {
        queue_.asyncAfter(platform::DispatchTime::now() + removalDelay,
                          [weakItem = std::weak_ptr<Item>(item)] {
                              if (const auto target = weakItem.lock())
                                  target->setVisible(false);
                          });
    }
    deliver(item, release);
}

}  // namespace zoral::sim

namespace zoral::platform {

StatusBar& StatusBar::system() {
    return sim::SystemStatusBar::of(sim::World::current());
}

}  // namespace zoral::platform

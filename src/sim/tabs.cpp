#include "sim/tabs.h"

#include <algorithm>
#include <utility>

#include "platform/dispatch.h"
#include "platform/dispatch_time.h"
#include "platform/events.h"
#include "platform/key_codes.h"
#include "sim/application_node.h"
#include "sim/input_pipeline.h"
#include "sim/window_node.h"
#include "sim/window_server.h"
#include "sim/world.h"

namespace zoral::sim {

using platform::CGEventType;
using platform::CGMouseButton;
using platform::CGPoint;
using platform::CGRect;

// Browsers draw their tabs in the title bar.
double Tabs::defaultTop(TabTreeShape shape) {
    switch (shape) {
        case TabTreeShape::browser:
            return 8;
        case TabTreeShape::native:
            return 28;
        case TabTreeShape::namedCells:
        case TabTreeShape::editor:
            return 40;
    }
    return 0;
}

struct Tabs::Bar {
    std::weak_ptr<WindowNode> window;
    TabTreeShape shape = TabTreeShape::native;
    // Below the window's top edge.
    double top = 0;
    // The node appended to the window, and the one that holds the tabs (the same, or inside it).
    std::shared_ptr<Node> root;
    std::shared_ptr<Node> holder;
    std::vector<std::shared_ptr<Node>> tabs;

    std::optional<CGRect> frame() const {
        const auto owner = window.lock();
        if (!owner || owner->isDestroyed())
            return std::nullopt;
        const auto windowFrame = owner->frame();
        if (!windowFrame)
            return std::nullopt;
        return CGRect(windowFrame->minX(), windowFrame->minY() + top, windowFrame->width(),
                      barHeight);
    }

    std::optional<CGRect> tabFrame(const Node* tab) const {
        const auto bar = frame();
        const auto found = std::find_if(tabs.begin(), tabs.end(), [tab](const auto& candidate) {
            return candidate.get() == tab;
        });
        if (!bar || found == tabs.end())
            return std::nullopt;
        const double width = std::min(maxTabWidth, bar->width() / static_cast<double>(tabs.size()));
        const auto index = static_cast<double>(found - tabs.begin());
        return CGRect(bar->minX() + index * width, bar->minY(), width, barHeight);
    }
};

struct Tabs::Pending {
    platform::DispatchWorkItem item;
    platform::ProcessId pid = 0;
};

std::optional<CGRect> LaidOutNode::frame() const {
    return source_();
}

ax::Result<ax::Value> LaidOutNode::read(World& world, std::string_view attribute) const {
    if (attribute == ax::attribute::position || attribute == ax::attribute::size ||
        attribute == ax::attribute::frame) {
        const auto rect = frame();
        if (!rect)
            return ax::noValue;
        if (attribute == ax::attribute::position)
            return ax::Value(rect->origin);
        if (attribute == ax::attribute::size)
            return ax::Value(rect->size);
        return ax::Value(*rect);
    }
    return Node::read(world, attribute);
}

std::vector<std::string> LaidOutNode::attributeNames() const {
    auto names = Node::attributeNames();
    for (const std::string_view name :
         {ax::attribute::position, ax::attribute::size, ax::attribute::frame})
        names.emplace_back(name);
    return names;
}

Tabs& Tabs::install(World& world) {
    return world.component<Tabs>();
}

namespace {

// A tab pressed with the left button (dragged out and let go far from its bar, it detaches) or
// with the middle one (released on the same tab, it closes).
class TabGrab : public PointerGrab {
public:
    TabGrab(std::shared_ptr<Node> tab, platform::ProcessId pid, bool middle)
        : tab_(std::move(tab)), pid_(pid), middle_(middle) {}

    void released(World& world, const platform::CGEvent& event) override {
        const auto tab = tab_.lock();
        if (!tab || tab->isDestroyed())
            return;
        Tabs& tabs = world.component<Tabs>();
        if (!middle_) {
            tabs.releaseDragged(world, tab, event.location);
            return;
        }
        const auto under = WindowServer::of(world).hitTest(world, event.location, pid_);
        tabs.releaseMiddle(world, tab, under);
    }

private:
    std::weak_ptr<Node> tab_;
    platform::ProcessId pid_;
    bool middle_;
};

}  // namespace

void Tabs::registerInput(InputPipeline& pipeline) {
    pipeline.addPressHandler(
        Receiver::application,
        [](World& world, const Press& press) -> std::shared_ptr<PointerGrab> {
            const bool left = press.event.type == CGEventType::leftMouseDown;
            const bool middle = press.event.type == CGEventType::otherMouseDown &&
                                press.event.mouseButton == CGMouseButton::center;
            if (!left && !middle)
                return nullptr;
            const auto [bar, index] = world.component<Tabs>().tabHolding(press.element);
            if (!bar)
                return nullptr;
            return std::make_shared<TabGrab>(bar->tabs[index], press.pid, middle);
        });
    pipeline.addApplicationKeyHandler([](World& world, const platform::CGEvent& event,
                                         platform::ProcessId target) {
        Tabs& tabs = world.component<Tabs>();
        // Escape stops the detach of the application it reaches.
        if (event.type != CGEventType::keyDown || event.keyCode != platform::virtualKey::escape ||
            !tabs.pending_ || tabs.pending_->pid != target) {
            return false;
        }
        tabs.pending_->item.cancel();
        tabs.pending_.reset();
        return true;
    });
}

std::shared_ptr<Node> Tabs::makeTab(World& world, const std::shared_ptr<Bar>& bar,
                                    const std::string& title, std::shared_ptr<Node>* label) {
    const platform::ProcessId pid = bar->root->pid();
    // The tab's frame is its place in the bar; its parts share it.
    auto self = std::make_shared<std::weak_ptr<Node>>();
    const LaidOutNode::FrameSource tabFrame = [weakBar = std::weak_ptr<Bar>(bar),
                                               self]() -> std::optional<CGRect> {
        const auto owner = weakBar.lock();
        const auto tab = self->lock();
        return owner && tab ? owner->tabFrame(tab.get()) : std::nullopt;
    };
    const bool cell = bar->shape == TabTreeShape::namedCells;
    auto tab =
        world.makeNode<LaidOutNode>(pid, cell ? ax::role::group : ax::role::radioButton, tabFrame);
    *self = tab;
    tab->set(ax::attribute::title, title);
    if (cell) {
        tab->set(ax::attribute::identifier, "TabCellView");
    } else {
        tab->set(ax::attribute::subrole, ax::subrole::tabButton);
        tab->setActions({ax::action::press});
    }
    auto text = world.makeNode<LaidOutNode>(pid, ax::role::staticText, tabFrame);
    text->set(ax::attribute::value, title);
    if (bar->shape == TabTreeShape::editor) {
        auto group = world.makeNode<LaidOutNode>(pid, ax::role::group, tabFrame);
        group->appendChild(text);
        tab->appendChild(group);
    } else {
        tab->appendChild(text);
    }
    if (bar->shape == TabTreeShape::browser) {
        // The close button lies at the tab's right end, above its title.
        auto close = world.makeNode<LaidOutNode>(pid, ax::role::button, [tabFrame] {
            const auto frame = tabFrame();
            return frame ? std::optional<CGRect>(
                               CGRect(frame->maxX() - 20, frame->minY() + 8, 14, 14))
                         : std::nullopt;
        });
        close->set(ax::attribute::description, "Close");
        close->setActions({ax::action::press});
        tab->appendChild(close);
    }
    bar->holder->appendChild(tab);
    bar->tabs.push_back(tab);
    if (label != nullptr)
        *label = text;
    return tab;
}

TabStrip Tabs::addTabs(World& world, const std::shared_ptr<WindowNode>& window, TabTreeShape shape,
                       const std::vector<std::string>& titles, std::optional<double> top) {
    auto bar = std::make_shared<Bar>();
    bar->window = window;
    bar->shape = shape;
    bar->top = top.value_or(defaultTop(shape));
    const LaidOutNode::FrameSource barFrame = [weakBar = std::weak_ptr<Bar>(bar)] {
        const auto owner = weakBar.lock();
        return owner ? owner->frame() : std::nullopt;
    };
    const platform::ProcessId pid = window->pid();
    switch (shape) {
        case TabTreeShape::native:
        case TabTreeShape::editor:
            bar->root = world.makeNode<LaidOutNode>(pid, ax::role::tabGroup, barFrame);
            bar->holder = bar->root;
            break;
        case TabTreeShape::browser:
            bar->root = world.makeNode<LaidOutNode>(pid, ax::role::group, barFrame);
            bar->holder = world.makeNode<LaidOutNode>(pid, ax::role::tabGroup, barFrame);
            bar->root->appendChild(bar->holder);
            break;
        case TabTreeShape::namedCells:
            bar->root = world.makeNode<LaidOutNode>(pid, ax::role::group, barFrame);
            bar->holder = bar->root;
            break;
    }
    window->appendChild(bar->root);
    // Bars of closed windows are dropped here rather than tracked by the windows.
    std::erase_if(bars_, [](const std::shared_ptr<Bar>& existing) {
        const auto owner = existing->window.lock();
        return !owner || owner->isDestroyed();
    });
    bars_.push_back(bar);

    TabStrip strip{.bar = bar->holder, .tabs = {}, .labels = {}};
    for (const std::string& title : titles) {
        std::shared_ptr<Node> label;
        strip.tabs.push_back(makeTab(world, bar, title, &label));
        strip.labels.push_back(std::move(label));
    }
    return strip;
}

std::shared_ptr<Node> Tabs::addWebContent(World& world, const std::shared_ptr<WindowNode>& window,
                                          CGRect frame) {
    const platform::ProcessId pid = window->pid();
    const std::weak_ptr<WindowNode> weakWindow = window;
    const auto relative = [weakWindow](CGRect rect) -> LaidOutNode::FrameSource {
        return [weakWindow, rect]() -> std::optional<CGRect> {
            const auto owner = weakWindow.lock();
            const auto windowFrame = owner ? owner->frame() : std::nullopt;
            if (!windowFrame)
                return std::nullopt;
            return CGRect(windowFrame->minX() + rect.minX(), windowFrame->minY() + rect.minY(),
                          rect.width(), rect.height());
        };
    };
    auto scroll = world.makeNode<LaidOutNode>(pid, ax::role::scrollArea, relative(frame));
    auto area = world.makeNode<LaidOutNode>(pid, ax::role::webArea, relative(frame));
    auto group = world.makeNode<LaidOutNode>(pid, ax::role::group, relative(frame));
    auto control = world.makeNode<LaidOutNode>(
        pid, ax::role::radioButton,
        relative(CGRect(frame.minX() + 10, frame.minY() + 10, 120, barHeight)));
    control->set(ax::attribute::subrole, ax::subrole::tabButton);
    control->set(ax::attribute::title, "Page tab");
    window->appendChild(scroll);
    scroll->appendChild(area);
    area->appendChild(group);
    group->appendChild(control);
    return control;
}

std::shared_ptr<Tabs::Bar> Tabs::barOf(const WindowNode& window) const {
    for (const auto& bar : bars_) {
        if (bar->window.lock().get() == &window && !bar->tabs.empty())
            return bar;
    }
    return nullptr;
}

namespace {

std::vector<std::string> titlesOf(const std::vector<std::shared_ptr<Node>>& tabs) {
    std::vector<std::string> result;
    for (const auto& tab : tabs) {
        const ax::Value* title = tab->stored(ax::attribute::title);
        const auto* text = title != nullptr ? title->getIf<std::string>() : nullptr;
        result.push_back(text != nullptr ? *text : std::string());
    }
    return result;
}

}  // namespace

std::vector<Tabs::BarView> Tabs::barsOf(const WindowNode& window) const {
    std::vector<BarView> views;
    for (const auto& bar : bars_) {
        if (bar->window.lock().get() == &window)
            views.push_back({bar->shape, bar->top, bar->root, bar->tabs, titlesOf(bar->tabs)});
    }
    return views;
}

std::vector<std::string> Tabs::titles(const WindowNode& window) const {
    const auto bar = barOf(window);
    return bar ? titlesOf(bar->tabs) : std::vector<std::string>{};
}

std::optional<CGRect> Tabs::barFrame(const WindowNode& window) const {
    const auto bar = barOf(window);
    return bar ? bar->frame() : std::nullopt;
}

std::pair<std::shared_ptr<Tabs::Bar>, std::size_t> Tabs::tabHolding(
    const std::shared_ptr<Node>& element) {
    for (auto node = element; node; node = node->parent()) {
        for (const auto& bar : bars_) {
            const auto found = std::find(bar->tabs.begin(), bar->tabs.end(), node);
            if (found != bar->tabs.end())
                return {bar, static_cast<std::size_t>(found - bar->tabs.begin())};
        }
    }
    return {nullptr, 0};
}

void Tabs::closeTab(World& world, const std::shared_ptr<Bar>& bar, std::size_t index) {
    const auto tab = bar->tabs[index];
    bar->tabs.erase(bar->tabs.begin() + static_cast<std::ptrdiff_t>(index));
    bar->holder->removeChild(tab);
    world.postNotification(*tab, ax::notification::uiElementDestroyed);
    tab->markSubtreeDestroyed();
    if (bar->tabs.empty()) {
        if (const auto window = bar->window.lock())
            window->close(world);
    }
}

void Tabs::detach(World& world, const std::shared_ptr<Bar>& bar, const std::shared_ptr<Node>& tab,
                  CGPoint release) {
    const auto source = bar->window.lock();
    const auto found = std::find(bar->tabs.begin(), bar->tabs.end(), tab);
    if (!source || source->isDestroyed() || found == bar->tabs.end() || bar->tabs.size() < 2)
        return;
    Process* process = world.process(source->pid());
    const auto application = process != nullptr
                                 ? std::dynamic_pointer_cast<ApplicationNode>(process->application)
                                 : nullptr;
    if (!application)
        return;
    const ax::Value* storedTitle = tab->stored(ax::attribute::title);
    const auto* titleText = storedTitle != nullptr ? storedTitle->getIf<std::string>() : nullptr;
    const std::string title = titleText != nullptr ? *titleText : std::string();
    closeTab(world, bar, static_cast<std::size_t>(found - bar->tabs.begin()));

    auto window = world.makeNode<WindowNode>(
        source->pid(), WindowServer::of(world).allocateNumber(), source->limits());
    window->set(ax::attribute::title, title);
    window->set(ax::attribute::minimized, false);
    window->setSettable(ax::attribute::minimized);
    window->resizeTo(world, source->frame().value_or(CGRect()).size);
    // The new window's tab comes to rest under the point where the tab was let go.
    window->moveTo(world, {release.x - maxTabWidth / 2, release.y - bar->top - barHeight / 2});
    application->appendChild(window);
    addTabs(world, window, bar->shape, {title}, bar->top);
    world.postNotification(*window, ax::notification::windowCreated);
    world.postNotification(*application, ax::notification::mainWindowChanged);
    world.postNotification(*application, ax::notification::focusedWindowChanged);
}

void Tabs::releaseDragged(World& world, const std::shared_ptr<Node>& tab, CGPoint release) {
    const auto [bar, index] = tabHolding(tab);
    const auto frame = bar ? bar->frame() : std::nullopt;
    if (!frame)
        return;
    const CGRect near(frame->minX() - detachDistance, frame->minY() - detachDistance,
                      frame->width() + 2 * detachDistance, frame->height() + 2 * detachDistance);
    if (near.containsPoint(release))
        return;
    if (pending_)
        pending_->item.cancel();
    auto pending = std::make_shared<Pending>(Pending{
        platform::DispatchWorkItem([weakWorld = world.weak(), weakBar = std::weak_ptr<Bar>(bar),
                                    weakTab = std::weak_ptr<Node>(tab), release] {
            const auto current = weakWorld.lock();
            if (!current)
                return;
            Tabs& tabs = current->component<Tabs>();
            tabs.pending_.reset();
            const auto owner = weakBar.lock();
            const auto detached = weakTab.lock();
            if (owner && detached)
                tabs.detach(*current, owner, detached, release);
        }),
        tab->pid()});
    pending_ = pending;
    platform::DispatchQueue::main().asyncAfter(platform::DispatchTime::now() + detachLatency_,
                                               pending->item);
}

void Tabs::releaseMiddle(World& world, const std::shared_ptr<Node>& pressed,
                         const std::shared_ptr<Node>& releasedOn) {
    const auto [bar, index] = tabHolding(releasedOn);
    if (bar && bar->tabs[index] == pressed)
        closeTab(world, bar, index);
}

}  // namespace zoral::sim

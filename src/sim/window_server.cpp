#include "sim/window_server.h"

#include <algorithm>
#include <map>

#include "platform/window_list.h"
#include "sim/displays.h"
#include "sim/spaces.h"
#include "sim/window_node.h"
#include "sim/workspace.h"
#include "sim/world.h"

namespace zoral::sim {

namespace {

bool storedFlag(const Node& node, std::string_view attribute) {
    const ax::Value* value = node.stored(attribute);
    const bool* flag = value != nullptr ? value->getIf<bool>() : nullptr;
    return flag != nullptr && *flag;
}

bool isMinimized(const Node& node) {
    if (const auto* window = dynamic_cast<const WindowNode*>(&node))
        return window->isMinimized();
    return storedFlag(node, ax::attribute::minimized);
}

bool isMenuBar(const Node& node) {
    return node.role() == ax::role::menuBar;
}

// The deepest element of the subtree under the point; later children lie above earlier ones.
std::shared_ptr<Node> deepest(const std::shared_ptr<Node>& node, platform::CGPoint point) {
    const auto& children = node->children();
    for (auto child = children.rbegin(); child != children.rend(); ++child) {
        if (auto hit = deepest(*child, point))
            return hit;
    }
    const auto frame = node->frame();
    return frame && frame->containsPoint(point) ? node : nullptr;
}

}  // namespace

struct WindowServer::Sight {
    explicit Sight(World& owner)
        : world(owner),
          workspace(sim::workspace(owner)),
          spaces(Spaces::of(owner)),
          front(sim::workspace(owner).frontmost(owner)) {}

    World& world;
    const Workspace& workspace;
    const Spaces& spaces;
    std::optional<platform::ProcessId> front;
};

WindowServer& WindowServer::of(World& world) {
    return world.component<WindowServer>();
}

std::vector<WindowServer::Entry>::iterator WindowServer::find(const Node& node) {
    return std::find_if(entries_.begin(), entries_.end(),
                        [&](const Entry& entry) { return entry.key == &node; });
}

std::vector<WindowServer::Entry>::const_iterator WindowServer::find(const Node& node) const {
    return std::find_if(entries_.begin(), entries_.end(),
                        [&](const Entry& entry) { return entry.key == &node; });
}

std::int64_t WindowServer::allocateNumber() {
    return ++highestNumber_;
}

void WindowServer::attach(World& world, const std::shared_ptr<Node>& node) {
    Entry entry;
    // A window attached again keeps its space.
    if (keys_.contains(node.get())) {
        if (const auto found = find(*node); found != entries_.end())
            entry.space = found->space;
        detach(*node);
    }
    const Process* process = world.process(node->pid());
    entry.owner = node->pid();
    entry.key = node.get();
    entry.node = node;
    entry.options = process != nullptr ? process->windowOptions : WindowOptions{};
    if (const auto* window = dynamic_cast<const WindowNode*>(node.get())) {
        entry.number = window->windowNumber();
        if (const auto given = spacesToCome_.find(entry.number); given != spacesToCome_.end()) {
            entry.space = given->second;
            spacesToCome_.erase(given);
        }
        if (window->initialLevel() != windowLevel::normal)
            entry.options.level = window->initialLevel();
        highestNumber_ = std::max(highestNumber_, entry.number);
    } else {
        entry.number = allocateNumber();
    }
    if (isMenuBar(*node))
        entry.options = {.level = windowLevel::mainMenu, .clickThrough = false, .allSpaces = true};
    const std::size_t index = placeForNew(world, entry.owner, entry.options.level);
    place(std::move(entry), index);
}

std::size_t WindowServer::placeForNew(World& world, platform::ProcessId owner, int level) const {
    const std::int64_t own = world.frontness(owner);
    // The first window that the new one goes in front of: one of a lower level, or of its level
    // and of its application or one behind it.
    const auto behindNew = [&](const Entry& other) {
        return other.options.level < level ||
               (other.options.level == level && world.frontness(other.owner) >= own);
    };
    if (inProcessOrder_) {
        const auto found =
            std::partition_point(entries_.begin(), entries_.end(),
                                 [&](const Entry& other) { return !behindNew(other); });
        return static_cast<std::size_t>(found - entries_.begin());
    }
    const auto found = std::find_if(entries_.begin(), entries_.end(), behindNew);
    return static_cast<std::size_t>(found - entries_.begin());
}

void WindowServer::place(Entry entry, std::size_t index) {
    keys_.insert(entry.key);
    windowsOf_[entry.owner] += 1;
    entries_.insert(entries_.begin() + static_cast<std::ptrdiff_t>(index), std::move(entry));
}

void WindowServer::erase(std::vector<Entry>::iterator at) {
    keys_.erase(at->key);
    if (const auto count = windowsOf_.find(at->owner);
        count != windowsOf_.end() && --count->second == 0)
        windowsOf_.erase(count);
    entries_.erase(at);
}

void WindowServer::detach(const Node& node) {
    if (!keys_.contains(&node))
        return;
    if (auto found = find(node); found != entries_.end())
        erase(found);
}

void WindowServer::detachProcess(platform::ProcessId pid) {
    if (!windowsOf_.contains(pid))
        return;
    std::erase_if(entries_, [&](const Entry& entry) {
        if (entry.owner != pid)
            return false;
        keys_.erase(entry.key);
        return true;
    });
    windowsOf_.erase(pid);
}

std::vector<ServerWindow> WindowServer::windows() const {
    std::vector<ServerWindow> result;
    for (const Entry& entry : entries_) {
        if (auto node = entry.node.lock())
            result.push_back({entry.number, entry.owner, entry.options, entry.space, node});
    }
    return result;
}

std::optional<ServerWindow> WindowServer::window(const Node& node) const {
    const auto found = find(node);
    if (found == entries_.end())
        return std::nullopt;
    return ServerWindow{found->number, found->owner, found->options, found->space,
                        found->node.lock()};
}

std::vector<std::shared_ptr<Node>> WindowServer::windowsOf(platform::ProcessId pid) const {
    std::vector<std::shared_ptr<Node>> result;
    for (const Entry& entry : entries_) {
        if (entry.owner != pid)
            continue;
        if (auto node = entry.node.lock())
            result.push_back(std::move(node));
    }
    return result;
}

std::shared_ptr<Node> WindowServer::windowHolding(const Node& element) const {
    for (auto node = std::const_pointer_cast<Node>(element.shared_from_this()); node;
         node = node->parent()) {
        if (find(*node) != entries_.end())
            return node;
    }
    return nullptr;
}

bool WindowServer::isVisible(World& world, const Node& window) const {
    const auto found = find(window);
    return found != entries_.end() && isVisible(Sight(world), *found, window);
}

bool WindowServer::isOnShownSpace(World& world, const Node& window) const {
    const auto found = find(window);
    if (found == entries_.end())
        return false;
    return found->options.allSpaces || !found->space || Spaces::of(world).isShown(*found->space);
}

bool WindowServer::isVisible(const Sight& sight, const Entry& entry, const Node& node) {
    if (node.isDestroyed() || isMinimized(node))
        return false;
    if (sight.world.process(entry.owner) == nullptr || sight.workspace.isHidden(entry.owner))
        return false;
    // Only the front application's menu bar is drawn.
    if (isMenuBar(node) && sight.front != entry.owner)
        return false;
    return entry.options.allSpaces || !entry.space || sight.spaces.isShown(*entry.space);
}

void WindowServer::orderFront(const Node& window) {
    moveWithinLevel(window, true);
}

void WindowServer::orderBack(const Node& window) {
    moveWithinLevel(window, false);
}

void WindowServer::moveWithinLevel(const Node& window, bool toFront) {
    auto found = find(window);
    if (found == entries_.end())
        return;
    inProcessOrder_ = false;
    Entry entry = *found;
    erase(found);
    // Past the higher levels, and for the back past the window's own level too.
    std::size_t index = 0;
    while (index < entries_.size() &&
           (entries_[index].options.level > entry.options.level ||
            (!toFront && entries_[index].options.level == entry.options.level))) {
        ++index;
    }
    place(std::move(entry), index);
}

void WindowServer::orderFrontOfApplication(const Node& window) {
    auto found = find(window);
    if (found == entries_.end())
        return;
    const auto front = std::find_if(entries_.begin(), entries_.end(), [&](const Entry& other) {
        return other.owner == found->owner && other.options.level == found->options.level;
    });
    if (front >= found)
        return;
    // Within the run of its application's windows: the order of the processes holds.
    const auto index = static_cast<std::size_t>(front - entries_.begin());
    Entry entry = *found;
    erase(found);
    place(std::move(entry), index);
}

void WindowServer::orderProcessFront(platform::ProcessId pid) {
    if (!windowsOf_.contains(pid))
        return;
    std::stable_sort(entries_.begin(), entries_.end(), [pid](const Entry& a, const Entry& b) {
        if (a.options.level != b.options.level)
            return a.options.level > b.options.level;
        return a.owner == pid && b.owner != pid;
    });
}

void WindowServer::orderProcessBack(platform::ProcessId pid) {
    if (!windowsOf_.contains(pid))
        return;
    std::stable_sort(entries_.begin(), entries_.end(), [pid](const Entry& a, const Entry& b) {
        if (a.options.level != b.options.level)
            return a.options.level > b.options.level;
        return a.owner != pid && b.owner == pid;
    });
}

void WindowServer::setOptions(const Node& window, WindowOptions options) {
    auto found = find(window);
    if (found == entries_.end())
        return;
    const bool moved = found->options.level != options.level;
    found->options = options;
    if (moved)
        orderFront(window);
}

void WindowServer::processMoved(platform::ProcessId pid) {
    if (windowsOf_.contains(pid))
        inProcessOrder_ = false;
}

std::optional<std::int64_t> WindowServer::spaceOf(std::int64_t number) const {
    for (const Entry& entry : entries_) {
        if (entry.number == number)
            return entry.space;
    }
    return std::nullopt;
}

void WindowServer::placeOnSpace(std::int64_t number, std::int64_t space) {
    for (Entry& entry : entries_) {
        if (entry.number == number) {
            entry.space = space;
            return;
        }
    }
    spacesToCome_[number] = space;
}

void WindowServer::removeFromSpace(std::int64_t number) {
    spacesToCome_.erase(number);
    for (Entry& entry : entries_) {
        if (entry.number == number)
            entry.space.reset();
    }
}

void WindowServer::pinUnplaced(platform::CGRect displayFrame, std::int64_t space) {
    for (Entry& entry : entries_) {
        if (entry.space || entry.options.allSpaces)
            continue;
        const auto node = entry.node.lock();
        const auto frame = node ? node->frame() : std::nullopt;
        if (frame && displayFrame.containsPoint({frame->midX(), frame->midY()}))
            entry.space = space;
    }
}

std::shared_ptr<Node> WindowServer::hitTest(World& world, platform::CGPoint point,
                                            std::optional<platform::ProcessId> only) const {
    const Sight sight(world);
    const auto menuBarAnswer = [&]() -> std::shared_ptr<Node> {
        if (!Displays::of(world).isInMenuBar(point))
            return nullptr;
        const Process* process = sight.front ? world.process(*sight.front) : nullptr;
        if (process == nullptr || (only && *only != process->pid))
            return nullptr;
        return process->application;
    };
    bool menuBarAsked = false;
    for (const Entry& entry : entries_) {
        if (!menuBarAsked && entry.options.level < windowLevel::mainMenu) {
            menuBarAsked = true;
            if (auto answer = menuBarAnswer())
                return answer;
        }
        if (entry.options.clickThrough || (only && entry.owner != *only))
            continue;
        const auto node = entry.node.lock();
        if (!node || !isVisible(sight, entry, *node))
            continue;
        // A window takes the points of its bounds; one without bounds of its own (a group of
        // bars) those of its elements.
        if (const auto bounds = node->frame(); bounds && !bounds->containsPoint(point))
            continue;
        if (auto hit = deepest(node, point))
            return hit;
    }
    return menuBarAsked ? nullptr : menuBarAnswer();
}

std::vector<platform::PlistDictionary> WindowServer::windowList(World& world,
                                                                bool onScreenOnly) const {
    using platform::PlistObject;
    const Sight sight(world);
    std::vector<platform::PlistDictionary> list;
    for (const Entry& entry : entries_) {
        const auto node = entry.node.lock();
        if (!node || (onScreenOnly && !isVisible(sight, entry, *node)))
            continue;
        const auto frame = node->frame();
        const Process* process = world.process(entry.owner);
        if (!frame || process == nullptr)
            continue;
        platform::PlistDictionary item;
        const auto put = [&](std::string_view key, PlistObject value) {
            item.insert_or_assign(std::string(key), std::move(value));
        };
        put(platform::windowLayerKey, PlistObject::integer(entry.options.level));
        put(platform::windowOwnerPIDKey, PlistObject::integer(entry.owner));
        put(platform::windowOwnerNameKey, PlistObject::string(process->name));
        put(platform::windowNumberKey, PlistObject::integer(entry.number));
        if (const ax::Value* title = node->stored(ax::attribute::title)) {
            if (const auto* text = title->getIf<std::string>())
                put(platform::windowNameKey, PlistObject::string(*text));
        }
        put(platform::windowBoundsKey,
            PlistObject::dictionary({
                {std::string(platform::boundsXKey), PlistObject::real(frame->origin.x)},
                {std::string(platform::boundsYKey), PlistObject::real(frame->origin.y)},
                {std::string(platform::boundsWidthKey), PlistObject::real(frame->size.width)},
                {std::string(platform::boundsHeightKey), PlistObject::real(frame->size.height)},
            }));
        list.push_back(std::move(item));
    }
    return list;
}

}  // namespace zoral::sim

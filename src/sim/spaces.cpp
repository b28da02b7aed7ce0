#include "sim/spaces.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include "platform/home.h"
#include "platform/key_codes.h"
#include "platform/plist_serialization.h"
#include "platform/spaces.h"
#include "sim/displays.h"
#include "sim/dock.h"
#include "sim/input_pipeline.h"
#include "sim/system_settings.h"
#include "sim/window_node.h"
#include "sim/window_server.h"
#include "sim/workspace.h"
#include "sim/world.h"

namespace zoral::sim {

namespace {

// The modifier keys a hot key can ask for: shift, control, option, command, fn.
constexpr std::uint64_t hotKeyModifierMask =
    (platform::CGEventFlags::maskShift | platform::CGEventFlags::maskControl |
     platform::CGEventFlags::maskAlternate | platform::CGEventFlags::maskCommand |
     platform::CGEventFlags::maskSecondaryFn)
        .rawValue();

struct HotKey {
    platform::CGKeyCode keyCode = 0;
    std::uint64_t modifiers = 0;
};

// The system's shortcut for one space left ("79") or right ("81"): the user's entry when the file
// has one (none when it is disabled), Control-Fn-arrow without one.
std::optional<HotKey> spaceHotKey(bool towardsRight) {
    const HotKey fallback{
        towardsRight ? platform::virtualKey::rightArrow : platform::virtualKey::leftArrow,
        (platform::CGEventFlags::maskControl | platform::CGEventFlags::maskSecondaryFn).rawValue()};
    const auto path = platform::preferencesFile(symbolicHotKeysDomain);
    if (!path)
        return fallback;
    std::ifstream file(*path, std::ios::binary);
    if (!file)
        return fallback;
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(file),
                                          std::istreambuf_iterator<char>()};
    platform::PlistObject root;
    try {
        root = platform::readPlist(bytes).object;
    } catch (const platform::PlistSerializationError&) {
        return fallback;
    }
    const platform::PlistObject* keys = root.find("AppleSymbolicHotKeys");
    const platform::PlistObject* entry =
        keys != nullptr ? keys->find(towardsRight ? "81" : "79") : nullptr;
    if (entry == nullptr)
        return fallback;
    const platform::PlistObject* enabled = entry->find("enabled");
    if (enabled != nullptr && enabled->boolValue() == false)
        return std::nullopt;
    const platform::PlistObject* value = entry->find("value");
    const platform::PlistObject* parameters =
        value != nullptr ? value->find("parameters") : nullptr;
    const auto* array = parameters != nullptr ? parameters->getIf<platform::PlistArray>() : nullptr;
    if (array == nullptr || array->size() < 3)
        return fallback;
    const auto code = (*array)[1].integerValue();
    const auto modifiers = (*array)[2].integerValue();
    if (!code || !modifiers || !code->int64Value() || !modifiers->int64Value() ||
        *code->int64Value() < 0 || *code->int64Value() > 0xFFFF || *modifiers->int64Value() < 0)
        return fallback;
    return HotKey{static_cast<platform::CGKeyCode>(*code->int64Value()),
                  static_cast<std::uint64_t>(*modifiers->int64Value())};
}

}  // namespace

Spaces& Spaces::of(World& world) {
    return world.component<Spaces>();
}

Spaces& Spaces::current() {
    return of(World::current());
}

void Spaces::setDisplaySpaces(World& world, std::vector<DisplaySpaces> displays) {
    displays_ = std::move(displays);
    layOut(world);
}

std::optional<DisplaySpaces> Spaces::displaySpaces(const std::string& identifier) const {
    for (const auto& display : displays_) {
        if (display.identifier == identifier)
            return display;
    }
    return std::nullopt;
}

DisplaySpaces* Spaces::find(const std::string& identifier) {
    for (auto& display : displays_) {
        if (display.identifier == identifier)
            return &display;
    }
    return nullptr;
}

std::optional<std::int64_t> Spaces::spaceOfWindow(std::int64_t windowNumber) const {
    return WindowServer::of(world_).spaceOf(windowNumber);
}

void Spaces::placeWindow(std::int64_t windowNumber, std::int64_t spaceId) {
    WindowServer::of(world_).placeOnSpace(windowNumber, spaceId);
}

bool Spaces::isShown(std::int64_t spaceId) const {
    for (const auto& display : displays_) {
        for (const auto& space : display.spaces) {
            if (space.id == spaceId)
                return display.current == spaceId;
        }
    }
    return true;
}

void Spaces::makeCurrent(World& world, DisplaySpaces& display, std::int64_t spaceId) {
    if (display.current == spaceId)
        return;
    if (const auto frame = Displays::of(world).topLeftFrame(display.identifier))
        WindowServer::of(world).pinUnplaced(*frame, display.current);
    display.current = spaceId;
}

bool Spaces::switchSpace(World& world, const std::string& identifier, bool towardsRight) {
    DisplaySpaces* display = find(identifier);
    if (display == nullptr)
        return false;
    const auto at =
        std::find_if(display->spaces.begin(), display->spaces.end(),
                     [&](const SimSpace& space) { return space.id == display->current; });
    if (at == display->spaces.end())
        return false;
    const auto index = at - display->spaces.begin();
    const auto next = towardsRight ? index + 1 : index - 1;
    if (next < 0 || next >= std::ssize(display->spaces))
        return false;
    makeCurrent(world, *display, display->spaces[static_cast<std::size_t>(next)].id);
    if (auto window = heldWindow()) {
        placeWindow(window->windowNumber(), display->current);
    } else {
        focusFrontWindow(world, identifier);
    }
    layOut(world);
    return true;
}

void Spaces::focusFrontWindow(World& world, const std::string& identifier) {
    // The active application stays active while it shows a window on the display; otherwise the
    // application of the front-most window there comes forward, as the system does on a switch.
    const auto frame = Displays::of(world).topLeftFrame(identifier);
    if (!frame)
        return;
    WindowServer& server = WindowServer::of(world);
    const auto active = workspace(world).frontmost(world);
    std::optional<platform::ProcessId> front;
    for (const ServerWindow& window : server.windows()) {
        if (window.options.level != windowLevel::normal || !server.isVisible(world, *window.node))
            continue;
        const auto bounds = window.node->frame();
        if (!bounds || !frame->containsPoint({bounds->midX(), bounds->midY()}))
            continue;
        if (window.owner == active)
            return;
        if (!front)
            front = window.owner;
    }
    if (front)
        workspace(world).activateNow(world, *front);
}

void Spaces::enterFullScreen(World& world, std::int64_t windowNumber, platform::CGPoint centre) {
    const auto identifier = displayAt(world, centre);
    DisplaySpaces* display = identifier ? find(*identifier) : nullptr;
    if (display == nullptr)
        return;
    std::int64_t id = 1;
    for (const auto& each : displays_) {
        for (const auto& space : each.spaces)
            id = std::max(id, space.id + 1);
    }
    display->spaces.push_back(SimSpace{.id = id, .fullScreen = true});
    makeCurrent(world, *display, id);
    placeWindow(windowNumber, id);
    layOut(world);
}

void Spaces::leaveFullScreen(World& world, std::int64_t windowNumber) {
    const auto space = spaceOfWindow(windowNumber);
    if (!space)
        return;
    for (auto& display : displays_) {
        const auto found = std::find_if(display.spaces.begin(), display.spaces.end(),
                                        [&](const SimSpace& s) { return s.id == *space; });
        if (found == display.spaces.end() || !found->fullScreen)
            continue;
        display.spaces.erase(found);
        const auto desktop = std::find_if(display.spaces.begin(), display.spaces.end(),
                                          [](const SimSpace& s) { return !s.fullScreen; });
        const std::int64_t home = desktop != display.spaces.end() ? desktop->id : 0;
        if (display.current == *space)
            display.current = home;
        placeWindow(windowNumber, home);
        layOut(world);
        return;
    }
}

bool Spaces::moveSpace(World& world, std::int64_t spaceId, const std::string& targetIdentifier) {
    DisplaySpaces* target = find(targetIdentifier);
    if (target == nullptr)
        return false;
    for (auto& source : displays_) {
        const auto at = std::find_if(source.spaces.begin(), source.spaces.end(),
                                     [&](const SimSpace& space) { return space.id == spaceId; });
        if (at == source.spaces.end())
            continue;
        // A display never goes without a space.
        if (&source == target || source.spaces.size() < 2)
            return false;
        const SimSpace moved = *at;
        source.spaces.erase(at);
        if (source.current == spaceId)
            source.current = source.spaces.front().id;
        target->spaces.push_back(moved);
        layOut(world);
        return true;
    }
    return false;
}

void Spaces::displayRemoved(World& world, const std::string& identifier, const std::string& home) {
    const auto gone = std::find_if(displays_.begin(), displays_.end(), [&](const auto& display) {
        return display.identifier == identifier;
    });
    if (gone == displays_.end())
        return;
    const DisplaySpaces removed = *gone;
    displays_.erase(gone);
    DisplaySpaces* target = find(home);
    for (const SimSpace& space : removed.spaces) {
        if (target != nullptr && space.fullScreen) {
            target->spaces.push_back(space);
            continue;
        }
        for (const ServerWindow& window : WindowServer::of(world).windows()) {
            if (window.space != space.id)
                continue;
            if (target != nullptr) {
                placeWindow(window.number, target->current);
            } else {
                // No spaces where it went: on whatever that display shows.
                WindowServer::of(world).removeFromSpace(window.number);
            }
        }
    }
    layOut(world);
}

platform::PlistObject Spaces::describe() const {
    using platform::PlistObject;
    platform::PlistArray displays;
    for (const auto& display : displays_) {
        platform::PlistArray spaces;
        for (const auto& space : display.spaces) {
            platform::PlistDictionary entry{
                {std::string(platform::managedSpaceIDKey), PlistObject::integer(space.id)},
                {"type", PlistObject::integer(space.fullScreen ? 4 : 0)}};
            if (space.fullScreen)
                entry.emplace(platform::tileLayoutManagerKey, PlistObject::dictionary());
            spaces.push_back(PlistObject::dictionary(std::move(entry)));
        }
        displays.push_back(PlistObject::dictionary({
            {std::string(platform::displayIdentifierKey), PlistObject::string(display.identifier)},
            {std::string(platform::currentSpaceKey),
             PlistObject::dictionary({{std::string(platform::managedSpaceIDKey),
                                       PlistObject::integer(display.current)}})},
            {std::string(platform::spacesKey), PlistObject::array(std::move(spaces))},
        }));
    }
    return PlistObject::array(std::move(displays));
}

void Spaces::replaceAnswer(std::optional<platform::PlistObject> answer) {
    replaced_ = true;
    replacement_ = std::move(answer);
}

void Spaces::restoreAnswer() {
    replaced_ = false;
    replacement_.reset();
}

std::optional<platform::PlistObject> Spaces::answer() const {
    return replaced_ ? replacement_ : std::optional(describe());
}

// --- Mission Control

void Spaces::showMissionControl(World& world) {
    hide(world);
    if (Dock::of(world) == nullptr)
        Dock::install(world);
    const Dock& dock = *Dock::of(world);
    overview_ = world.makeNode(dock.pid(), ax::role::group);
    overview_->set(ax::attribute::title, std::string("Mission Control"));
    world.process(dock.pid())->application->appendChild(overview_);
    showAbove(world);
    showsBars_ = true;
    layOut(world);
}

void Spaces::showAppExpose(World& world) {
    hide(world);
    if (Dock::of(world) == nullptr)
        Dock::install(world);
    const Dock& dock = *Dock::of(world);
    overview_ = world.makeNode(dock.pid(), ax::role::group);
    overview_->set(ax::attribute::title, std::string("App Expose"));
    world.process(dock.pid())->application->appendChild(overview_);
    showAbove(world);
}

void Spaces::showAbove(World& world) {
    // The overview covers every window, the Dock's own tiles included.
    WindowServer::of(world).setOptions(
        *overview_, {.level = windowLevel::overlay, .clickThrough = false, .allSpaces = true});
}

void Spaces::hide(World& world) {
    if (!overview_)
        return;
    if (Process* dock = world.process(overview_->pid()))
        dock->application->removeChild(overview_);
    const auto destroy = [](const auto& self, const std::shared_ptr<Node>& node) -> void {
        for (const auto& child : node->children())
            self(self, child);
        node->markDestroyed();
    };
    destroy(destroy, overview_);
    for (const auto& [id, button] : buttons_)
        button->markDestroyed();
    overview_.reset();
    showsBars_ = false;
    bars_.clear();
    buttons_.clear();
}

std::shared_ptr<Node> Spaces::buttonOf(std::int64_t spaceId) const {
    const auto found = buttons_.find(spaceId);
    return found != buttons_.end() ? found->second : nullptr;
}

std::shared_ptr<Node> Spaces::barOf(const std::string& identifier) const {
    const auto found = bars_.find(identifier);
    return found != bars_.end() ? found->second.bar : nullptr;
}

std::optional<std::string> Spaces::displayAt(World& world, platform::CGPoint point) const {
    for (const auto& display : displays_) {
        const auto frame = Displays::of(world).topLeftFrame(display.identifier);
        if (frame && frame->containsPoint(point))
            return display.identifier;
    }
    return std::nullopt;
}

void Spaces::layOut(World& world) {
    // App Expose shows no spaces bars.
    if (!overview_ || !showsBars_)
        return;
    const platform::ProcessId pid = overview_->pid();
    const auto place = [](Node& node, const platform::CGRect& frame) {
        node.set(ax::attribute::position, frame.origin);
        node.set(ax::attribute::size, frame.size);
        node.set(ax::attribute::frame, frame);
    };
    for (const auto& display : displays_) {
        const auto frame = Displays::of(world).topLeftFrame(display.identifier);
        if (!frame)
            continue;
        Bar& bar = bars_[display.identifier];
        if (!bar.group) {
            bar.group = world.makeNode(pid, ax::role::group);
            bar.bar = world.makeNode(pid, ax::role::group);
            bar.bar->set(ax::attribute::title, std::string("Spaces Bar"));
            bar.list = world.makeNode(pid, ax::role::list);
            overview_->appendChild(bar.group);
            bar.group->appendChild(bar.bar);
            bar.bar->appendChild(bar.list);
        }
        // The display's group has no frame of its own, so that hit tests at the display's middle
        // reach the windows below.
        const platform::CGRect barFrame(frame->minX(), frame->minY(), frame->width(), barHeight);
        place(*bar.bar, barFrame);
        place(*bar.list, barFrame);
        for (const auto& child : std::vector(bar.list->children()))
            bar.list->removeChild(child);
        double x = frame->minX() + buttonGap;
        int desktop = 0;
        for (const auto& space : display.spaces) {
            auto& button = buttons_[space.id];
            if (!button) {
                button = world.makeNode(pid, ax::role::button);
                button->setActions({ax::action::press});
            }
            button->set(ax::attribute::title, space.fullScreen
                                                  ? std::string("Full Screen")
                                                  : "Desktop " + std::to_string(++desktop));
            place(*button, platform::CGRect(x, frame->minY() + (barHeight - buttonHeight) / 2,
                                            buttonWidth, buttonHeight));
            bar.list->appendChild(button);
            x += buttonWidth + buttonGap;
        }
    }
}

// --- Input

namespace {

// A space button of Mission Control taken by the pointer: let go on another display's spaces
// bar, the space moves there.
class SpaceButtonGrab : public PointerGrab {
public:
    explicit SpaceButtonGrab(std::int64_t space) : space_(space) {}

    void released(World& world, const platform::CGEvent& event) override {
        world.component<Spaces>().dropSpace(world, space_, event.location);
    }

private:
    std::int64_t space_;
};

}  // namespace

void Spaces::registerInput(InputPipeline& pipeline) {
    pipeline.addSystemKeyHandler([](World& world, const platform::CGEvent& event) {
        return event.type == platform::CGEventType::keyDown &&
               world.component<Spaces>().onHotKey(world, event);
    });
    pipeline.addPressHandler(
        Receiver::dock, [](World& world, const Press& press) -> std::shared_ptr<PointerGrab> {
            if (press.event.type != platform::CGEventType::leftMouseDown)
                return nullptr;
            for (const auto& [id, button] : world.component<Spaces>().buttons_) {
                if (press.element == button)
                    return std::make_shared<SpaceButtonGrab>(id);
            }
            return nullptr;
        });
}

void Spaces::dropSpace(World& world, std::int64_t space, platform::CGPoint location) {
    if (!overview_)
        return;
    for (const auto& [identifier, bar] : bars_) {
        const auto frame = bar.bar->frame();
        if (frame && frame->containsPoint(location)) {
            moveSpace(world, space, identifier);
            return;
        }
    }
}

bool Spaces::onHotKey(World& world, const platform::CGEvent& event) {
    for (const bool towardsRight : {false, true}) {
        const auto hotKey = spaceHotKey(towardsRight);
        if (!hotKey || hotKey->keyCode != event.keyCode ||
            (hotKey->modifiers & hotKeyModifierMask) !=
                (event.flags.rawValue() & hotKeyModifierMask))
            continue;
        // The display of the held window, else the one under the pointer, else the first.
        std::optional<std::string> display;
        if (auto window = heldWindow()) {
            if (const auto frame = window->frame())
                display = displayAt(world, {frame->midX(), frame->midY()});
        }
        if (!display)
            display = displayAt(world, event.location);
        if (!display && !displays_.empty())
            display = displays_.front().identifier;
        if (display)
            switchSpace(world, *display, towardsRight);
        return true;
    }
    return false;
}

std::shared_ptr<WindowNode> Spaces::heldWindow() const {
    const auto held = std::dynamic_pointer_cast<WindowNode>(WindowServer::of(world_).heldWindow());
    return held && !held->isDestroyed() ? held : nullptr;
}

}  // namespace zoral::sim

namespace zoral::platform {

CGSConnectionID cgsDefaultConnection() {
    // Any connection will do: the simulated window server has one client.
    return 0x5A17;
}

std::optional<PlistObject> cgsCopyManagedDisplaySpaces(CGSConnectionID /*connection*/) {
    sim::Spaces& spaces = sim::Spaces::current();
    spaces.countAnswer();
    return spaces.answer();
}

}  // namespace zoral::platform

// Dumping a world: what it is now captured as a description (world_description.h), then written
// in the file's notation (world_format.cpp), so that it loads back into an equal world.

#include <algorithm>
#include <set>
#include <stdexcept>
#include <unordered_set>

#include "sim/button_node.h"
#include "sim/cursor.h"
#include "sim/dock.h"
#include "sim/element_names.h"
#include "sim/enhanced_interface.h"
#include "sim/hands.h"
#include "sim/hot_keys.h"
#include "sim/input_devices.h"
#include "sim/iohid.h"
#include "sim/keyboard_layout.h"
#include "sim/login_items.h"
#include "sim/menu_bar.h"
#include "sim/program_bundle.h"
#include "sim/spaces.h"
#include "sim/system_settings.h"
#include "sim/tabs.h"
#include "sim/timing.h"
#include "sim/window_node.h"
#include "sim/window_parts.h"
#include "sim/window_server.h"
#include "sim/workspace.h"
#include "sim/world_file.h"
#include "sim/world_format.h"

namespace zoral::sim {

namespace ax = platform::ax;
using platform::Json;

namespace {

// The actions an element of the node's kind has from the start.
std::vector<std::string> defaultActions(const Node& node) {
    if (dynamic_cast<const ButtonNode*>(&node) != nullptr)
        return ButtonNode(node.pid()).actions();
    return {};
}

class Capture {
public:
    explicit Capture(World& world) : world_(world), names_(ElementNames::of(world)) {}

    WorldDescription run() {
        WorldDescription file;
        file.latency = world_.latency();
        for (const LatencyRule& rule : world_.latencyRules()) {
            file.latencyRules.push_back(
                {.pid = rule.pid, .kind = rule.kind, .name = rule.name, .seconds = rule.seconds});
        }
        file.trusted = world_.isTrusted();
        const Timing& timing = world_.component<Timing>();
        file.timing = {.activation = timing.activation,
                       .termination = timing.termination,
                       .hide = timing.hide,
                       .minimize = timing.minimize,
                       .restore = timing.restore,
                       .fullScreenEnter = timing.fullScreenEnter,
                       .fullScreenExit = timing.fullScreenExit,
                       .tabDetach = world_.component<Tabs>().detachLatency()};
        file.systemVersion = SystemVersion::of(world_).version();
        file.programPid = world_.programPid();
        try {
            file.systemSettings = readSystemSettings();
        } catch (const SystemSettingsError& error) {
            throw WorldFileError(std::string("systemSettings: ") + error.what());
        }
        captureDisplays(file);
        captureInput(file);
        captureLoginItems(file.loginItems);

        // The Dock is written as its tiles; the program's own process and windows are the
        // program's, made again when it runs.
        const Dock* dock = Dock::of(world_);
        std::vector<const Process*> processes;
        for (const platform::ProcessId pid : world_.processIds()) {
            if ((dock == nullptr || pid != dock->pid()) && pid != world_.programPid())
                processes.push_back(world_.process(pid));
        }
        // A reference can be written only to an element the file holds, and the element must
        // have its name before it is written.
        for (const Process* process : processes)
            collect(*process->application);
        for (const Process* process : processes)
            nameReferenced(*process->application);
        for (const Process* process : processes)
            file.processes.push_back(captureProcess(*process));
        file.windowOrder = captureWindowOrder(processes);
        file.statusItems = captureStatusItems(processes);
        if (dock != nullptr)
            file.dock = captureDock(*dock);
        if (const Spaces& spaces = Spaces::of(world_); spaces.isShowing()) {
            file.overview =
                spaces.showsSpacesBars() ? OverviewKind::missionControl : OverviewKind::appExpose;
        }
        for (const auto& [url, identifier] : workspace(world_).bundles())
            file.bundles.emplace(url, identifier);
        file.programBundle = ProgramBundle::of(world_).path();
        return file;
    }

private:
    void captureInput(WorldDescription& file) {
        const InputDevices& devices = InputDevices::of(world_);
        file.pointer = devices.pointer();
        file.modifierFlags = static_cast<std::int64_t>(devices.heldModifierFlags().rawValue());
        const std::uint64_t buttons = devices.pressedMouseButtons();
        for (std::int64_t button = 0; button < 32; ++button) {
            if ((buttons >> button) & 1U)
                file.pressedButtons.push_back(button);
        }
        file.eventCreationFails = devices.eventCreationFails();
        file.naturalScrolling = Hands::of(world_).naturalScrolling();
        const auto& monitoring = world_.component<InputMonitoringAccess>();
        file.inputMonitoring = {.post = monitoring.post, .listen = monitoring.listen};
        const auto layout = KeyboardLayouts::of(world_).currentLayout();
        file.keyboardLayout.identifier = layout ? std::optional(layout->identifier) : std::nullopt;
        const HotKeys& hotKeys = HotKeys::of(world_);
        for (const HotKeyCombination& held : hotKeys.heldCombinations())
            file.hotKeys.held.push_back({.keyCode = held.keyCode, .modifiers = held.modifiers});
        file.hotKeys.installHandlerFails = hotKeys.installEventHandlerFails();
        file.hotKeys.symbolicHotKeysUnavailable = hotKeys.symbolicHotKeysUnavailable();
        const Cursor& cursor = Cursor::of(world_);
        file.cursor = {.hideCount = cursor.hideCount(),
                       .setsCursorInBackground = cursor.setsCursorInBackground()};
    }

    void captureLoginItems(LoginItemsDescription& description) const {
        const LoginItems& items = LoginItems::of(world_);
        const auto failure =
            [](const platform::ErrorRef& error) -> std::optional<ErrorDescription> {
            if (!error)
                return std::nullopt;
            return ErrorDescription{.domain = error->domain(),
                                    .code = error->code(),
                                    .description = error->description()};
        };
        description.serviceStatus = items.serviceStatus();
        description.registerFailure = failure(items.registerFailure());
        description.unregisterFailure = failure(items.unregisterFailure());
        description.sessionListAvailable = items.sessionListAvailable();
        description.snapshotFails = items.snapshotFails();
        for (const SessionLoginItem& item : items.sessionItems()) {
            description.sessionItems.push_back(
                {.url = item.url, .properties = item.properties, .resolves = item.resolves});
        }
    }

    // Front to back across applications, when there is an order to tell.
    std::vector<std::int64_t> captureWindowOrder(const std::vector<const Process*>& processes) {
        std::set<platform::ProcessId> written;
        for (const Process* process : processes)
            written.insert(process->pid);
        std::vector<std::int64_t> order;
        for (const ServerWindow& window : WindowServer::of(world_).windows()) {
            if (written.contains(window.owner) &&
                dynamic_cast<const WindowNode*>(window.node.get()) != nullptr) {
                order.push_back(window.number);
            }
        }
        if (order.size() < 2)
            order.clear();
        return order;
    }

    void captureDisplays(WorldDescription& file) {
        const Displays& displays = Displays::of(world_);
        const Spaces& spaces = world_.component<Spaces>();
        const auto all = displays.displays();
        for (const Display& display : all) {
            DisplayDescription entry{.number = display.number,
                                     .uuid = display.uuid,
                                     .frame = display.frame,
                                     .menuBarHeight = display.menuBarHeight,
                                     .dock = display.dock};
            if (const auto own =
                    display.uuid.empty() ? std::nullopt : spaces.displaySpaces(display.uuid)) {
                for (const SimSpace& space : own->spaces) {
                    entry.spaces.push_back({.id = space.id, .fullScreen = space.fullScreen});
                    spaceIds_.insert(space.id);
                }
                // A display whose last space went (a full-screen one, left) shows none.
                if (spaceIds_.contains(own->current))
                    entry.currentSpace = own->current;
            }
            file.displays.push_back(std::move(entry));
        }
        const auto main = displays.mainDisplay();
        if (main && !(*main == all.front()))
            file.mainDisplay = main->number;
    }

    // What a node holds that is written as parts of it rather than as children: a window's tab
    // bars and the parts added to it, an application's menu bar and status items. Of their
    // elements, only those the parts name can be named; the attributes the parts set follow
    // from them.
    struct Held {
        std::vector<Tabs::BarView> bars;
        std::vector<AddedPart> parts;
        std::optional<AddedMenuBar> menuBar;
        std::vector<std::shared_ptr<Node>> statusItems;
        std::unordered_set<const Node*> roots;
        std::vector<std::shared_ptr<Node>> nameable;
        std::vector<std::string_view> derivedAttributes;
    };

    Held heldBy(const Node& node) {
        Held held;
        if (const auto* window = dynamic_cast<const WindowNode*>(&node)) {
            held.bars = world_.component<Tabs>().barsOf(*window);
            for (const auto& bar : held.bars) {
                held.roots.insert(bar.root.get());
                held.nameable.insert(held.nameable.end(), bar.tabs.begin(), bar.tabs.end());
            }
            held.parts = WindowParts::partsOf(world_, *window);
            for (const AddedPart& part : held.parts) {
                for (const auto& root : part.roots)
                    held.roots.insert(root.get());
                held.nameable.insert(held.nameable.end(), part.roots.begin(), part.roots.end());
                if (std::holds_alternative<TitleBarStyle>(part.shape)) {
                    held.derivedAttributes.insert(held.derivedAttributes.end(),
                                                  std::begin(WindowParts::titleBarAttributes),
                                                  std::end(WindowParts::titleBarAttributes));
                }
            }
            return held;
        }
        const Process* process = world_.process(node.pid());
        if (process == nullptr || process->application.get() != &node)
            return held;
        held.menuBar = MenuBar::barOf(world_, node.pid());
        if (held.menuBar) {
            held.roots.insert(held.menuBar->elements.bar.get());
            held.nameable.push_back(held.menuBar->elements.bar);
            held.derivedAttributes.push_back(ax::attribute::menuBar);
        }
        for (const AddedStatusItem& item : MenuBar::statusItems(world_)) {
            if (item.node->pid() == node.pid() && item.node->parent().get() == &node) {
                held.roots.insert(item.node.get());
                held.nameable.push_back(item.node);
                held.statusItems.push_back(item.node);
            }
        }
        return held;
    }

    static std::vector<std::string> writtenAttributes(const Node& node, const Held& held) {
        std::vector<std::string> names = node.storedAttributeNames();
        std::erase_if(names, [&](const std::string& name) {
            return std::find(held.derivedAttributes.begin(), held.derivedAttributes.end(), name) !=
                   held.derivedAttributes.end();
        });
        return names;
    }

    void collect(const Node& node) {
        held_.insert(node.element());
        const Held held = heldBy(node);
        for (const auto& part : held.nameable)
            held_.insert(part->element());
        for (const auto& child : node.children()) {
            if (!held.roots.contains(child.get()))
                collect(*child);
        }
    }

    void nameReferenced(const Node& node) {
        const Held held = heldBy(node);
        for (const std::string& name : writtenAttributes(node, held))
            (void)toAttributeValue(*node.stored(name),
                                   [&](ax::Element element) { return referenceTo(element); });
        for (const auto& child : node.children()) {
            if (!held.roots.contains(child.get()))
                nameReferenced(*child);
        }
    }

    ElementReference referenceTo(ax::Element element) {
        if (!held_.contains(element))
            return {};
        return {names_.nameOf(element)};
    }

    std::optional<std::string> nameOf(const std::shared_ptr<Node>& node) const {
        return node ? names_.existingNameOf(node->element()) : std::nullopt;
    }

    ElementContents captureContents(const Node& node) {
        ElementContents contents;
        contents.id = names_.existingNameOf(node.element());
        const Held held = heldBy(node);
        for (const std::string& name : writtenAttributes(node, held)) {
            contents.attributes.emplace(
                name, toAttributeValue(*node.stored(name),
                                       [&](ax::Element element) { return referenceTo(element); }));
        }
        contents.settable = node.settableAttributes();
        if (node.actions() != defaultActions(node))
            contents.actions = node.actions();
        for (const auto& child : node.children()) {
            if (!held.roots.contains(child.get()))
                contents.children.push_back(captureElement(*child));
        }
        return contents;
    }

    std::vector<WindowPartDescription> captureParts(const std::vector<AddedPart>& parts) const {
        std::vector<WindowPartDescription> written;
        for (const AddedPart& part : parts) {
            WindowPartDescription description;
            const auto id = nameOf(part.roots.front());
            std::visit(
                [&](const auto& shape) {
                    using Shape = std::decay_t<decltype(shape)>;
                    if constexpr (std::is_same_v<Shape, TitleBarStyle>) {
                        description.titleBar = {.style = shape,
                                                .closeId = id,
                                                .minimizeId = nameOf(part.roots[1]),
                                                .greenId = nameOf(part.roots[2])};
                    } else if constexpr (std::is_same_v<Shape, ToolbarPlace>) {
                        description.toolbar = {shape, id};
                    } else if constexpr (std::is_same_v<Shape, ContentPlace>) {
                        description.content = {shape, id};
                    } else if constexpr (std::is_same_v<Shape, PopoverPlace>) {
                        description.popover = {shape, id};
                    } else {
                        description.menu = {shape, id};
                    }
                },
                part.shape);
            written.push_back(std::move(description));
        }
        return written;
    }

    // The status items of the processes written, in the order added.
    std::vector<StatusItemDescription> captureStatusItems(
        const std::vector<const Process*>& processes) const {
        std::vector<StatusItemDescription> written;
        for (const AddedStatusItem& item : MenuBar::statusItems(world_)) {
            const platform::ProcessId pid = item.node->pid();
            const Process* process = world_.process(pid);
            if (std::find(processes.begin(), processes.end(), process) == processes.end() ||
                item.node->parent() != process->application) {
                continue;
            }
            const ax::Value* stored = item.node->stored(ax::attribute::title);
            const auto* title = stored != nullptr ? stored->getIf<std::string>() : nullptr;
            StatusItemDescription description{.pid = pid,
                                              .title = title != nullptr ? *title : std::string(),
                                              .width = std::nullopt,
                                              .id = nameOf(item.node)};
            if (item.slot->width != MenuBar::itemWidth(description.title))
                description.width = item.slot->width;
            written.push_back(std::move(description));
        }
        return written;
    }

    ElementDescription captureElement(const Node& node) {
        ElementDescription element{.role = node.role(), .contents = captureContents(node)};
        if (const auto* window = dynamic_cast<const WindowNode*>(&node))
            element.window = captureWindow(*window);
        return element;
    }

    WindowDescription captureWindow(const WindowNode& window) {
        const WindowLimits& limits = window.limits();
        // A window whose space has gone is on none.
        auto space = world_.component<Spaces>().spaceOfWindow(window.windowNumber());
        if (space && !spaceIds_.contains(*space))
            space.reset();
        WindowDescription description{.number = window.windowNumber(),
                                      .minimumSize = limits.minimum,
                                      .maximumSize = limits.maximum,
                                      .fixedSize = limits.fixedSize,
                                      .space = space,
                                      .frameBeforeFullScreen = window.frameBeforeFullScreen()};
        // Options are written where they differ from those of the window's process.
        const Process* process = world_.process(window.pid());
        const WindowOptions usual = process != nullptr ? process->windowOptions : WindowOptions{};
        if (const auto placed = WindowServer::of(world_).window(window)) {
            if (placed->options.level != usual.level)
                description.layer = placed->options.level;
            if (placed->options.clickThrough != usual.clickThrough)
                description.clickThrough = placed->options.clickThrough;
            if (placed->options.allSpaces != usual.allSpaces)
                description.allSpaces = placed->options.allSpaces;
        }
        const Held held = heldBy(window);
        description.parts = captureParts(held.parts);
        for (const Tabs::BarView& bar : held.bars) {
            TabBarDescription written{.shape = bar.shape, .top = std::nullopt, .tabs = {}};
            if (bar.top != Tabs::defaultTop(bar.shape))
                written.top = bar.top;
            for (std::size_t i = 0; i < bar.tabs.size(); ++i) {
                written.tabs.push_back(
                    {.title = bar.titles[i], .id = names_.existingNameOf(bar.tabs[i]->element())});
            }
            description.tabBars.push_back(std::move(written));
        }
        return description;
    }

    ProcessDescription captureProcess(const Process& process) {
        const ApplicationInfo info = workspace(world_).infoOf(process.pid);
        const WindowOptions& options = process.windowOptions;
        std::optional<MenuBarDescription> menuBar;
        if (const auto added = MenuBar::barOf(world_, process.pid))
            menuBar = MenuBarDescription{.menus = added->menus, .id = nameOf(added->elements.bar)};
        return {.pid = process.pid,
                .bundleIdentifier = process.bundleIdentifier,
                .name = process.name,
                .hung = process.hung,
                .pidUnreadable = process.pidUnreadable,
                .latency = process.latency,
                .bundleURL = info.bundleURL,
                .activationPolicy = info.activationPolicy,
                .hidden = info.hidden,
                .refusesTermination = info.refusesTermination,
                .enhancedUserInterface = world_.component<EnhancedInterface>().value(process.pid),
                .windowOptions = {.layer = options.level,
                                  .clickThrough = options.clickThrough,
                                  .allSpaces = options.allSpaces},
                .menuBar = std::move(menuBar),
                .application = captureContents(*process.application)};
    }

    static DockDescription captureDock(const Dock& dock) {
        DockDescription description{.pid = dock.pid()};
        for (const auto& child : dock.list()->children()) {
            const auto text = [&](const char* attribute) -> std::optional<std::string> {
                const ax::Value* value = child->stored(attribute);
                if (value == nullptr)
                    return std::nullopt;
                if (const auto* url = value->getIf<ax::Url>())
                    return url->text;
                if (const auto* string = value->getIf<std::string>())
                    return *string;
                return std::nullopt;
            };
            const auto subrole = text("AXSubrole").value_or("");
            if (subrole == "AXApplicationDockItem" || subrole == "AXFolderDockItem") {
                description.tiles.push_back({.kind = subrole == "AXApplicationDockItem"
                                                         ? DockTileKind::application
                                                         : DockTileKind::folder,
                                             .title = text("AXTitle").value_or(""),
                                             .url = text("AXURL").value_or("")});
            } else if (subrole == "AXSeparatorDockItem") {
                description.tiles.push_back({.kind = DockTileKind::separator});
            } else if (subrole == "AXTrashDockItem") {
                description.tiles.push_back({.kind = DockTileKind::trash});
            }
        }
        return description;
    }

    World& world_;
    ElementNames& names_;
    std::unordered_set<ax::Element> held_;
    std::set<std::int64_t> spaceIds_;
};

}  // namespace

Json dumpWorld(World& world) {
    const WorldDescription description = Capture(world).run();
    try {
        return formatWorldDescription(description);
    } catch (const std::runtime_error& error) {
        // A value the file has no notation for (a date among a login item's properties, say).
        throw WorldFileError(error.what());
    }
}

}  // namespace zoral::sim

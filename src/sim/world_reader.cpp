// Loading a world file: the file read into a description (world_format.cpp), the description
// checked against itself and against the world it joins, and only then built.

#include <algorithm>
#include <functional>
#include <map>
#include <set>
#include <string_view>
#include <vector>

#include "platform/error.h"
#include "sim/application_node.h"
#include "sim/button_node.h"
#include "sim/cursor.h"
#include "sim/displays.h"
#include "sim/dock.h"
#include "sim/element_names.h"
#include "sim/enhanced_interface.h"
#include "sim/hands.h"
#include "sim/hot_keys.h"
#include "sim/input_devices.h"
#include "sim/iohid.h"
#include "sim/json_codec.h"
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
using json_codec::fail;
using json_codec::Place;
using platform::Json;

namespace {

// The system version from which the main application's service makes it start at login.
constexpr platform::OperatingSystemVersion firstServiceVersion{13, 0, 0};

// Attributes that an element answers from its place in the tree or its role, never from what is
// stored: a stored value would never be read.
constexpr std::string_view treeAttributes[] = {"AXRole", "AXParent", "AXChildren"};
// What a window computes from its position, size and application.
constexpr std::string_view computedWindowAttributes[] = {"AXFrame", "AXMain"};

template <std::size_t N>
bool isOneOf(const std::string& name, const std::string_view (&names)[N]) {
    return std::find(std::begin(names), std::end(names), name) != std::end(names);
}

// What a value must be for the window to act on it.
const char* windowAttributeFault(const std::string& name, const AttributeValue& value) {
    if (name == "AXPosition" && !std::holds_alternative<platform::CGPoint>(value.value))
        return "a window's position is a point";
    if (name == "AXSize" && !std::holds_alternative<platform::CGSize>(value.value))
        return "a window's size is a size";
    if ((name == "AXMinimized" || name == "AXFullScreen") &&
        !std::holds_alternative<bool>(value.value)) {
        return "expected true or false";
    }
    if (isOneOf(name, computedWindowAttributes))
        return "follows from the window and cannot be stored";
    return nullptr;
}

bool fitsWithin(platform::CGSize size, const std::optional<platform::CGSize>& minimum,
                const std::optional<platform::CGSize>& maximum) {
    if (minimum && (size.width < minimum->width || size.height < minimum->height))
        return false;
    if (maximum && (size.width > maximum->width || size.height > maximum->height))
        return false;
    return true;
}

// Refuses what the keys' own checks cannot see: what the file names must exist, what must be
// unique is, and nothing clashes with the world the file joins.
class Checker {
public:
    Checker(World& world, const WorldDescription& file)
        : world_(world), file_(file), names_(ElementNames::of(world)) {}

    void run() {
        const Place root;
        checkDisplays(root);
        for (std::size_t i = 0; i < file_.processes.size(); ++i)
            checkProcess(file_.processes[i], root.key("processes").index(i));
        checkStatusItems(root.key("statusItems"));
        if (file_.dock)
            checkDock(*file_.dock, root.key("dock"));
        checkSettings(root.key("systemSettings"));
        checkProgram(root);
        checkWindowOrder(root.key("windowOrder"));
        checkKeyboard(root);
        checkLoginItems(root.key("loginItems"));
        // Every element has its name now.
        for (const auto& [name, place] : references_) {
            if (!fileNames_.contains(name) && !names_.isTaken(name))
                fail(place, "no element is named \"" + name + "\"");
        }
        for (const auto& [space, place] : windowSpaces_) {
            if (!spaces_.contains(space))
                fail(place, "no display has the space " + std::to_string(space));
        }
    }

private:
    void checkDisplays(const Place& root) {
        std::set<std::int64_t> numbers;
        std::set<std::string> uuids;
        std::optional<std::size_t> withDock;
        for (std::size_t i = 0; i < file_.displays.size(); ++i) {
            const DisplayDescription& display = file_.displays[i];
            const Place at = root.key("displays").index(i);
            if (display.number && !numbers.insert(*display.number).second)
                fail(at.key("number"), "another display has the number");
            if (!display.uuid.empty() && !uuids.insert(display.uuid).second)
                fail(at.key("uuid"), "another display has the UUID");
            if (display.menuBarHeight > display.frame.height())
                fail(at.key("menuBarHeight"), "higher than the display");
            if (display.dock) {
                const double room = display.dock->edge == DockEdge::bottom
                                        ? display.frame.height() - display.menuBarHeight
                                        : display.frame.width();
                if (display.dock->thickness > room)
                    fail(at.key("dock").key("thickness"), "thicker than the display");
                if (withDock)
                    fail(at.key("dock"), "the Dock is on one display only");
                withDock = i;
            }
            if (!display.spaces.empty() && display.uuid.empty())
                fail(at.key("spaces"), "spaces need the display's \"uuid\"");
            if (!display.spaces.empty() &&
                std::all_of(display.spaces.begin(), display.spaces.end(),
                            [](const SpaceDescription& space) { return space.fullScreen; })) {
                fail(at.key("spaces"), "a display has a desktop among its spaces");
            }
            for (std::size_t s = 0; s < display.spaces.size(); ++s) {
                if (!spaces_.insert(display.spaces[s].id).second)
                    fail(at.key("spaces").index(s).key("id"), "another space has the id");
            }
            if (display.currentSpace && std::none_of(display.spaces.begin(), display.spaces.end(),
                                                     [&](const SpaceDescription& space) {
                                                         return space.id == *display.currentSpace;
                                                     })) {
                fail(at.key("currentSpace"), "not one of the display's spaces");
            }
        }
        if (file_.mainDisplay && !numbers.contains(*file_.mainDisplay))
            fail(root.key("mainDisplay"), "no display has the number");
        const auto& orientation = file_.systemSettings.dockOrientation;
        if (withDock && orientation && *orientation != file_.displays[*withDock].dock->edge) {
            fail(root.key("systemSettings").key("dockOrientation"),
                 "the Dock's side differs from its display's");
        }
    }

    void checkProgram(const Place& root) {
        if (file_.overview && !file_.dock)
            checkPid(Dock::defaultPid, root.key("overview"));
        const auto program = static_cast<platform::ProcessId>(file_.programPid);
        if (pids_.contains(file_.programPid) ||
            (world_.process(program) != nullptr && program != world_.programPid())) {
            fail(root.key("programPid"), "pid " + std::to_string(file_.programPid) + " is taken");
        }
    }

    void checkWindowOrder(const Place& at) {
        std::set<std::int64_t> listed;
        for (std::size_t i = 0; i < file_.windowOrder.size(); ++i) {
            const std::int64_t number = file_.windowOrder[i];
            if (!windowNumbers_.contains(number))
                fail(at.index(i), "no window of the file has the number " + std::to_string(number));
            if (!listed.insert(number).second)
                fail(at.index(i), "window " + std::to_string(number) + " is listed already");
            // Higher levels always lie in front.
            if (i > 0 && levels_[number] > levels_[file_.windowOrder[i - 1]])
                fail(at.index(i), "a window of a higher level than the one before it");
        }
    }

    void checkKeyboard(const Place& root) {
        for (std::size_t i = 0; i < file_.pressedButtons.size(); ++i) {
            if (std::count(file_.pressedButtons.begin(),
                           file_.pressedButtons.begin() + static_cast<std::ptrdiff_t>(i),
                           file_.pressedButtons[i]) > 0) {
                fail(root.key("pressedButtons").index(i), "the button is listed already");
            }
        }
        if (const auto& layout = file_.keyboardLayout.identifier) {
            const auto known = KeyboardLayouts::of(world_).layoutIdentifiers();
            if (std::find(known.begin(), known.end(), *layout) == known.end()) {
                std::vector<std::string_view> names(known.begin(), known.end());
                fail(root.key("keyboardLayout"),
                     "expected " + json_codec::joinedNames(names.data(), names.size()) +
                         ", or null for none");
            }
        }
        const auto& held = file_.hotKeys.held;
        for (std::size_t i = 0; i < held.size(); ++i) {
            if (std::find(held.begin(), held.begin() + static_cast<std::ptrdiff_t>(i), held[i]) !=
                held.begin() + static_cast<std::ptrdiff_t>(i)) {
                fail(root.key("hotKeys").key("held").index(i), "the combination is held already");
            }
        }
    }

    // The service belongs to newer systems: older ones have only the session's list.
    void checkLoginItems(const Place& at) {
        if (file_.systemVersion >= firstServiceVersion)
            return;
        const LoginItemsDescription& items = file_.loginItems;
        const char* const fault = "the system has no login service before version 13";
        if (items.serviceStatus != platform::SMAppServiceStatus::notRegistered)
            fail(at.key("serviceStatus"), fault);
        if (items.registerFailure)
            fail(at.key("registerFailure"), fault);
        if (items.unregisterFailure)
            fail(at.key("unregisterFailure"), fault);
    }

    void checkPid(std::int64_t pid, const Place& at) {
        if (!pids_.insert(pid).second ||
            world_.process(static_cast<platform::ProcessId>(pid)) != nullptr) {
            fail(at, "pid " + std::to_string(pid) + " is taken");
        }
    }

    void checkProcess(const ProcessDescription& process, const Place& at) {
        checkPid(process.pid, at.key("pid"));
        processLayer_ = process.windowOptions.layer;
        checkContents(process.application, at, true);
        // The menu bar follows the application's other children.
        if (process.menuBar && process.menuBar->id)
            checkName(*process.menuBar->id, at.key("menuBar").key("id"));
    }

    void checkStatusItems(const Place& at) {
        for (std::size_t i = 0; i < file_.statusItems.size(); ++i) {
            const StatusItemDescription& item = file_.statusItems[i];
            if (std::none_of(
                    file_.processes.begin(), file_.processes.end(),
                    [&](const ProcessDescription& process) { return process.pid == item.pid; })) {
                fail(at.index(i).key("pid"), "no process of the file has the pid");
            }
            if (item.id)
                checkName(*item.id, at.index(i).key("id"));
        }
    }

    // Each part is of one kind; the names of its elements are the file's.
    void checkParts(const std::vector<WindowPartDescription>& parts, const Place& at) {
        for (std::size_t i = 0; i < parts.size(); ++i) {
            const WindowPartDescription& part = parts[i];
            const Place place = at.index(i);
            const int kinds = int(part.titleBar.has_value()) + int(part.toolbar.has_value()) +
                              int(part.content.has_value()) + int(part.popover.has_value()) +
                              int(part.menu.has_value());
            if (kinds != 1) {
                fail(place, "a part is one of titleBar, toolbar, content, popover or menu");
            }
            const auto name = [&](const std::optional<std::string>& id, const Place& where) {
                if (id)
                    checkName(*id, where);
            };
            if (part.titleBar) {
                const Place bar = place.key("titleBar");
                name(part.titleBar->closeId, bar.key("closeId"));
                name(part.titleBar->minimizeId, bar.key("minimizeId"));
                name(part.titleBar->greenId, bar.key("greenId"));
            }
            if (part.toolbar)
                name(part.toolbar->id, place.key("toolbar").key("id"));
            if (part.content)
                name(part.content->id, place.key("content").key("id"));
            if (part.popover)
                name(part.popover->id, place.key("popover").key("id"));
            if (part.menu)
                name(part.menu->id, place.key("menu").key("id"));
        }
    }

    void checkName(const std::string& name, const Place& at) {
        if (!fileNames_.insert(name).second || names_.isTaken(name))
            fail(at, "the name \"" + name + "\" is taken");
    }

    static bool isFullScreen(const ElementDescription& element) {
        const auto found = element.contents.attributes.find("AXFullScreen");
        if (found == element.contents.attributes.end())
            return false;
        const bool* flag = std::get_if<bool>(&found->second.value);
        return flag != nullptr && *flag;
    }

    void checkContents(const ElementContents& contents, const Place& at, bool isApplication) {
        if (contents.id)
            checkName(*contents.id, at.key("id"));
        for (const auto& [name, value] : contents.attributes) {
            const Place place = at.key("attributes").key(name);
            if (isOneOf(name, treeAttributes))
                fail(place, "the element's own, and cannot be stored");
            collectReferences(value, place);
        }
        for (std::size_t i = 0; i < contents.children.size(); ++i)
            checkElement(contents.children[i], at.key("children").index(i), isApplication);
    }

    void collectReferences(const AttributeValue& value, const Place& at) {
        if (const auto* reference = std::get_if<ElementReference>(&value.value)) {
            if (reference->name)
                references_.emplace_back(*reference->name, at);
        } else if (const auto* items = std::get_if<AttributeValue::Array>(&value.value)) {
            for (std::size_t i = 0; i < items->size(); ++i)
                collectReferences((*items)[i], at.index(i));
        }
    }

    void checkElement(const ElementDescription& element, const Place& at, bool underApplication) {
        if (element.role.empty())
            fail(at.key("role"), "must not be empty");
        const bool isWindow = element.role == WindowNode::role;
        if (isWindow && !underApplication)
            fail(at.key("role"), "a window is a child of its application");
        if (element.window && !isWindow)
            fail(at.key("window"), "only an AXWindow has window fields");
        if (isWindow)
            checkWindow(element, at);
        checkContents(element.contents, at, false);
        // The parts and the tabs come after the window's other children.
        if (element.window) {
            checkParts(element.window->parts, at.key("window").key("parts"));
            const auto& bars = element.window->tabBars;
            for (std::size_t b = 0; b < bars.size(); ++b) {
                const Place tabs = at.key("window").key("tabBars").index(b).key("tabs");
                for (std::size_t t = 0; t < bars[b].tabs.size(); ++t) {
                    if (const auto& id = bars[b].tabs[t].id)
                        checkName(*id, tabs.index(t).key("id"));
                }
            }
        }
    }

    void checkWindow(const ElementDescription& element, const Place& at) {
        const WindowDescription window = element.window.value_or(WindowDescription{});
        const Place fields = at.key("window");
        if (window.number) {
            const auto worldWindows = WindowServer::of(world_).windows();
            levels_[*window.number] = window.layer.value_or(processLayer_);
            if (!windowNumbers_.insert(*window.number).second ||
                std::any_of(
                    worldWindows.begin(), worldWindows.end(),
                    [&](const ServerWindow& other) { return other.number == *window.number; })) {
                fail(fields.key("number"),
                     "window number " + std::to_string(*window.number) + " is taken");
            }
        }
        if (window.frameBeforeFullScreen && !isFullScreen(element))
            fail(fields.key("frameBeforeFullScreen"), "only a window in full screen has one");
        for (std::size_t b = 0; b < window.tabBars.size(); ++b) {
            if (window.tabBars[b].tabs.empty())
                fail(fields.key("tabBars").index(b).key("tabs"), "a tab bar has at least one tab");
        }
        if (window.minimumSize && window.maximumSize &&
            !fitsWithin(*window.minimumSize, std::nullopt, window.maximumSize)) {
            fail(fields.key("maximumSize"), "smaller than the minimum size");
        }
        if (window.space)
            windowSpaces_.emplace_back(*window.space, fields.key("space"));
        for (const auto& [name, value] : element.contents.attributes) {
            const Place place = at.key("attributes").key(name);
            if (const char* fault = windowAttributeFault(name, value))
                fail(place, fault);
            if (name == "AXSize" && !fitsWithin(std::get<platform::CGSize>(value.value),
                                                window.minimumSize, window.maximumSize)) {
                fail(place, "outside the window's minimum and maximum size");
            }
        }
    }

    void checkDock(const DockDescription& dock, const Place& at) {
        checkPid(dock.pid, at.key("pid"));
        for (std::size_t i = 0; i < dock.tiles.size(); ++i) {
            const DockTileDescription& tile = dock.tiles[i];
            const Place place = at.key("tiles").index(i);
            const bool hasTarget =
                tile.kind == DockTileKind::application || tile.kind == DockTileKind::folder;
            for (const auto& [key, value] : {std::pair{"title", &tile.title}, {"url", &tile.url}}) {
                if (hasTarget && !*value)
                    fail(place, std::string("needs \"") + key + "\"");
                if (!hasTarget && *value)
                    fail(place.key(key), "separators and the trash have none");
            }
        }
    }

    void checkSettings(const Place& at) {
        for (const auto& [identifier, entry] : file_.systemSettings.symbolicHotKeys) {
            const Place place = at.key("symbolicHotKeys").key(identifier);
            if (identifier.empty() || identifier.size() > 9 ||
                !std::all_of(identifier.begin(), identifier.end(),
                             [](char c) { return c >= '0' && c <= '9'; })) {
                fail(place, "a hot key's identifier is a decimal number");
            }
            const auto& [character, keyCode, modifiers] = entry.parameters;
            if (character < 0 || character > 0xFFFF)
                fail(place.key("parameters").index(0), "a character is a number from 0 to 65535");
            if (keyCode < 0 || keyCode > 0xFFFF)
                fail(place.key("parameters").index(1), "a key code is a number from 0 to 65535");
            if (modifiers < 0 || modifiers > 0xFFFFFFFF)
                fail(place.key("parameters").index(2), "modifier flags are 32 bits");
        }
        for (const auto& [domain, values] : file_.systemSettings.inputDevices) {
            if (std::find(inputDeviceDomains.begin(), inputDeviceDomains.end(), domain) ==
                inputDeviceDomains.end()) {
                fail(at.key("inputDevices").key(domain), "no pointing device has this domain");
            }
        }
    }

    World& world_;
    const WorldDescription& file_;
    const ElementNames& names_;
    std::set<std::int64_t> pids_;
    std::set<std::string> fileNames_;
    std::set<std::int64_t> windowNumbers_;
    // The level of each numbered window, and of the windows of the process checked now.
    std::map<std::int64_t, std::int64_t> levels_;
    std::int64_t processLayer_ = 0;
    std::set<std::int64_t> spaces_;
    std::vector<std::pair<std::string, Place>> references_;
    std::vector<std::pair<std::int64_t, Place>> windowSpaces_;
};

// Builds what a checked file describes; nothing here can fail.
class Builder {
public:
    Builder(World& world, const WorldDescription& file)
        : world_(world), file_(file), names_(ElementNames::of(world)) {}

    void run() {
        world_.setLatency(file_.latency);
        for (const LatencyRuleDescription& rule : file_.latencyRules) {
            world_.addLatencyRule(
                {.pid = rule.pid ? std::optional(static_cast<platform::ProcessId>(*rule.pid))
                                 : std::nullopt,
                 .kind = rule.kind,
                 .name = rule.name,
                 .seconds = rule.seconds});
        }
        world_.setTrusted(file_.trusted);
        const TimingDescription& times = file_.timing;
        world_.component<Timing>() = {.activation = times.activation,
                                      .termination = times.termination,
                                      .hide = times.hide,
                                      .minimize = times.minimize,
                                      .restore = times.restore,
                                      .fullScreenEnter = times.fullScreenEnter,
                                      .fullScreenExit = times.fullScreenExit};
        world_.component<Tabs>().setDetachLatency(times.tabDetach);
        SystemVersion::of(world_).setVersion(file_.systemVersion);
        world_.setProgramPid(static_cast<platform::ProcessId>(file_.programPid));
        buildDisplays();
        buildInput();
        buildLoginItems();
        for (const auto& [url, identifier] : file_.bundles)
            workspace(world_).installBundle(url, identifier);
        if (file_.programBundle)
            ProgramBundle::of(world_).setPath(*file_.programBundle);
        collectNumbers();
        for (const ProcessDescription& process : file_.processes)
            buildProcess(process);
        buildStatusItems();
        // Every element has its name now.
        for (const auto& [node, attribute, value] : deferred_)
            node->set(attribute, toValue(*value, [&](const ElementReference& reference) {
                          return *names_.elementFor(reference);
                      }));
        if (file_.dock)
            buildDock(*file_.dock);
        buildWindowOrder();
        if (file_.overview == OverviewKind::missionControl)
            Spaces::of(world_).showMissionControl(world_);
        else if (file_.overview == OverviewKind::appExpose)
            Spaces::of(world_).showAppExpose(world_);
    }

private:
    struct Deferred {
        std::shared_ptr<Node> node;
        std::string attribute;
        const AttributeValue* value;
    };

    // The user's hands and what the system does with their input.
    void buildInput() {
        InputDevices& devices = InputDevices::of(world_);
        devices.movePointer(file_.pointer);
        devices.setHeldModifierFlags(
            platform::CGEventFlags(static_cast<std::uint64_t>(file_.modifierFlags)));
        std::uint64_t buttons = 0;
        for (const std::int64_t button : file_.pressedButtons)
            buttons |= std::uint64_t{1} << button;
        devices.setPressedMouseButtons(buttons);
        devices.setEventCreationFails(file_.eventCreationFails);
        Hands::of(world_).setNaturalScrolling(file_.naturalScrolling);
        auto& monitoring = world_.component<InputMonitoringAccess>();
        monitoring.post = file_.inputMonitoring.post;
        monitoring.listen = file_.inputMonitoring.listen;
        KeyboardLayouts::of(world_).selectLayout(file_.keyboardLayout.identifier);
        HotKeys& hotKeys = HotKeys::of(world_);
        for (const HeldHotKeyDescription& held : file_.hotKeys.held) {
            hotKeys.holdCombination({.keyCode = static_cast<std::uint32_t>(held.keyCode),
                                     .modifiers = static_cast<std::uint32_t>(held.modifiers)});
        }
        hotKeys.setInstallEventHandlerFails(file_.hotKeys.installHandlerFails);
        hotKeys.setSymbolicHotKeysUnavailable(file_.hotKeys.symbolicHotKeysUnavailable);
        Cursor& cursor = Cursor::of(world_);
        cursor.setHideCount(file_.cursor.hideCount);
        cursor.setSetsCursorInBackground(file_.cursor.setsCursorInBackground);
    }

    void buildLoginItems() { setLoginItems(world_, file_.loginItems); }

    // The numbers the file gives its windows, which the windows it leaves unnumbered must not get.
    void collectNumbers() {
        const std::function<void(const ElementContents&)> visit = [&](const ElementContents& at) {
            for (const ElementDescription& child : at.children) {
                if (child.window && child.window->number)
                    declaredNumbers_.insert(*child.window->number);
                visit(child.contents);
            }
        };
        for (const ProcessDescription& process : file_.processes)
            visit(process.application);
    }

    // The listed windows in front of the others of their level, in the list's order.
    void buildWindowOrder() {
        WindowServer& server = WindowServer::of(world_);
        const auto windows = server.windows();
        for (auto number = file_.windowOrder.rbegin(); number != file_.windowOrder.rend();
             ++number) {
            const auto found =
                std::find_if(windows.begin(), windows.end(),
                             [&](const ServerWindow& window) { return window.number == *number; });
            if (found != windows.end())
                server.orderFront(*found->node);
        }
    }

    void buildDisplays() {
        if (file_.displays.empty())
            return;
        std::vector<Display> displays;
        std::vector<DisplaySpaces> spaces;
        for (const DisplayDescription& display : file_.displays) {
            displays.push_back({.number = display.number,
                                .uuid = display.uuid,
                                .frame = display.frame,
                                .menuBarHeight = display.menuBarHeight,
                                .dock = display.dock});
            if (display.spaces.empty())
                continue;
            DisplaySpaces entry{.identifier = display.uuid,
                                .current = display.currentSpace.value_or(display.spaces[0].id)};
            for (const SpaceDescription& space : display.spaces)
                entry.spaces.push_back({.id = space.id, .fullScreen = space.fullScreen});
            spaces.push_back(std::move(entry));
        }
        Displays::of(world_).setDisplays(std::move(displays));
        if (file_.mainDisplay)
            Displays::of(world_).setMainDisplay(file_.mainDisplay);
        if (!spaces.empty())
            Spaces::of(world_).setDisplaySpaces(world_, std::move(spaces));
    }

    void buildProcess(const ProcessDescription& description) {
        const auto pid = static_cast<platform::ProcessId>(description.pid);
        Process& process = world_.addProcess(pid, description.bundleIdentifier, description.name);
        // The first process listed is the front-most.
        world_.bringToBack(pid);
        process.hung = description.hung;
        process.pidUnreadable = description.pidUnreadable;
        process.latency = description.latency;
        ApplicationInfo& info = workspace(world_).info(pid);
        info.bundleURL = description.bundleURL;
        info.activationPolicy = description.activationPolicy;
        info.hidden = description.hidden;
        info.refusesTermination = description.refusesTermination;
        const WindowOptionsDescription& options = description.windowOptions;
        process.windowOptions = {.level = static_cast<int>(options.layer),
                                 .clickThrough = options.clickThrough,
                                 .allSpaces = options.allSpaces};
        if (description.enhancedUserInterface) {
            world_.component<EnhancedInterface>().setValue(pid, description.enhancedUserInterface);
        }
        fill(process.application, description.application);
        if (const auto& menuBar = description.menuBar) {
            const MenuBarElements elements = MenuBar::add(world_, pid, menuBar->menus);
            name(menuBar->id, elements.bar);
        }
    }

    void buildStatusItems() {
        for (const StatusItemDescription& item : file_.statusItems) {
            std::shared_ptr<StatusItemSlot> slot;
            if (item.width)
                slot = std::make_shared<StatusItemSlot>(StatusItemSlot{.width = *item.width});
            name(item.id, MenuBar::addStatusItem(world_, static_cast<platform::ProcessId>(item.pid),
                                                 item.title, slot));
        }
    }

    void name(const std::optional<std::string>& id, const std::shared_ptr<Node>& node) {
        if (id && node)
            names_.add(*id, node->element());
    }

    void buildParts(const std::shared_ptr<WindowNode>& window,
                    const std::vector<WindowPartDescription>& parts) {
        for (const WindowPartDescription& part : parts) {
            if (const auto& bar = part.titleBar) {
                const auto buttons = WindowParts::add(world_, window, bar->style);
                name(bar->closeId, buttons[0]);
                name(bar->minimizeId, buttons[1]);
                name(bar->greenId, buttons[2]);
            } else if (part.toolbar) {
                name(part.toolbar->id, WindowParts::add(world_, window, part.toolbar->place)[0]);
            } else if (part.content) {
                name(part.content->id, WindowParts::add(world_, window, part.content->place)[0]);
            } else if (part.popover) {
                name(part.popover->id, WindowParts::add(world_, window, part.popover->place)[0]);
            } else if (part.menu) {
                name(part.menu->id, WindowParts::add(world_, window, part.menu->place)[0]);
            }
        }
    }

    std::shared_ptr<Node> makeElement(platform::ProcessId pid, const ElementDescription& element) {
        if (element.role == WindowNode::role)
            return makeWindow(pid, element.window.value_or(WindowDescription{}));
        if (element.role == ButtonNode::role)
            return world_.makeNode<ButtonNode>(pid);
        return world_.makeNode(pid, element.role);
    }

    std::shared_ptr<WindowNode> makeWindow(platform::ProcessId pid,
                                           const WindowDescription& description) {
        std::int64_t number = 0;
        if (description.number) {
            number = *description.number;
        } else {
            do {
                number = WindowServer::of(world_).allocateNumber();
            } while (declaredNumbers_.contains(number));
        }
        auto window = world_.makeNode<WindowNode>(pid, number,
                                                  WindowLimits{.minimum = description.minimumSize,
                                                               .maximum = description.maximumSize,
                                                               .fixedSize = description.fixedSize});
        if (description.layer)
            window->setLayer(static_cast<int>(*description.layer));
        window->setFrameBeforeFullScreen(description.frameBeforeFullScreen);
        return window;
    }

    // What the window server and the application add to a window once it is in its application.
    void finishWindow(const std::shared_ptr<WindowNode>& window,
                      const WindowDescription& description) {
        // The window server keeps the space of the windows it has.
        if (description.space)
            Spaces::of(world_).placeWindow(window->windowNumber(), *description.space);
        WindowServer& server = WindowServer::of(world_);
        const bool ownOptions = description.clickThrough || description.allSpaces;
        if (const auto placed = ownOptions ? server.window(*window) : std::nullopt) {
            WindowOptions options = placed->options;
            options.clickThrough = description.clickThrough.value_or(options.clickThrough);
            options.allSpaces = description.allSpaces.value_or(options.allSpaces);
            if (!(options == placed->options))
                server.setOptions(*window, options);
        }
        buildParts(window, description.parts);
        for (const TabBarDescription& bar : description.tabBars) {
            std::vector<std::string> titles;
            for (const TabDescription& tab : bar.tabs)
                titles.push_back(tab.title);
            const TabStrip strip =
                Tabs::install(world_).addTabs(world_, window, bar.shape, titles, bar.top);
            for (std::size_t i = 0; i < bar.tabs.size(); ++i) {
                if (bar.tabs[i].id)
                    names_.add(*bar.tabs[i].id, strip.tabs[i]->element());
            }
        }
    }

    void fill(const std::shared_ptr<Node>& node, const ElementContents& contents) {
        if (contents.id)
            names_.add(*contents.id, node->element());
        for (const auto& [name, value] : contents.attributes)
            deferred_.push_back({node, name, &value});
        for (const std::string& name : contents.settable)
            node->setSettable(name);
        if (contents.actions)
            node->setActions(*contents.actions);
        for (const ElementDescription& child : contents.children) {
            auto made = makeElement(node->pid(), child);
            node->appendChild(made);
            fill(made, child.contents);
            if (const auto window = std::dynamic_pointer_cast<WindowNode>(made))
                finishWindow(window, child.window.value_or(WindowDescription{}));
        }
    }

    void buildDock(const DockDescription& description) {
        Dock& dock = Dock::install(world_, static_cast<platform::ProcessId>(description.pid));
        for (const DockTileDescription& tile : description.tiles) {
            switch (tile.kind) {
                case DockTileKind::application:
                    dock.addApplicationTile(world_, *tile.title, *tile.url);
                    break;
                case DockTileKind::folder:
                    dock.addFolderTile(world_, *tile.title, *tile.url);
                    break;
                case DockTileKind::separator:
                    dock.addSeparator(world_);
                    break;
                case DockTileKind::trash:
                    dock.addTrash(world_);
                    break;
            }
        }
        // The tiles of minimised windows follow from the windows.
        for (const ProcessDescription& process : file_.processes) {
            const auto application = std::dynamic_pointer_cast<ApplicationNode>(
                world_.process(static_cast<platform::ProcessId>(process.pid))->application);
            if (!application)
                continue;
            for (const auto& window : application->windows()) {
                if (window->isMinimized())
                    dock.windowMinimized(world_, window);
            }
        }
    }

    World& world_;
    const WorldDescription& file_;
    ElementNames& names_;
    std::vector<Deferred> deferred_;
    std::set<std::int64_t> declaredNumbers_;
};

}  // namespace

void setLoginItems(World& world, const LoginItemsDescription& description) {
    LoginItems& items = LoginItems::of(world);
    const auto error = [](const std::optional<ErrorDescription>& failure) {
        return failure ? platform::makeError(failure->domain, failure->code, failure->description)
                       : nullptr;
    };
    items.setServiceStatus(description.serviceStatus);
    items.injectRegisterFailure(error(description.registerFailure));
    items.injectUnregisterFailure(error(description.unregisterFailure));
    items.setSessionListAvailable(description.sessionListAvailable);
    items.setSnapshotFails(description.snapshotFails);
    for (const SessionLoginItem& item : items.sessionItems())
        items.removeSessionItem(item.identifier);
    for (const SessionLoginItemDescription& item : description.sessionItems)
        items.addSessionItem(item.url, item.properties, item.resolves);
}

void loadWorld(World& world, const Json& file) {
    WorldDescription description;
    try {
        description = parseWorldDescription(file);
        Checker(world, description).run();
    } catch (const json_codec::FormatError& error) {
        throw WorldFileError(error.what());
    }
    // The Dock's side follows from the display that shows the Dock, unless the file says it.
    SystemSettings settings = description.systemSettings;
    for (const DisplayDescription& display : description.displays) {
        if (display.dock && !settings.dockOrientation)
            settings.dockOrientation = display.dock->edge;
    }
    // First, as the one step that can fail: then nothing else has changed.
    try {
        writeSystemSettings(settings);
    } catch (const SystemSettingsError& error) {
        throw WorldFileError(std::string("systemSettings: ") + error.what());
    }
    Builder(world, description).run();
}

}  // namespace zoral::sim

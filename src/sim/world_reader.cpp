// Loading a world file: the file read into a description (world_format.cpp), the description
// checked against itself and against the world it joins, and only then built.

#include <algorithm>
#include <set>
#include <string_view>
#include <vector>

#include "sim/application_node.h"
#include "sim/button_node.h"
#include "sim/displays.h"
#include "sim/dock.h"
#include "sim/element_names.h"
#include "sim/enhanced_interface.h"
#include "sim/input_devices.h"
#include "sim/json_codec.h"
#include "sim/spaces.h"
#include "sim/system_settings.h"
#include "sim/tabs.h"
#include "sim/timing.h"
#include "sim/window_node.h"
#include "sim/workspace.h"
#include "sim/world_file.h"
#include "sim/world_format.h"

namespace zoral::sim {

namespace ax = platform::ax;
using json_codec::fail;
using json_codec::Place;
using platform::Json;

namespace {

// The window numbers handed out in a world.
struct WindowNumbers {
    std::int64_t next = 100;
    std::set<std::int64_t> taken;
};

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
        if (file_.dock)
            checkDock(*file_.dock, root.key("dock"));
        checkSettings(root.key("systemSettings"));
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

    void checkPid(std::int64_t pid, const Place& at) {
        if (!pids_.insert(pid).second ||
            world_.process(static_cast<platform::ProcessId>(pid)) != nullptr) {
            fail(at, "pid " + std::to_string(pid) + " is taken");
        }
    }

    void checkProcess(const ProcessDescription& process, const Place& at) {
        checkPid(process.pid, at.key("pid"));
        checkContents(process.application, at, true);
    }

    void checkContents(const ElementContents& contents, const Place& at, bool isApplication) {
        if (contents.id) {
            if (!fileNames_.insert(*contents.id).second || names_.isTaken(*contents.id))
                fail(at.key("id"), "the name \"" + *contents.id + "\" is taken");
        }
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
    }

    void checkWindow(const ElementDescription& element, const Place& at) {
        const WindowDescription window = element.window.value_or(WindowDescription{});
        const Place fields = at.key("window");
        if (window.number) {
            if (!windowNumbers_.insert(*window.number).second ||
                world_.component<WindowNumbers>().taken.contains(*window.number)) {
                fail(fields.key("number"),
                     "window number " + std::to_string(*window.number) + " is taken");
            }
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
    }

    World& world_;
    const WorldDescription& file_;
    const ElementNames& names_;
    std::set<std::int64_t> pids_;
    std::set<std::string> fileNames_;
    std::set<std::int64_t> windowNumbers_;
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
        world_.setTrusted(file_.trusted);
        Timing& timing = world_.component<Timing>();
        timing.activation = file_.timing.activation;
        timing.termination = file_.timing.termination;
        timing.fullScreenExit = file_.timing.fullScreenExit;
        world_.component<Tabs>().setDetachLatency(file_.timing.tabDetach);
        SystemVersion::of(world_).setVersion(file_.systemVersion);
        buildDisplays();
        InputDevices::of(world_).movePointer(file_.pointer);
        for (const auto& [url, identifier] : file_.bundles)
            workspace(world_).installBundle(url, identifier);
        for (const ProcessDescription& process : file_.processes)
            buildProcess(process);
        // Every element has its name now.
        for (const auto& [node, attribute, value] : deferred_)
            node->set(attribute, toValue(*value, [&](const ElementReference& reference) {
                          return *names_.elementFor(reference);
                      }));
        if (file_.dock)
            buildDock(*file_.dock);
    }

private:
    struct Deferred {
        std::shared_ptr<Node> node;
        std::string attribute;
        const AttributeValue* value;
    };

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
        process.latency = description.latency;
        ApplicationInfo& info = workspace(world_).info(pid);
        info.bundleURL = description.bundleURL;
        info.activationPolicy = description.activationPolicy;
        info.hidden = description.hidden;
        info.refusesTermination = description.refusesTermination;
        if (description.enhancedUserInterface) {
            world_.component<EnhancedInterface>().setValue(pid, description.enhancedUserInterface);
        }
        fill(process.application, description.application);
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
        auto& numbers = world_.component<WindowNumbers>();
        const std::int64_t number = description.number.value_or(numbers.next);
        numbers.taken.insert(number);
        numbers.next = std::max(numbers.next, number + 1);
        auto window = world_.makeNode<WindowNode>(pid, number,
                                                  WindowLimits{.minimum = description.minimumSize,
                                                               .maximum = description.maximumSize,
                                                               .fixedSize = description.fixedSize});
        window->setLayer(static_cast<int>(description.layer));
        if (description.space)
            Spaces::of(world_).placeWindow(number, *description.space);
        return window;
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
};

}  // namespace

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

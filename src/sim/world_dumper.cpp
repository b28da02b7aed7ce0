// Dumping a world: what it is now captured as a description (world_description.h), then written
// in the file's notation (world_format.cpp), so that it loads back into an equal world.

#include <set>
#include <unordered_set>

#include "sim/button_node.h"
#include "sim/dock.h"
#include "sim/element_names.h"
#include "sim/enhanced_interface.h"
#include "sim/input_devices.h"
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
        file.trusted = world_.isTrusted();
        const Timing& timing = world_.component<Timing>();
        file.timing = {.activation = timing.activation,
                       .termination = timing.termination,
                       .fullScreenExit = timing.fullScreenExit,
                       .tabDetach = world_.component<Tabs>().detachLatency()};
        file.systemVersion = SystemVersion::of(world_).version();
        try {
            file.systemSettings = readSystemSettings();
        } catch (const SystemSettingsError& error) {
            throw WorldFileError(std::string("systemSettings: ") + error.what());
        }
        captureDisplays(file);
        file.pointer = InputDevices::of(world_).pointer();

        const Dock* dock = Dock::of(world_);
        std::vector<const Process*> processes;
        for (const platform::ProcessId pid : world_.processIds()) {
            if (dock == nullptr || pid != dock->pid())
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
        if (dock != nullptr)
            file.dock = captureDock(*dock);
        for (const auto& [url, identifier] : workspace(world_).bundles())
            file.bundles.emplace(url, identifier);
        return file;
    }

private:
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

    void collect(const Node& node) {
        held_.insert(node.element());
        for (const auto& child : node.children())
            collect(*child);
    }

    void nameReferenced(const Node& node) {
        for (const std::string& name : node.storedAttributeNames())
            (void)toAttributeValue(*node.stored(name),
                                   [&](ax::Element element) { return referenceTo(element); });
        for (const auto& child : node.children())
            nameReferenced(*child);
    }

    ElementReference referenceTo(ax::Element element) {
        if (!held_.contains(element))
            return {};
        return {names_.nameOf(element)};
    }

    ElementContents captureContents(const Node& node) {
        ElementContents contents;
        contents.id = names_.existingNameOf(node.element());
        for (const std::string& name : node.storedAttributeNames()) {
            contents.attributes.emplace(
                name, toAttributeValue(*node.stored(name),
                                       [&](ax::Element element) { return referenceTo(element); }));
        }
        contents.settable = node.settableAttributes();
        if (node.actions() != defaultActions(node))
            contents.actions = node.actions();
        for (const auto& child : node.children())
            contents.children.push_back(captureElement(*child));
        return contents;
    }

    ElementDescription captureElement(const Node& node) {
        ElementDescription element{.role = node.role(), .contents = captureContents(node)};
        if (const auto* window = dynamic_cast<const WindowNode*>(&node)) {
            const WindowLimits& limits = window->limits();
            // A window whose space has gone is on none.
            auto space = world_.component<Spaces>().spaceOfWindow(window->windowNumber());
            if (space && !spaceIds_.contains(*space))
                space.reset();
            element.window = WindowDescription{.number = window->windowNumber(),
                                               .minimumSize = limits.minimum,
                                               .maximumSize = limits.maximum,
                                               .fixedSize = limits.fixedSize,
                                               .layer = window->layer(),
                                               .space = space};
        }
        return element;
    }

    ProcessDescription captureProcess(const Process& process) {
        const ApplicationInfo info = workspace(world_).infoOf(process.pid);
        return {.pid = process.pid,
                .bundleIdentifier = process.bundleIdentifier,
                .name = process.name,
                .hung = process.hung,
                .latency = process.latency,
                .bundleURL = info.bundleURL,
                .activationPolicy = info.activationPolicy,
                .hidden = info.hidden,
                .refusesTermination = info.refusesTermination,
                .enhancedUserInterface = world_.component<EnhancedInterface>().value(process.pid),
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
    return formatWorldDescription(Capture(world).run());
}

}  // namespace zoral::sim

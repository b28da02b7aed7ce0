#include "sim/world_file.h"

#include <algorithm>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "sim/application_node.h"
#include "sim/button_node.h"
#include "sim/displays.h"
#include "sim/dock.h"
#include "sim/input_devices.h"
#include "sim/timing.h"
#include "sim/window_node.h"
#include "sim/workspace.h"

namespace zoral::sim {

namespace ax = platform::ax;
using platform::Json;

namespace {

// The names of elements, both ways, kept with the world.
struct ElementNames {
    std::map<std::string, ax::Element> byName;
    std::map<std::uint64_t, std::string> byElement;

    void add(const std::string& name, ax::Element element) {
        byName[name] = element;
        byElement[element.identifier()] = name;
    }
};

[[noreturn]] void fail(const std::string& where, const std::string& what) {
    throw WorldFileError(where.empty() ? what : where + ": " + what);
}
void require(bool condition, const std::string& where, const std::string& what) {
    if (!condition)
        fail(where, what);
}
double number(const Json& json, const std::string& where) {
    require(json.is_number(), where, "expected a number");
    return json.get<double>();
}
bool boolean(const Json& json, const std::string& where) {
    require(json.is_boolean(), where, "expected true or false");
    return json.get<bool>();
}
std::string text(const Json& json, const std::string& where) {
    require(json.is_string(), where, "expected a string");
    return json.get<std::string>();
}
std::vector<double> numbers(const Json& json, std::size_t count, const std::string& where) {
    require(json.is_array() && json.size() == count, where,
            "expected an array of " + std::to_string(count) + " numbers");
    std::vector<double> result;
    for (std::size_t i = 0; i < count; ++i)
        result.push_back(number(json[i], where));
    return result;
}

ax::Value parseValue(const Json& json, const std::string& where) {
    if (json.is_string())
        return ax::Value(json.get<std::string>());
    if (json.is_boolean())
        return ax::Value(json.get<bool>());
    if (json.is_number_integer()) {
        require(!json.is_number_unsigned() || json.get<std::uint64_t>() <= INT64_MAX, where,
                "integer out of range");
        return ax::Value(json.get<std::int64_t>());
    }
    if (json.is_number())
        return ax::Value(json.get<double>());
    if (json.is_array()) {
        ax::Value::Array items;
        for (std::size_t i = 0; i < json.size(); ++i) {
            const Json& item = json[i];
            require(!(item.is_object() && item.contains("element")), where,
                    "element references inside arrays are not supported");
            items.push_back(parseValue(item, where + "[" + std::to_string(i) + "]"));
        }
        return ax::Value(std::move(items));
    }
    require(json.is_object() && json.size() == 1, where,
            "expected a value, or an object with one of point, size, rect, range, url, "
            "element, error");
    // The key is copied: the items view is a temporary.
    const std::string kind = json.begin().key();
    const Json& body = json.begin().value();
    const std::string place = where + "." + kind;
    if (kind == "point") {
        const auto v = numbers(body, 2, place);
        return ax::Value(platform::CGPoint{v[0], v[1]});
    }
    if (kind == "size") {
        const auto v = numbers(body, 2, place);
        return ax::Value(platform::CGSize{v[0], v[1]});
    }
    if (kind == "rect") {
        const auto v = numbers(body, 4, place);
        return ax::Value(platform::CGRect(v[0], v[1], v[2], v[3]));
    }
    if (kind == "range") {
        require(body.is_array() && body.size() == 2 && body[0].is_number_integer() &&
                    body[1].is_number_integer(),
                place, "expected two integers");
        return ax::Value(ax::Range{body[0].get<std::int64_t>(), body[1].get<std::int64_t>()});
    }
    if (kind == "url")
        return ax::Value(ax::Url{text(body, place)});
    if (kind == "error") {
        require(body.is_number_integer(), place, "expected an integer code");
        const auto code = body.get<std::int64_t>();
        require(code >= INT32_MIN && code <= INT32_MAX, place, "code out of range");
        return ax::Value(ax::ErrorValue{static_cast<ax::Error>(code)});
    }
    fail(where, "unknown value kind \"" + kind + "\"");
}

constexpr const char* activationPolicyNames[] = {"regular", "accessory", "prohibited"};

// The window numbers handed out in a world.
struct WindowNumbers {
    std::int64_t next = 100;
    std::set<std::int64_t> taken;
};

// Where in the file a fault lies, for the error message.
class Reader {
public:
    explicit Reader(World& world) : world_(world), names_(world.component<ElementNames>()) {}

    void load(const Json& file) {
        require(file.is_object(), "", "a world is a JSON object");
        if (auto latency = file.find("latency"); latency != file.end()) {
            world_.setLatency(number(*latency, "latency"));
        }
        if (auto trusted = file.find("trusted"); trusted != file.end()) {
            world_.setTrusted(boolean(*trusted, "trusted"));
        }
        if (auto processes = file.find("processes"); processes != file.end()) {
            require(processes->is_array(), "processes", "expected an array");
            for (std::size_t i = 0; i < processes->size(); ++i) {
                loadProcess((*processes)[i], "processes[" + std::to_string(i) + "]");
            }
        }
        if (auto displays = file.find("displays"); displays != file.end()) {
            require(displays->is_array(), "displays", "expected an array");
            std::vector<Display> loaded;
            for (std::size_t i = 0; i < displays->size(); ++i) {
                loaded.push_back(
                    loadDisplay((*displays)[i], "displays[" + std::to_string(i) + "]"));
            }
            Displays::of(world_).setDisplays(std::move(loaded));
        }
        if (auto main = file.find("mainDisplay"); main != file.end()) {
            require(main->is_number_integer(), "mainDisplay", "expected a display number");
            Displays::of(world_).setMainDisplay(main->get<std::int64_t>());
        }
        if (auto pointer = file.find("pointer"); pointer != file.end()) {
            const auto at = numbers(*pointer, 2, "pointer");
            InputDevices::of(world_).movePointer({at[0], at[1]});
        }
        if (auto timing = file.find("timing"); timing != file.end()) {
            require(timing->is_object(), "timing", "expected an object");
            Timing& latencies = world_.component<Timing>();
            const std::pair<const char*, double*> fields[] = {
                {"activation", &latencies.activation},
                {"termination", &latencies.termination},
                {"fullScreenExit", &latencies.fullScreenExit},
            };
            for (auto entry = timing->begin(); entry != timing->end(); ++entry) {
                const std::string name = entry.key();
                const auto field = std::find_if(std::begin(fields), std::end(fields),
                                                [&](const auto& f) { return name == f.first; });
                require(field != std::end(fields), "timing." + name, "unknown latency");
                *field->second = number(entry.value(), "timing." + name);
            }
        }
        if (auto bundles = file.find("bundles"); bundles != file.end()) {
            require(bundles->is_object(), "bundles", "expected an object of URL to identifier");
            for (const auto& [url, identifier] : bundles->items()) {
                workspace(world_).installBundle(url, text(identifier, "bundles." + url));
            }
        }
        if (auto dock = file.find("dock"); dock != file.end())
            loadDock(*dock);
        // References are resolved once every element has its name.
        for (auto& [node, attribute, name, where] : references_) {
            auto found = names_.byName.find(name);
            require(found != names_.byName.end(), where, "no element is named \"" + name + "\"");
            node->set(attribute, ax::Value(found->second));
        }
    }

private:
    struct Reference {
        std::shared_ptr<Node> node;
        std::string attribute;
        std::string name;
        std::string where;
    };

    static Display loadDisplay(const Json& json, const std::string& where) {
        require(json.is_object(), where, "a display is a JSON object");
        Display display;
        if (auto number = json.find("number"); number != json.end()) {
            require(number->is_number_integer(), where + ".number", "expected an integer");
            display.number = number->get<std::int64_t>();
        }
        if (auto uuid = json.find("uuid"); uuid != json.end()) {
            display.uuid = text(*uuid, where + ".uuid");
        }
        const auto frame = json.find("frame");
        require(frame != json.end(), where, "needs a \"frame\"");
        const auto f = numbers(*frame, 4, where + ".frame");
        display.frame = platform::CGRect(f[0], f[1], f[2], f[3]);
        if (auto menuBar = json.find("menuBarHeight"); menuBar != json.end()) {
            display.menuBarHeight = number(*menuBar, where + ".menuBarHeight");
        }
        if (auto dock = json.find("dock"); dock != json.end()) {
            const std::string place = where + ".dock";
            require(dock->is_object(), place, "expected an object");
            const auto edge = dock->find("edge");
            require(edge != dock->end(), place, "needs an \"edge\"");
            const std::string side = text(*edge, place + ".edge");
            DockInset inset;
            if (side == "bottom") {
                inset.edge = DockEdge::bottom;
            } else if (side == "left") {
                inset.edge = DockEdge::left;
            } else if (side == "right") {
                inset.edge = DockEdge::right;
            } else {
                fail(place + ".edge", "expected bottom, left or right");
            }
            const auto thickness = dock->find("thickness");
            require(thickness != dock->end(), place, "needs a \"thickness\"");
            inset.thickness = number(*thickness, place + ".thickness");
            display.dock = inset;
        }
        return display;
    }

    // {"pid": 90, "tiles": [{"kind": "application", "title": "Editor", "url": "file:///..."},
    //  {"kind": "folder", "title": "Downloads", "url": "..."}, {"kind": "separator"},
    //  {"kind": "trash"}]}; the tiles of minimised windows follow from the windows.
    void loadDock(const Json& json) {
        require(json.is_object(), "dock", "expected an object");
        platform::ProcessId pid = Dock::defaultPid;
        if (auto given = json.find("pid"); given != json.end()) {
            require(given->is_number_integer() && given->get<std::int64_t>() > 0 &&
                        given->get<std::int64_t>() <= INT32_MAX,
                    "dock.pid", "expected a positive process id");
            pid = given->get<platform::ProcessId>();
        }
        require(world_.process(pid) == nullptr, "dock.pid",
                "pid " + std::to_string(pid) + " is taken");
        Dock& dock = Dock::install(world_, pid);
        if (auto tiles = json.find("tiles"); tiles != json.end()) {
            require(tiles->is_array(), "dock.tiles", "expected an array");
            for (std::size_t i = 0; i < tiles->size(); ++i) {
                const Json& tile = (*tiles)[i];
                const std::string where = "dock.tiles[" + std::to_string(i) + "]";
                require(tile.is_object() && tile.contains("kind"), where, "needs a \"kind\"");
                const std::string kind = text(tile["kind"], where + ".kind");
                const auto field = [&](const char* name) {
                    require(tile.contains(name), where, std::string("needs a \"") + name + "\"");
                    return text(tile[name], where + "." + name);
                };
                if (kind == "application") {
                    dock.addApplicationTile(world_, field("title"), field("url"));
                } else if (kind == "folder") {
                    dock.addFolderTile(world_, field("title"), field("url"));
                } else if (kind == "separator") {
                    dock.addSeparator(world_);
                } else if (kind == "trash") {
                    dock.addTrash(world_);
                } else {
                    fail(where + ".kind", "expected application, folder, separator or trash");
                }
            }
        }
        for (platform::ProcessId owner : world_.processIds()) {
            auto application =
                std::dynamic_pointer_cast<ApplicationNode>(world_.process(owner)->application);
            if (!application)
                continue;
            for (const auto& window : application->windows()) {
                if (window->isMinimized())
                    dock.windowMinimized(world_, window);
            }
        }
    }

    void loadProcess(const Json& json, const std::string& where) {
        require(json.is_object(), where, "a process is a JSON object");
        const auto pidField = json.find("pid");
        require(pidField != json.end() && pidField->is_number_integer(), where,
                "needs an integer \"pid\"");
        const auto pid = pidField->get<std::int64_t>();
        require(pid > 0 && pid <= INT32_MAX, where, "\"pid\" must be a positive process id");
        require(world_.process(static_cast<platform::ProcessId>(pid)) == nullptr, where,
                "pid " + std::to_string(pid) + " appears twice");
        const auto field = [&](const char* name) {
            auto found = json.find(name);
            return found == json.end() ? std::string() : text(*found, where + "." + name);
        };
        Process& process = world_.addProcess(static_cast<platform::ProcessId>(pid),
                                             field("bundleIdentifier"), field("name"));
        // The first process listed is the front-most.
        world_.bringToBack(process.pid);
        if (auto hung = json.find("hung"); hung != json.end()) {
            process.hung = boolean(*hung, where + ".hung");
        }
        if (auto latency = json.find("latency"); latency != json.end()) {
            process.latency = number(*latency, where + ".latency");
        }
        ApplicationInfo& info = workspace(world_).info(process.pid);
        if (auto url = json.find("bundleURL"); url != json.end()) {
            info.bundleURL = text(*url, where + ".bundleURL");
        }
        if (auto policy = json.find("activationPolicy"); policy != json.end()) {
            const std::string name = text(*policy, where + ".activationPolicy");
            const auto found =
                std::find(std::begin(activationPolicyNames), std::end(activationPolicyNames), name);
            require(found != std::end(activationPolicyNames), where + ".activationPolicy",
                    "expected regular, accessory or prohibited");
            info.activationPolicy =
                static_cast<platform::ActivationPolicy>(found - std::begin(activationPolicyNames));
        }
        if (auto hidden = json.find("hidden"); hidden != json.end()) {
            info.hidden = boolean(*hidden, where + ".hidden");
        }
        if (auto refuses = json.find("refusesTermination"); refuses != json.end()) {
            info.refusesTermination = boolean(*refuses, where + ".refusesTermination");
        }
        loadContents(process.application, json, where);
    }

    // A window's own fields: {"number": 34, "minimumSize": [w, h], "maximumSize": [w, h],
    // "fixedSize": true, "layer": 0}, each optional; numbers are handed out when absent.
    std::shared_ptr<WindowNode> loadWindow(platform::ProcessId pid, const Json& json,
                                           const std::string& where) {
        auto& allocated = world_.component<WindowNumbers>();
        std::int64_t number = allocated.next;
        WindowLimits limits;
        int layer = 0;
        if (auto window = json.find("window"); window != json.end()) {
            const std::string place = where + ".window";
            require(window->is_object(), place, "expected an object");
            if (auto given = window->find("number"); given != window->end()) {
                require(given->is_number_integer() && given->get<std::int64_t>() > 0,
                        place + ".number", "expected a positive integer");
                number = given->get<std::int64_t>();
            }
            const auto size = [&](const char* name) -> std::optional<platform::CGSize> {
                auto found = window->find(name);
                if (found == window->end())
                    return std::nullopt;
                const auto v = numbers(*found, 2, place + "." + name);
                return platform::CGSize{v[0], v[1]};
            };
            limits.minimum = size("minimumSize");
            limits.maximum = size("maximumSize");
            if (auto fixed = window->find("fixedSize"); fixed != window->end()) {
                limits.fixedSize = boolean(*fixed, place + ".fixedSize");
            }
            if (auto given = window->find("layer"); given != window->end()) {
                require(given->is_number_integer(), place + ".layer", "expected an integer");
                layer = given->get<int>();
            }
        }
        require(allocated.taken.insert(number).second, where,
                "window number " + std::to_string(number) + " appears twice");
        allocated.next = std::max(allocated.next, number + 1);
        auto window = world_.makeNode<WindowNode>(pid, number, limits);
        window->setLayer(layer);
        return window;
    }

    void loadElement(const std::shared_ptr<Node>& parent, const Json& json,
                     const std::string& where) {
        require(json.is_object(), where, "an element is a JSON object");
        const auto role = json.find("role");
        require(role != json.end(), where, "needs a \"role\"");
        const std::string roleName = text(*role, where + ".role");
        std::shared_ptr<Node> node;
        if (roleName == WindowNode::role) {
            node = loadWindow(parent->pid(), json, where);
        } else if (roleName == ButtonNode::role) {
            node = world_.makeNode<ButtonNode>(parent->pid());
        } else {
            node = world_.makeNode(parent->pid(), roleName);
        }
        parent->appendChild(node);
        loadContents(node, json, where);
    }

    void loadContents(const std::shared_ptr<Node>& node, const Json& json,
                      const std::string& where) {
        if (auto id = json.find("id"); id != json.end()) {
            const std::string name = text(*id, where + ".id");
            require(!names_.byName.contains(name), where + ".id",
                    "the name \"" + name + "\" is taken");
            names_.add(name, node->element());
        }
        if (auto attributes = json.find("attributes"); attributes != json.end()) {
            require(attributes->is_object(), where + ".attributes", "expected an object");
            for (const auto& [name, value] : attributes->items()) {
                const std::string place = where + ".attributes." + name;
                if (value.is_object() && value.size() == 1 && value.contains("element")) {
                    references_.push_back({node, name, text(value["element"], place), place});
                } else {
                    node->set(name, parseValue(value, place));
                }
            }
        }
        if (auto settable = json.find("settable"); settable != json.end()) {
            require(settable->is_array(), where + ".settable", "expected an array");
            for (const auto& name : *settable)
                node->setSettable(text(name, where + ".settable"));
        }
        if (auto actions = json.find("actions"); actions != json.end()) {
            require(actions->is_array(), where + ".actions", "expected an array");
            std::vector<std::string> names;
            for (const auto& name : *actions)
                names.push_back(text(name, where + ".actions"));
            node->setActions(std::move(names));
        }
        if (auto children = json.find("children"); children != json.end()) {
            require(children->is_array(), where + ".children", "expected an array");
            for (std::size_t i = 0; i < children->size(); ++i) {
                loadElement(node, (*children)[i], where + ".children[" + std::to_string(i) + "]");
            }
        }
    }

    World& world_;
    ElementNames& names_;
    std::vector<Reference> references_;
};

}  // namespace

Json valueToJson(World& world, const ax::Value& value) {
    return std::visit(
        [&](const auto& v) -> Json {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, std::string> || std::is_same_v<T, bool> ||
                          std::is_same_v<T, std::int64_t> || std::is_same_v<T, double>) {
                return Json(v);
            } else if constexpr (std::is_same_v<T, platform::CGPoint>) {
                return Json{{"point", {v.x, v.y}}};
            } else if constexpr (std::is_same_v<T, platform::CGSize>) {
                return Json{{"size", {v.width, v.height}}};
            } else if constexpr (std::is_same_v<T, platform::CGRect>) {
                return Json{{"rect", {v.origin.x, v.origin.y, v.size.width, v.size.height}}};
            } else if constexpr (std::is_same_v<T, ax::Range>) {
                return Json{{"range", {v.location, v.length}}};
            } else if constexpr (std::is_same_v<T, ax::Url>) {
                return Json{{"url", v.text}};
            } else if constexpr (std::is_same_v<T, ax::Element>) {
                return Json{{"element", elementName(world, v)}};
            } else if constexpr (std::is_same_v<T, ax::ErrorValue>) {
                return Json{{"error", static_cast<std::int32_t>(v.code)}};
            } else {
                Json items = Json::array();
                for (const ax::Value& item : v)
                    items.push_back(valueToJson(world, item));
                return items;
            }
        },
        value.storage());
}

namespace {

void dumpContents(World& world, const Node& node, Json& json) {
    auto& names = world.component<ElementNames>();
    if (auto name = names.byElement.find(node.element().identifier());
        name != names.byElement.end()) {
        json["id"] = name->second;
    }
    Json attributes = Json::object();
    for (const std::string& name : node.storedAttributeNames()) {
        attributes[name] = valueToJson(world, *node.stored(name));
    }
    if (!attributes.empty())
        json["attributes"] = std::move(attributes);
    if (!node.settableAttributes().empty())
        json["settable"] = node.settableAttributes();
    if (!node.actions().empty())
        json["actions"] = node.actions();
    if (!node.children().empty()) {
        Json children = Json::array();
        for (const auto& child : node.children()) {
            Json element = {{"role", child->role()}};
            if (const auto* window = dynamic_cast<const WindowNode*>(child.get())) {
                Json fields = {{"number", window->windowNumber()}};
                const WindowLimits& limits = window->limits();
                if (limits.minimum) {
                    fields["minimumSize"] = {limits.minimum->width, limits.minimum->height};
                }
                if (limits.maximum) {
                    fields["maximumSize"] = {limits.maximum->width, limits.maximum->height};
                }
                if (limits.fixedSize)
                    fields["fixedSize"] = true;
                if (window->layer() != 0)
                    fields["layer"] = window->layer();
                element["window"] = std::move(fields);
            }
            dumpContents(world, *child, element);
            children.push_back(std::move(element));
        }
        json["children"] = std::move(children);
    }
}

}  // namespace

void loadWorld(World& world, const Json& file) {
    Reader(world).load(file);
}

void loadWorldFile(World& world, const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw WorldFileError(path.string() + ": cannot be read");
    std::stringstream buffer;
    buffer << in.rdbuf();
    auto decoded = platform::decodeJson(buffer.str());
    if (!decoded.ok())
        throw WorldFileError(path.string() + ": " + decoded.error.value_or("?"));
    try {
        loadWorld(world, *decoded.value);
    } catch (const WorldFileError& error) {
        throw WorldFileError(path.string() + ": " + error.what());
    }
}

Json dumpWorld(World& world) {
    Json file = Json::object();
    file["latency"] = world.latency();
    file["trusted"] = world.isTrusted();
    Json processes = Json::array();
    const Dock* dock = Dock::of(world);
    for (platform::ProcessId pid : world.processIds()) {
        if (dock != nullptr && pid == dock->pid())
            continue;
        const Process& process = *world.process(pid);
        Json json = {{"pid", process.pid},
                     {"bundleIdentifier", process.bundleIdentifier},
                     {"name", process.name}};
        if (process.hung)
            json["hung"] = true;
        const ApplicationInfo info = workspace(world).infoOf(pid);
        if (info.bundleURL)
            json["bundleURL"] = *info.bundleURL;
        if (info.activationPolicy != platform::ActivationPolicy::regular) {
            json["activationPolicy"] =
                activationPolicyNames[static_cast<std::size_t>(info.activationPolicy)];
        }
        if (info.hidden)
            json["hidden"] = true;
        if (info.refusesTermination)
            json["refusesTermination"] = true;
        if (process.latency)
            json["latency"] = *process.latency;
        dumpContents(world, *process.application, json);
        processes.push_back(std::move(json));
    }
    file["processes"] = std::move(processes);
    if (dock != nullptr) {
        Json tiles = Json::array();
        for (const auto& child : dock->list()->children()) {
            const auto* subrole = child->stored("AXSubrole");
            const std::string kind = subrole ? *subrole->getIf<std::string>() : "";
            const auto title = [&] {
                const ax::Value* value = child->stored("AXTitle");
                return value ? *value->getIf<std::string>() : std::string();
            };
            const auto url = [&] {
                const ax::Value* value = child->stored("AXURL");
                return value ? value->getIf<ax::Url>()->text : std::string();
            };
            if (kind == "AXApplicationDockItem") {
                tiles.push_back({{"kind", "application"}, {"title", title()}, {"url", url()}});
            } else if (kind == "AXFolderDockItem") {
                tiles.push_back({{"kind", "folder"}, {"title", title()}, {"url", url()}});
            } else if (kind == "AXSeparatorDockItem") {
                tiles.push_back({{"kind", "separator"}});
            } else if (kind == "AXTrashDockItem") {
                tiles.push_back({{"kind", "trash"}});
            }
        }
        file["dock"] = {{"pid", dock->pid()}, {"tiles", std::move(tiles)}};
    }
    const Timing& timing = world.component<Timing>();
    file["timing"] = {{"activation", timing.activation},
                      {"termination", timing.termination},
                      {"fullScreenExit", timing.fullScreenExit}};
    Json displays = Json::array();
    for (const Display& display : Displays::of(world).displays()) {
        Json json = Json::object();
        if (display.number)
            json["number"] = *display.number;
        if (!display.uuid.empty())
            json["uuid"] = display.uuid;
        const platform::CGRect& f = display.frame;
        json["frame"] = {f.origin.x, f.origin.y, f.size.width, f.size.height};
        if (display.menuBarHeight != 0)
            json["menuBarHeight"] = display.menuBarHeight;
        if (display.dock) {
            static constexpr const char* edges[] = {"bottom", "left", "right"};
            json["dock"] = {{"edge", edges[static_cast<int>(display.dock->edge)]},
                            {"thickness", display.dock->thickness}};
        }
        displays.push_back(std::move(json));
    }
    if (!displays.empty())
        file["displays"] = std::move(displays);
    const platform::CGPoint pointer = InputDevices::of(world).pointer();
    file["pointer"] = {pointer.x, pointer.y};
    return file;
}

ax::Value valueFromJson(World& world, const Json& json) {
    if (json.is_object() && json.size() == 1 && json.contains("element")) {
        const std::string name = text(json["element"], "element");
        const auto element = elementNamed(world, name);
        require(element.has_value(), "element", "no element is named \"" + name + "\"");
        return ax::Value(*element);
    }
    return parseValue(json, "value");
}

std::optional<ax::Element> elementNamed(World& world, const std::string& name) {
    const auto& names = world.component<ElementNames>();
    auto found = names.byName.find(name);
    if (found == names.byName.end())
        return std::nullopt;
    return found->second;
}

std::string elementName(World& world, ax::Element element) {
    auto& names = world.component<ElementNames>();
    if (auto found = names.byElement.find(element.identifier()); found != names.byElement.end()) {
        return found->second;
    }
    std::string name = "element-" + std::to_string(element.identifier());
    names.add(name, element);
    return name;
}

}  // namespace zoral::sim

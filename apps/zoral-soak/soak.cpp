#include "soak.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <utility>

#include <malloc.h>

#include "engine/input/engine.h"
#include "engine/input/zoral_core.h"
#include "engine/windows/snapped_windows.h"
#include "platform/events.h"
#include "sim/application_node.h"
#include "sim/cursor.h"
#include "sim/displays.h"
#include "sim/dock.h"
#include "sim/input_devices.h"
#include "sim/journal.h"
#include "sim/program_windows.h"
#include "sim/spaces.h"
#include "sim/tabs.h"
#include "sim/window_node.h"
#include "sim/window_server.h"
#include "sim/world.h"
#include "sim/world_file.h"

namespace zoral::soak {

namespace {

using platform::CGEventFlags;
using platform::CGPoint;
using platform::CGRect;
using platform::Json;
using platform::ProcessId;

// --- The worlds

constexpr ProcessId firstPid = 501;
constexpr ProcessId dockPid = 90;

struct DisplayShape {
    std::int64_t number;
    const char* uuid;
    CGRect frame;  // bottom-left, as world files write it
    bool dock;
};

// The laptop (primary, with the Dock), an external display to its right, a little higher, and one
// to its left, lower.
constexpr DisplayShape laptop{1, "SOAK-DISPLAY-1", {0, 0, 1440, 900}, true};
constexpr DisplayShape external{2, "SOAK-DISPLAY-2", {1440, -180, 1920, 1080}, false};
constexpr DisplayShape left{3, "SOAK-DISPLAY-3", {-1280, 0, 1280, 800}, false};
constexpr double menuBarHeight = 25;
constexpr double dockThickness = 70;

Json displayJson(const DisplayShape& shape) {
    Json display{
        {"number", shape.number},
        {"uuid", shape.uuid},
        {"frame",
         {shape.frame.minX(), shape.frame.minY(), shape.frame.width(), shape.frame.height()}},
        {"menuBarHeight", menuBarHeight}};
    if (shape.dock)
        display["dock"] = {{"edge", "bottom"}, {"thickness", dockThickness}};
    return display;
}

// The display's visible frame in top-left coordinates (the laptop is 900 high).
CGRect visibleTopLeft(const DisplayShape& shape) {
    const double top = laptop.frame.height() - shape.frame.maxY() + menuBarHeight;
    const double bottomInset = shape.dock ? dockThickness : 0;
    return {shape.frame.minX(), top, shape.frame.width(),
            shape.frame.height() - menuBarHeight - bottomInset};
}

Json point(CGPoint at) {
    return Json::array({at.x, at.y});
}

// --- The gestures

constexpr int keyW = 13;
constexpr int keyQ = 12;
const std::vector<int> hotkeyKeys{123, 124, 125, 126, 115, 119, 116, 121, 6};
const std::vector<std::vector<std::string>> hotkeyModifiers{
    {"fn"}, {"control", "option"}, {"command", "option"}, {"fn", "shift"}, {"control"}};
const std::vector<std::string> modifierNames{"shift", "control", "option", "command", "fn"};
const std::vector<std::string> tooltipSettings{"tooltipShow", "tooltipLive", "tooltipHideCursor"};

struct OnScreenWindow {
    std::shared_ptr<sim::WindowNode> node;
    ProcessId pid = 0;
    std::string name;
    CGRect frame;
};

bool isApplication(sim::World& world, ProcessId pid) {
    return pid != world.programPid() && pid != dockPid;
}

// Calls visit(pid, window) for every window of the applications that is not destroyed.
template <class Visit>
void forEachWindow(sim::World& world, Visit&& visit) {
    for (const ProcessId pid : world.processIds()) {
        const sim::Process* process = world.process(pid);
        if (process == nullptr || !isApplication(world, pid))
            continue;
        const auto application =
            std::dynamic_pointer_cast<sim::ApplicationNode>(process->application);
        if (!application)
            continue;
        for (const auto& window : application->windows()) {
            if (!window->isDestroyed())
                visit(pid, window);
        }
    }
}

std::vector<OnScreenWindow> windowsOf(sim::World& world) {
    std::vector<OnScreenWindow> found;
    forEachWindow(world, [&](ProcessId pid, const std::shared_ptr<sim::WindowNode>& window) {
        if (window->isMinimized() || !window->frame())
            return;
        found.push_back(
            {window, pid, sim::elementName(world, window->element()), *window->frame()});
    });
    return found;
}

std::vector<ProcessId> applications(sim::World& world) {
    std::vector<ProcessId> found;
    for (const ProcessId pid : world.processIds()) {
        if (isApplication(world, pid))
            found.push_back(pid);
    }
    return found;
}

CGPoint titleBarPoint(Random& random, const CGRect& frame) {
    return {frame.midX() + random.uniform(-frame.width() / 3, frame.width() / 3),
            frame.minY() + random.uniform(4, 20)};
}

// A point somewhere on one of the displays.
CGPoint anywhere(Random& random, sim::World& world) {
    const auto displays = sim::Displays::of(world).displays();
    const auto& display = displays[static_cast<std::size_t>(
        random.between(0, static_cast<int>(displays.size()) - 1))];
    const CGRect frame = *sim::Displays::of(world).topLeftFrame(display.uuid);
    return {random.uniform(frame.minX(), frame.maxX() - 1),
            random.uniform(frame.minY(), frame.maxY() - 1)};
}

Json scrollStroke(Random& random) {
    Json moves = Json::array();
    const int count = random.chance(0.7) ? 1 : random.between(2, 3);
    for (int i = 0; i < count; ++i) {
        const double distance = random.uniform(30, 400);
        CGPoint travel;
        switch (random.between(0, 4)) {
            case 0:
                travel = {distance, 0};
                break;
            case 1:
                travel = {-distance, 0};
                break;
            case 2:
                travel = {0, distance};
                break;
            case 3:
                travel = {0, -distance};
                break;
            default:
                travel = {random.uniform(-distance, distance), random.uniform(-distance, distance)};
                break;
        }
        Json move{{"travel", point(travel)}, {"events", random.between(2, 12)}};
        if (random.chance(0.3))
            move["holdAfter"] = random.uniform(0, 0.8);
        moves.push_back(std::move(move));
    }
    Json stroke{{"moves", std::move(moves)}};
    if (random.chance(0.3))
        stroke["restBefore"] = random.uniform(0.02, 0.7);
    if (random.chance(0.5))
        stroke["momentum"] = random.between(1, 10);
    if (random.chance(0.05))
        stroke["mouse"] = true;
    return Json{{"scroll", std::move(stroke)}};
}

Json pinchStroke(Random& random) {
    Json magnifications = Json::array();
    const double sign = random.chance(0.5) ? 1 : -1;
    for (int i = random.between(1, 8); i > 0; --i)
        magnifications.push_back(sign * random.uniform(0, 0.1));
    return Json{{"pinch", {{"magnifications", std::move(magnifications)}}}};
}

Json modifiersStep(const std::vector<std::string>& flags) {
    return Json{{"modifiers", {{"flags", flags}}}};
}

// What happens to the world while the gesture runs: at most one fault, at a moment within the
// gesture's first half second.
void addFault(Random& random, sim::World& world, Gesture& gesture) {
    const double in = random.uniform(0, 0.5);
    const auto meanwhile = [&](Json what, double at) {
        what["in"] = at;
        gesture.steps.push_back(Json{{"meanwhile", std::move(what)}});
    };
    const auto apps = applications(world);
    const auto windows = windowsOf(world);
    const std::string kind = random.pick(faultKinds);
    if (kind == "hang" && !apps.empty()) {
        const ProcessId pid = random.pick(apps);
        meanwhile({{"hang", pid}}, in);
        meanwhile({{"unhang", pid}}, in + random.uniform(0.5, 12));
    } else if (kind == "quit" && apps.size() > 1) {
        const ProcessId pid = random.pick(apps);
        meanwhile({{"quit", pid}}, in);
        gesture.quitProcesses.insert(pid);
    } else if (kind == "close" && !windows.empty()) {
        const auto& window = random.pick(windows);
        meanwhile({{"close", window.name}}, in);
        gesture.closedWindows.insert(window.name);
    } else if (kind == "removeDisplay" || kind == "addDisplay") {
        const auto present = sim::Displays::of(world).displays();
        std::vector<Json> removable;
        std::vector<Json> addable;
        for (const Json& display : removableDisplays()) {
            const bool shown = std::any_of(present.begin(), present.end(), [&](const auto& d) {
                return d.number == display["number"].get<std::int64_t>();
            });
            (shown ? removable : addable).push_back(display);
        }
        if (kind == "removeDisplay" && !removable.empty())
            meanwhile({{"removeDisplay", random.pick(removable)["number"]}}, in);
        else if (kind == "addDisplay" && !addable.empty())
            meanwhile({{"addDisplay", random.pick(addable)}}, in);
        else
            return;
    } else if (kind == "trusted") {
        meanwhile({{"trusted", false}}, in);
        meanwhile({{"trusted", true}}, in + random.uniform(0.1, 3));
    } else if (kind == "defaults") {
        meanwhile(
            {{"defaults", {{"key", random.pick(tooltipSettings)}, {"value", random.chance(0.5)}}}},
            in);
    } else if (kind == "overview") {
        meanwhile({{"overview", random.chance(0.7) ? "missionControl" : "appExpose"}}, in);
        meanwhile({{"overview", nullptr}}, in + random.uniform(0.2, 2));
    } else {
        return;
    }
    gesture.faults.push_back(kind);
}

}  // namespace

// --- Random

Random::Random(std::uint64_t seed) : state_(seed) {}

std::uint64_t Random::next() {
    // splitmix64
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

double Random::unit() {
    return static_cast<double>(next() >> 11) * 0x1.0p-53;
}

double Random::uniform(double low, double high) {
    return low + (high - low) * unit();
}

int Random::between(int low, int high) {
    const auto span = static_cast<std::uint64_t>(high - low) + 1;
    return low + static_cast<int>(next() % span);
}

bool Random::chance(double probability) {
    return unit() < probability;
}

// --- Worlds

std::vector<Json> removableDisplays() {
    return {displayJson(external), displayJson(left)};
}

Json makeWorld(Random& random) {
    std::vector<DisplayShape> displays{laptop, external};
    if (random.chance(0.5))
        displays.push_back(left);
    Json displayList = Json::array();
    for (const DisplayShape& display : displays)
        displayList.push_back(displayJson(display));

    const std::vector<std::string> shapes{"native", "browser", "namedCells", "editor"};
    Json processes = Json::array();
    Json tiles = Json::array();
    Json bundles = Json::object();
    std::int64_t windowNumber = 100;
    const int applicationCount = random.between(3, 5);
    for (int a = 0; a < applicationCount; ++a) {
        const ProcessId pid = firstPid + a;
        const std::string name = "App" + std::to_string(a + 1);
        const std::string url = "file:///Applications/" + name + ".app/";
        const std::string bundle = "org.example.app" + std::to_string(a + 1);
        Json windows = Json::array();
        const int windowCount = random.between(1, 3);
        for (int w = 0; w < windowCount; ++w) {
            const DisplayShape& on = displays[static_cast<std::size_t>(
                random.between(0, static_cast<int>(displays.size()) - 1))];
            const CGRect visible = visibleTopLeft(on);
            const double width = random.uniform(400, std::min(1200.0, visible.width()));
            const double height = random.uniform(300, std::min(800.0, visible.height()));
            const CGPoint origin{
                std::round(random.uniform(visible.minX(), visible.maxX() - width)),
                std::round(random.uniform(visible.minY(), visible.maxY() - height))};
            const bool floating = random.chance(0.15);
            Json window{{"number", ++windowNumber}};
            if (floating)
                window["layer"] = 3;
            if (random.chance(0.4)) {
                Json tabs = Json::array();
                for (int t = random.between(1, 4); t > 0; --t)
                    tabs.push_back({{"title", "Tab " + std::to_string(t)}});
                window["tabBars"] = Json::array({{{"shape", random.pick(shapes)}, {"tabs", tabs}}});
            }
            windows.push_back(
                {{"role", "AXWindow"},
                 {"id", "app" + std::to_string(a + 1) + "-window" + std::to_string(w + 1)},
                 {"attributes",
                  {{"AXTitle", name + " " + std::to_string(w + 1)},
                   {"AXSubrole", floating ? "AXFloatingWindow" : "AXStandardWindow"},
                   {"AXPosition", {{"point", {origin.x, origin.y}}}},
                   {"AXSize", {{"size", {std::round(width), std::round(height)}}}},
                   {"AXMinimized", !floating && random.chance(0.1)},
                   {"AXFullScreen", false}}},
                 {"settable", {"AXPosition", "AXSize", "AXMinimized", "AXFullScreen", "AXMain"}},
                 {"actions", {"AXRaise"}},
                 {"window", std::move(window)}});
        }
        Json process{{"pid", pid},
                     {"bundleIdentifier", bundle},
                     {"name", name},
                     {"bundleURL", url},
                     {"children", std::move(windows)}};
        if (random.chance(0.3))
            process["latency"] = random.uniform(0.001, 0.05);
        processes.push_back(std::move(process));
        tiles.push_back({{"kind", "application"}, {"title", name}, {"url", url}});
        bundles[url] = bundle;
    }
    tiles.push_back({{"kind", "separator"}});
    tiles.push_back({{"kind", "trash"}});
    return Json{{"latency", 0.001},
                {"trusted", true},
                {"timing", {{"activation", 0.05}, {"termination", 0.1}, {"fullScreenExit", 0.15}}},
                {"displays", std::move(displayList)},
                {"mainDisplay", 1},
                {"pointer", {700, 400}},
                {"processes", std::move(processes)},
                {"dock", {{"pid", dockPid}, {"tiles", std::move(tiles)}}},
                {"bundles", std::move(bundles)}};
}

// --- Gestures

Gesture makeGesture(Random& random, sim::World& world, double faultRate) {
    Gesture gesture;
    if (random.chance(faultRate))
        addFault(random, world, gesture);
    const auto windows = windowsOf(world);
    const auto apps = applications(world);
    std::optional<ProcessId> front;
    if (!apps.empty())
        front = apps.front();
    Json hardware = Json::array();
    const auto withModifiers = [&](Json stroke) {
        if (random.chance(0.3)) {
            std::vector<std::string> held;
            for (const auto& name : modifierNames) {
                if (random.chance(0.3))
                    held.push_back(name);
            }
            if (held.empty())
                held.push_back(random.pick(modifierNames));
            hardware.push_back(modifiersStep(held));
            hardware.push_back(std::move(stroke));
            hardware.push_back(modifiersStep({}));
        } else {
            hardware.push_back(std::move(stroke));
        }
    };
    const int roll = random.between(0, 99);
    if (roll < 30 && !windows.empty()) {
        const auto& window = random.pick(windows);
        gesture.kind = "title bar";
        gesture.target = window.pid;
        hardware.push_back({{"pointer", point(titleBarPoint(random, window.frame))}});
        withModifiers(scrollStroke(random));
    } else if (roll < 42) {
        // A tab of a window with tabs, of whichever kind its application shows.
        sim::Tabs& tabs = sim::Tabs::install(world);
        std::vector<std::pair<const OnScreenWindow*, CGRect>> found;
        for (const auto& window : windows) {
            for (const auto& bar : tabs.barsOf(*window.node)) {
                for (const auto& tab : bar.tabs) {
                    if (const auto frame = tab->frame())
                        found.emplace_back(&window, *frame);
                }
            }
        }
        if (found.empty())
            return makeGesture(random, world, 0);
        const auto& [window, frame] = random.pick(found);
        gesture.kind = "tab";
        gesture.target = window->pid;
        hardware.push_back({{"pointer", point({random.uniform(frame.minX(), frame.maxX() - 1),
                                               random.uniform(frame.minY(), frame.maxY() - 1)})}});
        withModifiers(scrollStroke(random));
    } else if (roll < 52) {
        sim::Dock* dock = sim::Dock::of(world);
        std::vector<std::shared_ptr<sim::Node>> tiles;
        if (dock != nullptr) {
            for (const auto& tile : dock->list()->children()) {
                if (tile->frame())
                    tiles.push_back(tile);
            }
        }
        if (tiles.empty())
            return makeGesture(random, world, 0);
        const auto& tile = random.pick(tiles);
        const CGRect frame = *tile->frame();
        gesture.kind = "Dock tile";
        // The tile's application, by its title.
        const platform::ax::Value* title = tile->stored(platform::ax::attribute::title);
        const std::string* text = title != nullptr ? title->getIf<std::string>() : nullptr;
        for (const ProcessId pid : apps) {
            const sim::Process* process = world.process(pid);
            if (process != nullptr && text != nullptr && process->name == *text)
                gesture.target = pid;
        }
        hardware.push_back({{"pointer", point({frame.midX(), frame.midY()})}});
        withModifiers(scrollStroke(random));
    } else if (roll < 62) {
        gesture.kind = "menu bar";
        gesture.target = front;
        const auto displays = sim::Displays::of(world).displays();
        const auto& display = displays[static_cast<std::size_t>(
            random.between(0, static_cast<int>(displays.size()) - 1))];
        const CGRect frame = *sim::Displays::of(world).topLeftFrame(display.uuid);
        hardware.push_back({{"pointer", point({random.uniform(frame.minX(), frame.maxX() - 1),
                                               frame.minY() + random.uniform(1, 20)})}});
        withModifiers(scrollStroke(random));
    } else if (roll < 70 && !windows.empty()) {
        const auto& window = random.pick(windows);
        gesture.kind = "pinch";
        gesture.target = window.pid;
        hardware.push_back({{"pointer", point(titleBarPoint(random, window.frame))}});
        withModifiers(pinchStroke(random));
    } else if (roll < 74 && !windows.empty()) {
        const auto& window = random.pick(windows);
        gesture.kind = "double tap";
        gesture.target = window.pid;
        hardware.push_back({{"pointer", point(titleBarPoint(random, window.frame))}});
        withModifiers(Json{{"doubleTap", Json::object()}});
    } else if (roll < 78) {
        gesture.kind = "wheel";
        hardware.push_back({{"pointer", point(anywhere(random, world))}});
        withModifiers(Json{{"wheel", {{"lines", random.between(-5, 5)}}}});
    } else if (roll < 92) {
        // Hotkeys act on the focused window of the front application.
        gesture.kind = "hotkey";
        gesture.target = front;
        const bool alone = random.chance(0.15);
        if (!alone)
            hardware.push_back(modifiersStep(random.pick(hotkeyModifiers)));
        for (int i = random.between(1, 3); i > 0; --i) {
            hardware.push_back(
                {{"key", {{"code", random.pick(hotkeyKeys)}, {"repeats", random.between(0, 2)}}}});
        }
        if (!alone)
            hardware.push_back(modifiersStep({}));
    } else {
        // Mission Control shows while the fingers scroll.
        gesture.kind = "Mission Control";
        gesture.target = front;
        gesture.steps.push_back(Json{
            {"meanwhile", {{"overview", random.chance(0.7) ? "missionControl" : "appExpose"}}}});
        gesture.steps.push_back(
            Json{{"meanwhile", {{"in", random.uniform(0.1, 1.5)}, {"overview", nullptr}}}});
        hardware.push_back({{"pointer", point(anywhere(random, world))}});
        withModifiers(scrollStroke(random));
    }
    // The engine acts on what lies under the pointer: the application of the front-most window
    // there, whichever window the gesture aimed at.
    if (gesture.kind != "Dock tile" && gesture.kind != "menu bar" && !hardware.empty() &&
        hardware.front().contains("pointer")) {
        const Json& at = hardware.front()["pointer"];
        const auto hit =
            sim::WindowServer::of(world).hitTest(world, {at[0].get<double>(), at[1].get<double>()});
        if (hit && isApplication(world, hit->pid()) && world.process(hit->pid()) != nullptr)
            gesture.target = hit->pid();
    }
    gesture.steps.push_back(Json{{"hardware", std::move(hardware)}});
    return gesture;
}

// --- Checks

std::map<std::string, LivingWindow> livingWindows(sim::World& world) {
    std::map<std::string, LivingWindow> found;
    forEachWindow(world, [&](ProcessId pid, const std::shared_ptr<sim::WindowNode>& window) {
        const std::string name = sim::elementName(world, window->element());
        found.emplace(name, LivingWindow{pid, name});
    });
    return found;
}

bool engineIsIdle(const engine::Engine& engine) {
    const auto& core = engine.core();
    return !core->touchEngine() && !core->keyEngine();
}

namespace {

// Whether the engine asked, during the gesture, for what closes windows or ends an application:
// Command-W or Command-Q, a middle click (a tab's close), or a termination.
bool engineClosedOrQuit(sim::World& world, ProcessId pid) {
    for (const sim::JournalEntry& entry : sim::Journal::of(world).entries()) {
        if (const auto* posted = std::get_if<sim::PostedEvent>(&entry)) {
            const platform::CGEvent& event = posted->event;
            if (event.type == platform::CGEventType::keyDown &&
                event.flags.contains(CGEventFlags::maskCommand) &&
                (event.keyCode == keyW || event.keyCode == keyQ)) {
                return true;
            }
            if (event.type == platform::CGEventType::otherMouseUp)
                return true;
        } else if (const auto* request = std::get_if<sim::WorkspaceRequest>(&entry)) {
            if (request->kind == sim::WorkspaceRequest::Kind::terminate && request->pid == pid)
                return true;
        }
    }
    return false;
}

double overlap(const CGRect& a, const CGRect& b) {
    const double width = std::min(a.maxX(), b.maxX()) - std::max(a.minX(), b.minX());
    const double height = std::min(a.maxY(), b.maxY()) - std::max(a.minY(), b.minY());
    return width > 0 && height > 0 ? width * height : 0;
}

std::string frameText(const CGRect& frame) {
    return Json::array({frame.minX(), frame.minY(), frame.width(), frame.height()}).dump();
}

}  // namespace

bool showsGesture(sim::World& world) {
    return sim::Cursor::of(world).hideCount() > 0 ||
           !sim::ProgramWindows::of(world).visible(world).empty();
}

std::vector<Violation> check(sim::World& world, const engine::Engine& engine,
                             const std::map<std::string, LivingWindow>& before,
                             const Gesture& gesture) {
    std::vector<Violation> found;
    const auto after = livingWindows(world);
    for (const auto& [name, window] : before) {
        if (after.contains(name) || gesture.closedWindows.contains(name) ||
            gesture.quitProcesses.contains(window.pid)) {
            continue;
        }
        if (gesture.target == window.pid && engineClosedOrQuit(world, window.pid))
            continue;
        found.push_back({"window lost", name + " of process " + std::to_string(window.pid)});
    }

    const auto displays = sim::Displays::of(world).displays();
    for (const auto& window : windowsOf(world)) {
        const bool shown = std::any_of(displays.begin(), displays.end(), [&](const auto& display) {
            const auto frame = sim::Displays::of(world).topLeftFrame(display.uuid);
            return frame && overlap(*frame, window.frame) > 0;
        });
        if (!shown)
            found.push_back(
                {"window off every display", window.name + " at " + frameText(window.frame)});
    }

    const CGEventFlags modifiers = CGEventFlags::maskShift | CGEventFlags::maskControl |
                                   CGEventFlags::maskAlternate | CGEventFlags::maskCommand |
                                   CGEventFlags::maskSecondaryFn;
    const CGEventFlags held = sim::InputDevices::of(world).heldModifierFlags() & modifiers;
    if (!held.isEmpty()) {
        found.push_back({"device modifier held", "flags " + std::to_string(held.rawValue())});
    }
    if (engine::ZoralCore::modifierKeyDown())
        found.push_back({"engine modifier held", "the core believes a modifier is down"});

    if (engineIsIdle(engine)) {
        if (const auto hidden = sim::Cursor::of(world).hideCount(); hidden > 0)
            found.push_back({"cursor hidden", "hide count " + std::to_string(hidden)});
        const auto visible = sim::ProgramWindows::of(world).visible(world);
        if (!visible.empty()) {
            found.push_back(
                {"tooltip up", std::to_string(visible.size()) + " of the program's windows"});
        }
    }

    for (const auto& [window, record] : engine::SnappedWindows::shared().entries()) {
        const auto node = world.resolve(window->element());
        if (!node || node->isDestroyed()) {
            found.push_back({"registry holds a gone window",
                             "window " + (record.windowNumber ? std::to_string(*record.windowNumber)
                                                              : std::string("without a number"))});
        }
    }
    return found;
}

std::size_t heapInUse() {
    return mallinfo2().uordblks;
}

}  // namespace zoral::soak

#include "script.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "desktop/ax_error.h"
#include "platform/accessibility.h"
#include "platform/dispatch.h"
#include "platform/enum_table.h"
#include "platform/events.h"
#include "platform/output.h"
#include "platform/plist_object.h"
#include "platform/scheduler.h"
#include "platform/user_defaults.h"
#include "settings/action_user_type.h"
#include "settings/defaults.h"
#include "settings/defaults_keys.h"
#include "shortcuts/global_shortcuts.h"
#include "shortcuts/modifier_conversion.h"
#include "sim/alerts.h"
#include "sim/application_node.h"
#include "sim/displays.h"
#include "sim/element_names.h"
#include "sim/hands.h"
#include "sim/hardware_input.h"
#include "sim/hardware_script.h"
#include "sim/journal.h"
#include "sim/json_codec.h"
#include "sim/program_bundle.h"
#include "sim/spaces.h"
#include "sim/status_bar.h"
#include "sim/system_settings.h"
#include "sim/window_drags.h"
#include "sim/window_node.h"
#include "sim/world.h"
#include "sim/world_description.h"
#include "sim/world_file.h"
#include "sim/world_format.h"

namespace zoral::world_runner {

namespace ax = platform::ax;
using platform::Json;
using sim::json_codec::fail;
using sim::json_codec::Place;

struct AttributeStep {
    std::string element;
    std::string attribute;
};

struct SetStep {
    std::string element;
    std::string attribute;
    sim::AttributeValue value;
};

struct ActionStep {
    std::string element;
    std::string action;
};

enum class Modifier { shift, control, option, command, fn };
enum class Edge { left, right, top, bottom };

// The user's hands taking a window by its title bar (or by edges, for a resize) and moving it.
struct DragStep {
    std::string window;
    platform::CGPoint by;
    std::int64_t moves = 1;
    std::vector<Modifier> modifiers;
    std::vector<Edge> edges;
};

// What the program asked of the system that leaves no other trace, one line an entry, with its
// virtual time; "clear" forgets it afterwards.
struct JournalStep {
    bool clear = false;
};

// A setting of the program's own domain, and its new value (null removes it).
struct DefaultsChange {
    std::string key;
    platform::Json value;
};

enum class Button { left, right };
enum class Appearance { light, dark };

// The user's hands on one of the program's status items, by its place among them (0 the oldest).
struct StatusItemStep {
    std::int64_t item = 0;
    Button button = Button::left;
};

// A display the user plugs in.
struct PlugDisplayStep {
    std::int64_t number = 0;
    std::string uuid;
    platform::CGRect frame;
    double menuBarHeight = 0;
};

// A shortcut the user records for one of the program's named shortcuts.
struct RecordShortcutStep {
    std::string name;
    std::int64_t keyCode = 0;
    std::vector<Modifier> modifiers;
};

}  // namespace zoral::world_runner

namespace zoral::sim::json_codec {

template <>
struct FieldTable<world_runner::AttributeStep> {
    using S = world_runner::AttributeStep;
    static constexpr auto fields = std::tuple{
        field("element", &S::element).required(),
        field("attribute", &S::attribute).required(),
    };
};

template <>
struct FieldTable<world_runner::SetStep> {
    using S = world_runner::SetStep;
    static constexpr auto fields = std::tuple{
        field("element", &S::element).required(),
        field("attribute", &S::attribute).required(),
        field("value", &S::value).required(),
    };
};

template <>
struct FieldTable<world_runner::PlugDisplayStep> {
    using S = world_runner::PlugDisplayStep;
    static constexpr auto fields = std::tuple{
        field("number", &S::number).required(),
        field("uuid", &S::uuid).required(),
        field("frame", &S::frame).required(),
        field("menuBarHeight", &S::menuBarHeight),
    };
};

template <>
struct FieldTable<world_runner::RecordShortcutStep> {
    using S = world_runner::RecordShortcutStep;
    static constexpr auto fields = std::tuple{
        field("name", &S::name).required(),
        field("keyCode", &S::keyCode).required(),
        field("modifiers", &S::modifiers),
    };
};

template <>
struct NameTable<world_runner::Modifier> {
    using enum world_runner::Modifier;
    static constexpr std::array<std::pair<world_runner::Modifier, std::string_view>, 5> names{{
        {shift, "shift"},
        {control, "control"},
        {option, "option"},
        {command, "command"},
        {fn, "fn"},
    }};
};

template <>
struct NameTable<world_runner::Appearance> {
    using enum world_runner::Appearance;
    static constexpr std::array<std::pair<world_runner::Appearance, std::string_view>, 2> names{{
        {light, "light"},
        {dark, "dark"},
    }};
};

template <>
struct NameTable<world_runner::Edge> {
    using enum world_runner::Edge;
    static constexpr std::array<std::pair<world_runner::Edge, std::string_view>, 4> names{{
        {left, "left"},
        {right, "right"},
        {top, "top"},
        {bottom, "bottom"},
    }};
};

constexpr const char* moveCount(const std::int64_t& moves) {
    return moves < 1 || moves > 1000 ? "takes from 1 to 1000 moves" : nullptr;
}

template <>
struct FieldTable<world_runner::DragStep> {
    using S = world_runner::DragStep;
    static constexpr auto fields = std::tuple{
        field("window", &S::window).required(),
        field("by", &S::by).required(),
        field("moves", &S::moves).checked(moveCount),
        field("modifiers", &S::modifiers),
        field("edges", &S::edges),
    };
};

template <>
struct Codec<platform::Json> {
    static platform::Json read(const Json& json, const Place&) { return json; }
    static Json write(const platform::Json& value) { return value; }
};

template <>
struct FieldTable<world_runner::DefaultsChange> {
    using S = world_runner::DefaultsChange;
    static constexpr auto fields = std::tuple{
        field("key", &S::key).required(),
        field("value", &S::value).required(),
    };
};

template <>
struct NameTable<world_runner::Button> {
    using enum world_runner::Button;
    static constexpr std::array<std::pair<world_runner::Button, std::string_view>, 2> names{{
        {left, "left"},
        {right, "right"},
    }};
};

constexpr const char* itemPlace(const std::int64_t& item) {
    return item < 0 ? "is a place from 0" : nullptr;
}

template <>
struct FieldTable<world_runner::StatusItemStep> {
    using S = world_runner::StatusItemStep;
    static constexpr auto fields = std::tuple{
        field("item", &S::item).checked(itemPlace),
        field("button", &S::button),
    };
};

template <>
struct FieldTable<world_runner::JournalStep> {
    static constexpr auto fields = std::tuple{field("clear", &world_runner::JournalStep::clear)};
};

template <>
struct FieldTable<world_runner::ActionStep> {
    using S = world_runner::ActionStep;
    static constexpr auto fields = std::tuple{
        field("element", &S::element).required(),
        field("action", &S::action).required(),
    };
};

}  // namespace zoral::sim::json_codec

namespace zoral::world_runner {

namespace {

// Longer runs of the clock are no use to a script and could keep it busy for ever.
constexpr double longestAdvance = 24 * 60 * 60;
// Screen coordinates beyond this lie on no display, and would not survive the conversion to the
// interface's single precision.
constexpr double farthestCoordinate = 1e9;

std::string resultText(ax::Error error) {
    if (error == ax::success)
        return "ok";
    const std::string_view name = desktop::axErrorName(error);
    return "error " +
           (name == "UnknownDefault" ? std::to_string(static_cast<int>(error)) : std::string(name));
}

ax::Element elementNamed(sim::World& world, const std::string& name, const Place& at) {
    const auto element = sim::elementNamed(world, name);
    if (!element)
        fail(at.key("element"), "no element is named \"" + name + "\"");
    return *element;
}

void advance(sim::World&, const Json& arguments, const Place& at) {
    const double seconds = sim::json_codec::read<double>(arguments, at);
    if (seconds < 0 || seconds > longestAdvance)
        fail(at, "takes seconds from 0 to " + std::to_string(static_cast<int>(longestAdvance)));
    platform::Scheduler::current().runFor(seconds);
}

void read(sim::World& world, const Json& arguments, const Place& at) {
    const auto step = sim::json_codec::read<AttributeStep>(arguments, at);
    const auto result =
        ax::copyAttributeValue(elementNamed(world, step.element, at), step.attribute);
    platform::output::printLine("read " + step.attribute + ": " +
                                (result.ok() ? sim::valueToJson(world, result.value()).dump()
                                             : resultText(result.error())));
}

void set(sim::World& world, const Json& arguments, const Place& at) {
    const auto step = sim::json_codec::read<SetStep>(arguments, at);
    const ax::Element element = elementNamed(world, step.element, at);
    const sim::ElementNames& names = sim::ElementNames::of(world);
    const ax::Value value = sim::toValue(step.value, [&](const sim::ElementReference& reference) {
        const auto found = names.elementFor(reference);
        if (!found)
            fail(at.key("value"), "no element is named \"" + *reference.name + "\"");
        return *found;
    });
    const ax::Error error = ax::setAttributeValue(element, step.attribute, value);
    platform::output::printLine("set " + step.attribute + ": " + resultText(error));
}

void perform(sim::World& world, const Json& arguments, const Place& at) {
    const auto step = sim::json_codec::read<ActionStep>(arguments, at);
    const ax::Error error = ax::performAction(elementNamed(world, step.element, at), step.action);
    platform::output::printLine("perform " + step.action + ": " + resultText(error));
}

void hitTest(sim::World& world, const Json& arguments, const Place& at) {
    const auto point = sim::json_codec::read<platform::CGPoint>(arguments, at);
    if (std::abs(point.x) > farthestCoordinate || std::abs(point.y) > farthestCoordinate)
        fail(at, "a coordinate lies from -1e9 to 1e9");
    const auto hit = ax::copyElementAtPosition(ax::createSystemWide(), static_cast<float>(point.x),
                                               static_cast<float>(point.y));
    platform::output::printLine(
        "hitTest: " + (hit.ok() ? sim::elementName(world, hit.value()) : resultText(hit.error())));
}

void trusted(sim::World& world, const Json& arguments, const Place& at) {
    world.setTrusted(sim::json_codec::read<bool>(arguments, at));
}

// The part of a world file that the step's name names, read as a world file reads it.
sim::WorldDescription worldPart(const Place& at, const Json& arguments) {
    Json part = Json::object();
    part[at.text()] = arguments;
    return sim::parseWorldDescription(part);
}

// Each part of the settings that the step names becomes what it says; the others stay.
void systemSettings(sim::World&, const Json& arguments, const Place& at) {
    (void)worldPart(at, arguments);
    try {
        sim::WorldDescription now;
        now.systemSettings = sim::readSystemSettings();
        Json merged = sim::formatWorldDescription(now).value(at.text(), Json::object());
        merged.update(arguments);
        sim::writeSystemSettings(worldPart(at, merged).systemSettings);
    } catch (const sim::SystemSettingsError& error) {
        fail(at, error.what());
    }
}

void loginItems(sim::World& world, const Json& arguments, const Place& at) {
    const sim::LoginItemsDescription items = worldPart(at, arguments).loginItems;
    const bool usesService = items.serviceStatus != platform::SMAppServiceStatus::notRegistered ||
                             items.registerFailure || items.unregisterFailure;
    if (usesService &&
        !(sim::SystemVersion::of(world).version() >= platform::OperatingSystemVersion{13, 0, 0})) {
        fail(at, "the system has no login service before version 13");
    }
    sim::setLoginItems(world, items);
}

void programBundle(sim::World& world, const Json& arguments, const Place& at) {
    sim::ProgramBundle::of(world).setPath(worldPart(at, arguments).programBundle);
}

sim::Process& processOf(sim::World& world, const Json& arguments, const Place& at) {
    const std::int64_t pid = sim::json_codec::read<std::int64_t>(arguments, at);
    sim::Process* process = std::in_range<platform::ProcessId>(pid)
                                ? world.process(static_cast<platform::ProcessId>(pid))
                                : nullptr;
    if (process == nullptr)
        fail(at, "no process has the pid " + std::to_string(pid));
    return *process;
}

void hang(sim::World& world, const Json& arguments, const Place& at) {
    processOf(world, arguments, at).hung = true;
}

void unhang(sim::World& world, const Json& arguments, const Place& at) {
    processOf(world, arguments, at).hung = false;
}

platform::CGEventFlags flagsOf(const std::vector<Modifier>& modifiers) {
    platform::CGEventFlags flags;
    for (const Modifier modifier : modifiers) {
        switch (modifier) {
            case Modifier::shift:
                flags = flags | platform::CGEventFlags::maskShift;
                break;
            case Modifier::control:
                flags = flags | platform::CGEventFlags::maskControl;
                break;
            case Modifier::option:
                flags = flags | platform::CGEventFlags::maskAlternate;
                break;
            case Modifier::command:
                flags = flags | platform::CGEventFlags::maskCommand;
                break;
            case Modifier::fn:
                flags = flags | platform::CGEventFlags::maskSecondaryFn;
                break;
        }
    }
    return flags;
}

std::uint8_t edgesOf(const std::vector<Edge>& edges) {
    std::uint8_t mask = 0;
    for (const Edge edge : edges) {
        switch (edge) {
            case Edge::left:
                mask |= sim::leftEdge;
                break;
            case Edge::right:
                mask |= sim::rightEdge;
                break;
            case Edge::top:
                mask |= sim::topEdge;
                break;
            case Edge::bottom:
                mask |= sim::bottomEdge;
                break;
        }
    }
    return mask;
}

// Drags run on the virtual clock, a move every sixtieth of a second; the step lets them end and
// prints the window's frame then.
void runDrag(sim::World& world, const Json& arguments, const Place& at, bool byEdges) {
    const auto step = sim::json_codec::read<DragStep>(arguments, at);
    if (std::abs(step.by.x) > farthestCoordinate || std::abs(step.by.y) > farthestCoordinate)
        fail(at.key("by"), "a distance lies from -1e9 to 1e9");
    const std::uint8_t edges = edgesOf(step.edges);
    if (byEdges && ((edges & sim::leftEdge) && (edges & sim::rightEdge)))
        fail(at.key("edges"), "left and right are opposite edges");
    if (byEdges && ((edges & sim::topEdge) && (edges & sim::bottomEdge)))
        fail(at.key("edges"), "top and bottom are opposite edges");
    if (byEdges && edges == 0)
        fail(at, "needs \"edges\"");
    if (!byEdges && !step.edges.empty())
        fail(at.key("edges"), "a drag takes the title bar; a resize takes edges");
    const auto element = sim::elementNamed(world, step.window);
    if (!element)
        fail(at.key("window"), "no element is named \"" + step.window + "\"");
    const auto window = std::dynamic_pointer_cast<sim::WindowNode>(world.resolve(*element));
    if (!window)
        fail(at.key("window"), "\"" + step.window + "\" is no window");
    sim::Hands& hands = sim::Hands::of(world);
    if (hands.isBusy())
        fail(at, "the hands are busy with an earlier stroke");
    const auto moves = static_cast<int>(step.moves);
    if (byEdges)
        hands.resizeWindow(*window, edges, step.by, moves, flagsOf(step.modifiers));
    else
        hands.dragWindow(*window, step.by, moves, flagsOf(step.modifiers));
    platform::Scheduler& scheduler = platform::Scheduler::current();
    while (hands.isBusy())
        scheduler.runFor(sim::Hands::defaultInterval);
    const auto frame = window->isDestroyed() ? std::nullopt : window->frame();
    platform::output::printLine(
        std::string(byEdges ? "resize" : "drag") + " " + step.window + ": " +
        (frame ? sim::valueToJson(world, ax::Value(*frame)).dump() : std::string("gone")));
}

void drag(sim::World& world, const Json& arguments, const Place& at) {
    runDrag(world, arguments, at, false);
}

void resize(sim::World& world, const Json& arguments, const Place& at) {
    runDrag(world, arguments, at, true);
}

std::string eventTypeName(platform::CGEventType type) {
    using platform::CGEventType;
    switch (type) {
        case CGEventType::null:
            return "null";
        case CGEventType::leftMouseDown:
            return "leftMouseDown";
        case CGEventType::leftMouseUp:
            return "leftMouseUp";
        case CGEventType::rightMouseDown:
            return "rightMouseDown";
        case CGEventType::rightMouseUp:
            return "rightMouseUp";
        case CGEventType::mouseMoved:
            return "mouseMoved";
        case CGEventType::leftMouseDragged:
            return "leftMouseDragged";
        case CGEventType::rightMouseDragged:
            return "rightMouseDragged";
        case CGEventType::keyDown:
            return "keyDown";
        case CGEventType::keyUp:
            return "keyUp";
        case CGEventType::flagsChanged:
            return "flagsChanged";
        case CGEventType::scrollWheel:
            return "scrollWheel";
        case CGEventType::otherMouseDown:
            return "otherMouseDown";
        case CGEventType::otherMouseUp:
            return "otherMouseUp";
        case CGEventType::otherMouseDragged:
            return "otherMouseDragged";
        default:
            return "event " + std::to_string(static_cast<std::uint32_t>(type));
    }
}

std::string pointText(platform::CGPoint point) {
    return Json::array({point.x, point.y}).dump();
}

std::string hexText(std::uint64_t value) {
    std::array<char, 24> text{};
    std::snprintf(text.data(), text.size(), "0x%llx", static_cast<unsigned long long>(value));
    return text.data();
}

std::string secondsText(double seconds) {
    std::array<char, 32> text{};
    std::snprintf(text.data(), text.size(), "%g", seconds);
    return text.data();
}

std::string journalLine(const sim::JournalEntry& entry) {
    return std::visit(
        [](const auto& record) -> std::string {
            using T = std::decay_t<decltype(record)>;
            if constexpr (std::is_same_v<T, sim::PostedEvent>) {
                const platform::CGEvent& event = record.event;
                std::string line = "posted " + eventTypeName(event.type) + " at " +
                                   pointText(event.location) + " flags " +
                                   hexText(event.flags.rawValue());
                if (event.type == platform::CGEventType::keyDown ||
                    event.type == platform::CGEventType::keyUp ||
                    event.type == platform::CGEventType::flagsChanged) {
                    line += " key " + std::to_string(event.keyCode);
                }
                if (event.targetPid)
                    return line + " to process " + std::to_string(*event.targetPid);
                switch (record.tap.value_or(platform::CGEventTapLocation::hid)) {
                    case platform::CGEventTapLocation::hid:
                        return line + " to the HID stream";
                    case platform::CGEventTapLocation::session:
                        return line + " to the session";
                    case platform::CGEventTapLocation::annotatedSession:
                        return line + " to the annotated session";
                }
                return line;
            } else if constexpr (std::is_same_v<T, sim::PointerWarp>) {
                return "warped the pointer to " + pointText(record.location);
            } else if constexpr (std::is_same_v<T, sim::WorkspaceRequest>) {
                constexpr std::array<const char*, 4> kinds{"activate", "hide", "unhide",
                                                           "terminate"};
                return std::string("asked to ") + kinds[static_cast<std::size_t>(record.kind)] +
                       " process " + std::to_string(record.pid) + " with options " +
                       std::to_string(record.options.rawValue());
            } else if constexpr (std::is_same_v<T, sim::PermissionPrompt>) {
                return "prompted for the Accessibility permission";
            } else if constexpr (std::is_same_v<T, sim::AlertShown>) {
                return "showed alert " + std::to_string(record.alert) + " " +
                       Json(record.messageText).dump() + " " + Json(record.informativeText).dump() +
                       " with buttons " + Json(record.buttons).dump() +
                       (record.sheetWindow
                            ? " as a sheet on window " + std::to_string(*record.sheetWindow)
                            : std::string());
            } else if constexpr (std::is_same_v<T, sim::AlertAnswered>) {
                return "the user answered alert " + std::to_string(record.alert) + " with " +
                       std::to_string(record.response);
            } else if constexpr (std::is_same_v<T, sim::Beep>) {
                return "beeped";
            } else if constexpr (std::is_same_v<T, sim::DisplaySleep>) {
                return record.asleep ? "the displays went to sleep" : "the displays woke";
            } else if constexpr (std::is_same_v<T, sim::ProcessLaunched>) {
                Json command = Json::array({record.launch.executable});
                for (const auto& argument : record.launch.arguments)
                    command.push_back(argument);
                return "started " + command.dump() + " after " + secondsText(record.launch.delay) +
                       " s";
            } else {
                return "wrote AXEnhancedUserInterface " +
                       std::string(record.value ? "true" : "false") + " to process " +
                       std::to_string(record.pid);
            }
        },
        entry);
}

void journal(sim::World& world, const Json& arguments, const Place& at) {
    const auto step = sim::json_codec::read<JournalStep>(arguments, at);
    sim::Journal& journal = sim::Journal::of(world);
    const auto entries = journal.entries();
    platform::output::printLine("journal: " + std::to_string(entries.size()) + " entries");
    // A long run keeps only the latest entries.
    const std::int64_t dropped =
        journal.recordedCount() - static_cast<std::int64_t>(entries.size());
    if (dropped > 0)
        platform::output::printLine("  (" + std::to_string(dropped) + " earlier entries not kept)");
    for (const sim::JournalEntry& entry : entries) {
        std::array<char, 32> time{};
        std::snprintf(time.data(), time.size(), "%.3f", sim::timeOf(entry));
        platform::output::printLine("  " + std::string(time.data()) + " " + journalLine(entry));
    }
    if (step.clear)
        journal.clear();
}

// What the input started (a gesture's action, an animation) gets this long after the input.
constexpr double hardwareSettle = 1;

void hardware(sim::World& world, const Json& arguments, const Place& at) {
    const auto read = sim::hardwareStepsFromJson(arguments);
    if (!read.ok())
        fail(at, read.error());
    const double seconds = sim::HardwareInput::of(world).play(read.value());
    platform::Scheduler::current().runFor(seconds + hardwareSettle);
    platform::output::printLine("hardware: " + std::to_string(read.value().size()) + " steps");
}

void windows(sim::World& world, const Json& arguments, const Place& at) {
    if (!arguments.is_object() || !arguments.empty())
        fail(at, "takes {}");
    platform::output::printLine("windows:");
    for (const platform::ProcessId pid : world.processIds()) {
        const sim::Process* process = world.process(pid);
        const auto application =
            process ? std::dynamic_pointer_cast<sim::ApplicationNode>(process->application)
                    : nullptr;
        if (!application)
            continue;
        for (const auto& window : application->windows()) {
            const auto frame = window->frame();
            platform::output::printLine(
                "  " + sim::elementName(world, window->element()) + ": " +
                (frame ? sim::valueToJson(world, ax::Value(*frame)).dump() : std::string("none")) +
                (window->isMinimized() ? " minimised" : ""));
        }
    }
}

// --- The program's status items, their menus and its alerts. What the user does reaches the
// program on its main queue; each step lets the program's work that is ready run.

std::shared_ptr<platform::StatusItem> statusItemAt(sim::World& world, std::int64_t place,
                                                   const Place& at) {
    const auto items = sim::SystemStatusBar::of(world).items();
    if (place >= static_cast<std::int64_t>(items.size())) {
        fail(at.key("item"), "the program has " + std::to_string(items.size()) +
                                 " status items, and none at place " + std::to_string(place));
    }
    return items[static_cast<std::size_t>(place)];
}

void clickStatusItem(sim::World& world, const Json& arguments, const Place& at) {
    const auto step = sim::json_codec::read<StatusItemStep>(arguments, at);
    const auto item = statusItemAt(world, step.item, at);
    const bool clicked = sim::Hands::of(world).clickStatusItem(
        *item, step.button == Button::left ? platform::CGMouseButton::left
                                           : platform::CGMouseButton::right);
    platform::Scheduler::current().runUntilIdle();
    platform::output::printLine(std::string("clickStatusItem: ") +
                                (clicked ? "clicked" : "not in the menu bar"));
}

void dragStatusItemOut(sim::World& world, const Json& arguments, const Place& at) {
    const auto step = sim::json_codec::read<StatusItemStep>(arguments, at);
    if (step.button != Button::left)
        fail(at.key("button"), "the status bar takes items with the left button");
    const auto item = statusItemAt(world, step.item, at);
    sim::Hands& hands = sim::Hands::of(world);
    if (hands.isBusy())
        fail(at, "the hands are busy with an earlier stroke");
    const bool dragged = hands.dragStatusItemOut(*item);
    platform::Scheduler& scheduler = platform::Scheduler::current();
    while (hands.isBusy())
        scheduler.runFor(sim::Hands::defaultInterval);
    // The item vanishes a moment after the release.
    scheduler.runFor(sim::SystemStatusBar::removalDelay);
    platform::output::printLine(std::string("dragStatusItemOut: ") +
                                (!dragged            ? "not in the menu bar"
                                 : item->isVisible() ? "still visible"
                                                     : "removed"));
}

void chooseMenuItem(sim::World& world, const Json& arguments, const Place& at) {
    const auto titles = sim::json_codec::read<std::vector<std::string>>(arguments, at);
    if (titles.empty())
        fail(at, "takes the titles that lead to the item");
    const bool chosen = sim::Hands::of(world).chooseMenuItem(titles);
    platform::Scheduler::current().runUntilIdle();
    platform::output::printLine(std::string("chooseMenuItem: ") +
                                (chosen ? "chosen" : "no such item to choose"));
}

void answerAlert(sim::World& world, const Json& arguments, const Place& at) {
    sim::Alerts& alerts = sim::Alerts::of(world);
    if (alerts.onScreen().empty())
        fail(at, "no alert is on screen");
    bool answered = false;
    if (arguments.is_string()) {
        answered = alerts.answer(arguments.get<std::string>());
    } else {
        const std::int64_t button = sim::json_codec::read<std::int64_t>(arguments, at);
        answered = button >= 0 && alerts.answer(static_cast<std::size_t>(button));
    }
    if (!answered)
        fail(at, "the alert has no such button");
    platform::Scheduler::current().runUntilIdle();
    platform::output::printLine("answerAlert: answered");
}

std::string menuLine(const platform::MenuItem& item) {
    if (item.isSeparatorItem())
        return "-----";
    std::string line = item.state == platform::ControlStateValue::on ? "[x] " : "[ ] ";
    line += item.displayedTitle().string();
    if (!item.keyEquivalent.empty()) {
        line += "  key " + Json(item.keyEquivalent).dump() + " mask " +
                hexText(item.keyEquivalentModifierMask.rawValue());
    }
    if (!item.enabled)
        line += "  disabled";
    return line;
}

void statusBar(sim::World& world, const Json& arguments, const Place& at) {
    if (!arguments.is_object() || !arguments.empty())
        fail(at, "takes {}");
    const sim::SystemStatusBar& bar = sim::SystemStatusBar::of(world);
    platform::output::printLine("statusBar:");
    for (const auto& item : bar.items()) {
        const auto frame = bar.frameOf(*item);
        const platform::StatusBarButton* button = item->button();
        platform::output::printLine(
            "  " + item->autosaveName() + ": " + (item->isVisible() ? "visible" : "removed") +
            (frame ? " at " + sim::valueToJson(world, ax::Value(*frame)).dump() : std::string()) +
            " image " + (button && button->image() ? *button->image() : std::string("none")));
    }
    if (const auto menu = bar.openMenu()) {
        platform::output::printLine("  open menu:");
        for (const auto& item : menu->visibleItems())
            platform::output::printLine("    " + menuLine(*item));
    }
    for (const auto& alert : sim::Alerts::of(world).onScreen()) {
        platform::output::printLine("  alert " + std::to_string(alert.alert) + " " +
                                    Json(alert.messageText).dump() + " buttons " +
                                    Json(alert.buttons).dump());
    }
}

// Turns on kinds of action by their stored names.
void enable(sim::World&, const Json& arguments, const Place& at) {
    using settings::ActionUserType;
    namespace Defaults = settings::Defaults;
    const auto names = sim::json_codec::read<std::vector<std::string>>(arguments, at);
    auto enabled = Defaults::readValue(Defaults::Keys::actions());
    for (std::size_t i = 0; i < names.size(); ++i) {
        const auto found = platform::fromRawValue<ActionUserType>(names[i]);
        if (!found)
            fail(at.index(i), "no kind of action is named \"" + names[i] + "\"");
        enabled.insert(*found);
    }
    Defaults::writeValue(Defaults::Keys::actions(), enabled);
    platform::output::printLine("enable: " + std::to_string(names.size()) + " kinds of action");
}

void plugDisplay(sim::World& world, const Json& arguments, const Place& at) {
    const auto step = sim::json_codec::read<PlugDisplayStep>(arguments, at);
    auto& displays = sim::Displays::of(world);
    for (const sim::Display& display : displays.displays()) {
        if (display.number == step.number)
            fail(at.key("number"), "another display has the number");
        if (display.uuid == step.uuid)
            fail(at.key("uuid"), "another display has the UUID");
    }
    if (step.frame.width() <= 0 || step.frame.height() <= 0)
        fail(at.key("frame"), "a display has a width and a height");
    if (step.menuBarHeight < 0 || step.menuBarHeight > step.frame.height())
        fail(at.key("menuBarHeight"), "from 0 to the display's height");
    displays.addDisplay({.number = step.number,
                         .uuid = step.uuid,
                         .frame = step.frame,
                         .menuBarHeight = step.menuBarHeight});
    platform::output::printLine("plugDisplay: " + std::to_string(displays.displays().size()) +
                                " displays");
}

void unplugDisplay(sim::World& world, const Json& arguments, const Place& at) {
    auto& displays = sim::Displays::of(world);
    if (!displays.removeDisplay(sim::json_codec::read<std::int64_t>(arguments, at)))
        fail(at, "no display has the number");
    platform::output::printLine("unplugDisplay: " + std::to_string(displays.displays().size()) +
                                " displays");
}

void appearance(sim::World&, const Json& arguments, const Place& at) {
    const auto chosen = sim::json_codec::read<Appearance>(arguments, at);
    platform::output::printLine(std::string("appearance: ") +
                                (chosen == Appearance::dark ? "dark" : "light"));
    sim::setInterfaceStyle(chosen == Appearance::dark ? std::optional<std::string>("Dark")
                                                      : std::nullopt);
}

void recordShortcut(sim::World&, const Json& arguments, const Place& at) {
    namespace GlobalShortcuts = shortcuts::GlobalShortcuts;
    const auto step = sim::json_codec::read<RecordShortcutStep>(arguments, at);
    if (step.keyCode < 0 || step.keyCode > 127)
        fail(at.key("keyCode"), "a key code from 0 to 127");
    for (std::size_t i = 0; i < step.modifiers.size(); ++i) {
        if (step.modifiers[i] == Modifier::fn)
            fail(at.key("modifiers").index(i), "a shortcut takes shift, control, option, command");
    }
    const auto flags = settings::ModifierFlags(flagsOf(step.modifiers).rawValue());
    GlobalShortcuts::storeShortcut(GlobalShortcuts::Shortcut::withCarbonValues(
                                       step.keyCode, GlobalShortcuts::carbonModifierMask(flags)),
                                   GlobalShortcuts::Name(step.name));
    platform::output::printLine("recordShortcut: " + step.name);
}

// --- What happens to the world while the steps after it run: an application stops answering or
// quits, a window closes, a display goes or comes, the permission or a setting changes. The
// step reads and checks everything at once and makes it happen that many seconds on, on the
// clock that the next steps run; what it names may be gone by then, and then nothing happens.

std::function<void(sim::World&)> happening(sim::World& world, const std::string& what,
                                           const Json& value, const Place& at) {
    if (what == "hang" || what == "unhang") {
        const platform::ProcessId pid = processOf(world, value, at).pid;
        const bool hung = what == "hang";
        return [pid, hung](sim::World& owner) {
            if (sim::Process* process = owner.process(pid))
                process->hung = hung;
        };
    }
    if (what == "quit") {
        // Gone at once, as a crash: its windows say nothing; the workspace announces the end.
        const platform::ProcessId pid = processOf(world, value, at).pid;
        return [pid](sim::World& owner) { owner.removeProcess(pid); };
    }
    if (what == "close") {
        const auto name = sim::json_codec::read<std::string>(value, at);
        const auto window = std::dynamic_pointer_cast<sim::WindowNode>(
            world.resolve(elementNamed(world, name, at)));
        if (!window)
            fail(at, "\"" + name + "\" is no window");
        return [weak = std::weak_ptr(window)](sim::World& owner) {
            if (const auto living = weak.lock())
                living->close(owner);
        };
    }
    if (what == "trusted") {
        const bool trusted = sim::json_codec::read<bool>(value, at);
        return [trusted](sim::World& owner) { owner.setTrusted(trusted); };
    }
    if (what == "removeDisplay") {
        const std::int64_t number = sim::json_codec::read<std::int64_t>(value, at);
        return [number](sim::World& owner) { sim::Displays::of(owner).removeDisplay(number); };
    }
    if (what == "addDisplay") {
        // Read as a world file's display, by the world files' own table.
        sim::DisplayDescription description;
        try {
            description =
                sim::parseWorldDescription(Json{{"displays", Json::array({value})}}).displays.at(0);
        } catch (const sim::json_codec::FormatError& error) {
            fail(at, error.what());
        }
        if (!description.spaces.empty() || description.currentSpace)
            fail(at, "a display added to a running world takes no spaces");
        const sim::Display display{.number = description.number,
                                   .uuid = description.uuid,
                                   .frame = description.frame,
                                   .menuBarHeight = description.menuBarHeight,
                                   .dock = description.dock};
        return [display](sim::World& owner) { sim::Displays::of(owner).addDisplay(display); };
    }
    if (what == "defaults") {
        // A setting of the program, as its preferences window writes it.
        const auto setting = sim::json_codec::read<DefaultsChange>(value, at);
        std::optional<platform::PlistObject> stored;
        const Json& raw = setting.value;
        if (raw.is_boolean())
            stored = platform::PlistObject::boolean(raw.get<bool>());
        else if (raw.is_number_integer() && !raw.is_number_unsigned())
            stored = platform::PlistObject::integer(raw.get<std::int64_t>());
        else if (raw.is_number_float() && std::isfinite(raw.get<double>()))
            stored = platform::PlistObject::real(raw.get<double>());
        else if (raw.is_string())
            stored = platform::PlistObject::string(raw.get<std::string>());
        else if (!raw.is_null())
            fail(at.key("value"), "a setting is true, false, a number, a string or null");
        return [key = setting.key, stored](sim::World&) {
            platform::UserDefaults::standard().setObject(stored, key);
        };
    }
    if (what == "overview") {
        // The user opens Mission Control or App Exposé, or closes what shows (null).
        enum class Shown { none, missionControl, appExpose };
        Shown shown = Shown::none;
        if (value == "missionControl")
            shown = Shown::missionControl;
        else if (value == "appExpose")
            shown = Shown::appExpose;
        else if (!value.is_null())
            fail(at, "expected \"missionControl\", \"appExpose\" or null");
        return [shown](sim::World& owner) {
            sim::Spaces& spaces = sim::Spaces::of(owner);
            if (shown == Shown::missionControl)
                spaces.showMissionControl(owner);
            else if (shown == Shown::appExpose)
                spaces.showAppExpose(owner);
            else
                spaces.hide(owner);
        };
    }
    fail(at,
         "unknown happening (expected hang, unhang, quit, close, trusted, removeDisplay, "
         "addDisplay, defaults or overview)");
}

void meanwhile(sim::World& world, const Json& arguments, const Place& at) {
    if (!arguments.is_object())
        fail(at, "expected an object");
    double in = 0;
    std::function<void(sim::World&)> happen;
    for (const auto& [key, value] : arguments.items()) {
        if (key == "in") {
            in = sim::json_codec::read<double>(value, at.key("in"));
            if (in < 0 || in > longestAdvance)
                fail(at.key("in"),
                     "takes seconds from 0 to " + std::to_string(static_cast<int>(longestAdvance)));
        } else if (happen) {
            fail(at.key(key), "one happening a step");
        } else {
            happen = happening(world, key, value, at.key(key));
        }
    }
    if (!happen)
        fail(at, "needs what happens");
    platform::DispatchQueue::main().asyncAfter(
        platform::DispatchTime::now() + in, [weakWorld = world.weak(), happen = std::move(happen)] {
            if (const auto living = weakWorld.lock())
                happen(*living);
        });
}

using Step = void (*)(sim::World&, const Json&, const Place&);

constexpr std::array<std::pair<std::string_view, Step>, 27> steps{{
    {"advance", advance},
    {"read", read},
    {"set", set},
    {"perform", perform},
    {"hitTest", hitTest},
    {"trusted", trusted},
    {"systemSettings", systemSettings},
    {"loginItems", loginItems},
    {"programBundle", programBundle},
    {"hang", hang},
    {"unhang", unhang},
    {"drag", drag},
    {"resize", resize},
    {"journal", journal},
    {"hardware", hardware},
    {"windows", windows},
    {"clickStatusItem", clickStatusItem},
    {"dragStatusItemOut", dragStatusItemOut},
    {"chooseMenuItem", chooseMenuItem},
    {"answerAlert", answerAlert},
    {"statusBar", statusBar},
    {"enable", enable},
    {"plugDisplay", plugDisplay},
    {"unplugDisplay", unplugDisplay},
    {"appearance", appearance},
    {"recordShortcut", recordShortcut},
    {"meanwhile", meanwhile},
}};

void runStep(sim::World& world, const Json& entry, const ExtraSteps& extraSteps) {
    if (!entry.is_object() || entry.size() != 1)
        fail({}, "a step is an object with one key, the step's name");
    const std::string verb = entry.begin().key();
    for (const auto& [name, step] : steps) {
        if (name == verb) {
            step(world, entry.begin().value(), Place().key(verb));
            return;
        }
    }
    if (const auto extra = extraSteps.find(verb); extra != extraSteps.end()) {
        try {
            extra->second(entry.begin().value());
        } catch (const ScriptError& error) {
            fail(Place().key(verb), error.what());
        }
        return;
    }
    std::vector<std::string_view> names;
    for (const auto& step : steps)
        names.push_back(step.first);
    for (const auto& extra : extraSteps)
        names.push_back(extra.first);
    fail(Place().key(verb), "unknown step (expected " +
                                sim::json_codec::joinedNames(names.data(), names.size()) + ")");
}

}  // namespace

void runScript(const Json& script, const ExtraSteps& extraSteps) {
    if (!script.is_array())
        throw ScriptError("a script is a JSON array of steps");
    sim::World& world = sim::World::current();
    for (std::size_t step = 0; step < script.size(); ++step) {
        try {
            runStep(world, script[step], extraSteps);
        } catch (const sim::json_codec::FormatError& error) {
            throw ScriptError("step " + std::to_string(step + 1) + ": " + error.what());
        }
    }
}

}  // namespace zoral::world_runner

#include "sim/world_format.h"

#include <cstdint>
#include <limits>
#include <stdexcept>
#include <tuple>

namespace zoral::sim::json_codec {

namespace ax = platform::ax;

constexpr const char* processIdentifier(const std::int64_t& pid) {
    return pid <= 0 || pid > std::numeric_limits<platform::ProcessId>::max()
               ? "must be a positive process id"
               : nullptr;
}

constexpr const char* absolutePath(const std::string& path) {
    return path.empty() || path.front() != '/' ? "must be an absolute path" : nullptr;
}

// Rules may name the process of the system-wide element.
constexpr const char* processOrSystemWide(const std::int64_t& pid) {
    return pid < 0 || pid > std::numeric_limits<platform::ProcessId>::max()
               ? "must be a process id, or 0 for the system-wide element"
               : nullptr;
}

// Mouse buttons by number: bits of the pressed-buttons mask.
const char* buttonNumbers(const std::vector<std::int64_t>& buttons) {
    for (const std::int64_t button : buttons) {
        if (button < 0 || button > 31)
            return "a mouse button is a number from 0 to 31";
    }
    return nullptr;
}

constexpr const char* thirtyTwoBits(const std::int64_t& value) {
    return value < 0 || value > std::numeric_limits<std::uint32_t>::max()
               ? "a number from 0 to 4294967295"
               : nullptr;
}

constexpr const char* positiveLength(const double& length) {
    return length > 0 ? nullptr : "must be positive";
}

constexpr const char* layerNumber(const std::int64_t& layer) {
    return layer < std::numeric_limits<int>::min() || layer > std::numeric_limits<int>::max()
               ? "out of range"
               : nullptr;
}

template <>
struct NameTable<platform::ActivationPolicy> {
    using enum platform::ActivationPolicy;
    static constexpr std::array<std::pair<platform::ActivationPolicy, std::string_view>, 3> names{{
        {regular, "regular"},
        {accessory, "accessory"},
        {prohibited, "prohibited"},
    }};
};

template <>
struct NameTable<DockTileKind> {
    using enum DockTileKind;
    static constexpr std::array<std::pair<DockTileKind, std::string_view>, 4> names{{
        {application, "application"},
        {folder, "folder"},
        {separator, "separator"},
        {trash, "trash"},
    }};
};

template <>
struct NameTable<RoundTrip> {
    using enum RoundTrip;
    static constexpr std::array<std::pair<RoundTrip, std::string_view>, 9> names{{
        {copyAttributeValue, "copyAttributeValue"},
        {copyAttributeNames, "copyAttributeNames"},
        {isAttributeSettable, "isAttributeSettable"},
        {setAttributeValue, "setAttributeValue"},
        {copyActionNames, "copyActionNames"},
        {performAction, "performAction"},
        {copyElementAtPosition, "copyElementAtPosition"},
        {getWindow, "getWindow"},
        {notificationDelivery, "notificationDelivery"},
    }};
};

template <>
struct NameTable<TabTreeShape> {
    using enum TabTreeShape;
    static constexpr std::array<std::pair<TabTreeShape, std::string_view>, 4> names{{
        {native, "native"},
        {browser, "browser"},
        {namedCells, "namedCells"},
        {editor, "editor"},
    }};
};

template <>
struct NameTable<GreenButton> {
    using enum GreenButton;
    static constexpr std::array<std::pair<GreenButton, std::string_view>, 2> names{{
        {fullScreen, "fullScreen"},
        {zoom, "zoom"},
    }};
};

template <>
struct NameTable<OverviewKind> {
    using enum OverviewKind;
    static constexpr std::array<std::pair<OverviewKind, std::string_view>, 2> names{{
        {missionControl, "missionControl"},
        {appExpose, "appExpose"},
    }};
};

template <>
struct NameTable<platform::iohid::AccessType> {
    using enum platform::iohid::AccessType;
    static constexpr std::array<std::pair<platform::iohid::AccessType, std::string_view>, 3> names{{
        {granted, "granted"},
        {denied, "denied"},
        {unknown, "unknown"},
    }};
};

template <>
struct NameTable<platform::SMAppServiceStatus> {
    using enum platform::SMAppServiceStatus;
    static constexpr std::array<std::pair<platform::SMAppServiceStatus, std::string_view>, 4> names{
        {
            {notRegistered, "notRegistered"},
            {enabled, "enabled"},
            {requiresApproval, "requiresApproval"},
            {notFound, "notFound"},
        }};
};

// The layout's identifier, or null for none that types ASCII.
template <>
struct Codec<KeyboardLayoutChoice> {
    static KeyboardLayoutChoice read(const Json& json, const Place& place) {
        if (json.is_null())
            return {std::nullopt};
        if (!json.is_string())
            fail(place, "expected a layout's identifier, or null for none");
        return {json.get<std::string>()};
    }
    static Json write(const KeyboardLayoutChoice& choice) {
        return choice.identifier ? Json(*choice.identifier) : Json(nullptr);
    }
};

// Property-list values as JSON has them: strings, booleans, integers, reals, arrays and
// dictionaries (objects). Dates, data and archive references have no JSON form.
template <>
struct Codec<platform::PlistObject> {
    static platform::PlistObject read(const Json& json, const Place& place);
    static Json write(const platform::PlistObject& value);
};

template <>
struct Codec<platform::PlistDictionary> {
    static platform::PlistDictionary read(const Json& json, const Place& place) {
        if (!json.is_object())
            fail(place, "expected an object");
        platform::PlistDictionary dictionary;
        for (auto entry = json.begin(); entry != json.end(); ++entry) {
            dictionary.insert_or_assign(entry.key(), Codec<platform::PlistObject>::read(
                                                         entry.value(), place.key(entry.key())));
        }
        return dictionary;
    }
    static Json write(const platform::PlistDictionary& dictionary) {
        Json json = Json::object();
        for (const auto& [key, value] : dictionary)
            json[key] = Codec<platform::PlistObject>::write(value);
        return json;
    }
};

platform::PlistObject Codec<platform::PlistObject>::read(const Json& json, const Place& place) {
    if (json.is_string())
        return platform::PlistObject::string(json.get<std::string>());
    if (json.is_boolean())
        return platform::PlistObject::boolean(json.get<bool>());
    if (json.is_number_integer())
        return platform::PlistObject::integer(Codec<std::int64_t>::read(json, place));
    if (json.is_number())
        return platform::PlistObject::real(Codec<double>::read(json, place));
    if (json.is_array()) {
        platform::PlistArray items;
        for (std::size_t i = 0; i < json.size(); ++i)
            items.push_back(read(json[i], place.index(i)));
        return platform::PlistObject::array(std::move(items));
    }
    if (json.is_object())
        return platform::PlistObject::dictionary(
            Codec<platform::PlistDictionary>::read(json, place));
    fail(place, "expected a string, a boolean, a number, an array or an object");
}

Json Codec<platform::PlistObject>::write(const platform::PlistObject& value) {
    using Kind = platform::PlistObject::Kind;
    switch (value.kind()) {
        case Kind::string:
            return value.get<std::string>();
        case Kind::boolean:
            return value.get<bool>();
        case Kind::integer: {
            const auto integer = value.get<platform::PlistInteger>();
            if (const auto small = integer.int64Value())
                return *small;
            return *integer.uint64Value();
        }
        case Kind::real:
            return value.get<double>();
        case Kind::array: {
            Json items = Json::array();
            for (const auto& item : value.get<platform::PlistArray>())
                items.push_back(write(item));
            return items;
        }
        case Kind::dictionary:
            return Codec<platform::PlistDictionary>::write(value.get<platform::PlistDictionary>());
        case Kind::date:
        case Kind::data:
        case Kind::uid:
            break;
    }
    throw std::runtime_error(std::string("a property-list ") + platform::kindName(value.kind()) +
                             " has no form in a world file");
}

// [major, minor, patch]
template <>
struct Codec<platform::OperatingSystemVersion> {
    static platform::OperatingSystemVersion read(const Json& json, const Place& place) {
        const auto parts = Codec<std::array<std::int64_t, 3>>::read(json, place);
        for (std::size_t i = 0; i < parts.size(); ++i) {
            if (parts[i] < 0)
                fail(place.index(i), "must not be negative");
        }
        return {parts[0], parts[1], parts[2]};
    }
    static Json write(const platform::OperatingSystemVersion& version) {
        return {version.majorVersion, version.minorVersion, version.patchVersion};
    }
};

template <>
struct FieldTable<WorldDescription> {
    using W = WorldDescription;
    static constexpr auto fields = std::tuple{
        field("latency", &W::latency).checked(notNegative).alwaysWritten(),
        field("latencyRules", &W::latencyRules),
        field("trusted", &W::trusted).alwaysWritten(),
        field("timing", &W::timing).alwaysWritten(),
        field("systemVersion", &W::systemVersion).alwaysWritten(),
        field("systemSettings", &W::systemSettings),
        field("displays", &W::displays),
        field("mainDisplay", &W::mainDisplay),
        field("pointer", &W::pointer).alwaysWritten(),
        field("modifierFlags", &W::modifierFlags).checked(notNegativeInteger),
        field("pressedButtons", &W::pressedButtons).checked(buttonNumbers),
        field("naturalScrolling", &W::naturalScrolling),
        field("eventCreationFails", &W::eventCreationFails),
        field("inputMonitoring", &W::inputMonitoring),
        field("keyboardLayout", &W::keyboardLayout),
        field("hotKeys", &W::hotKeys),
        field("cursor", &W::cursor),
        field("programPid", &W::programPid).checked(processIdentifier),
        field("processes", &W::processes).alwaysWritten(),
        field("windowOrder", &W::windowOrder),
        field("statusItems", &W::statusItems),
        field("dock", &W::dock),
        field("overview", &W::overview),
        field("loginItems", &W::loginItems),
        field("bundles", &W::bundles),
        field("programBundle", &W::programBundle).checked(absolutePath),
    };
};

template <>
struct FieldTable<LatencyRuleDescription> {
    using L = LatencyRuleDescription;
    static constexpr auto fields = std::tuple{
        field("pid", &L::pid).checked(processOrSystemWide),
        field("kind", &L::kind),
        field("name", &L::name),
        field("seconds", &L::seconds).required().checked(notNegative),
    };
};

template <>
struct FieldTable<InputMonitoringDescription> {
    using I = InputMonitoringDescription;
    static constexpr auto fields = std::tuple{
        field("post", &I::post),
        field("listen", &I::listen),
    };
};

template <>
struct FieldTable<CursorDescription> {
    using C = CursorDescription;
    static constexpr auto fields = std::tuple{
        field("hideCount", &C::hideCount).checked(notNegativeInteger),
        field("setsCursorInBackground", &C::setsCursorInBackground),
    };
};

template <>
struct FieldTable<HotKeysDescription> {
    using H = HotKeysDescription;
    static constexpr auto fields = std::tuple{
        field("held", &H::held),
        field("installHandlerFails", &H::installHandlerFails),
        field("symbolicHotKeysUnavailable", &H::symbolicHotKeysUnavailable),
    };
};

template <>
struct FieldTable<HeldHotKeyDescription> {
    using H = HeldHotKeyDescription;
    static constexpr auto fields = std::tuple{
        field("keyCode", &H::keyCode).required().checked(thirtyTwoBits),
        field("modifiers", &H::modifiers).required().checked(thirtyTwoBits),
    };
};

template <>
struct FieldTable<LoginItemsDescription> {
    using L = LoginItemsDescription;
    static constexpr auto fields = std::tuple{
        field("serviceStatus", &L::serviceStatus),
        field("registerFailure", &L::registerFailure),
        field("unregisterFailure", &L::unregisterFailure),
        field("sessionListAvailable", &L::sessionListAvailable),
        field("snapshotFails", &L::snapshotFails),
        field("sessionItems", &L::sessionItems),
    };
};

template <>
struct FieldTable<ErrorDescription> {
    using E = ErrorDescription;
    static constexpr auto fields = std::tuple{
        field("domain", &E::domain).required(),
        field("code", &E::code).required(),
        field("description", &E::description),
    };
};

template <>
struct FieldTable<SessionLoginItemDescription> {
    using S = SessionLoginItemDescription;
    static constexpr auto fields = std::tuple{
        field("url", &S::url).required(),
        field("properties", &S::properties),
        field("resolves", &S::resolves),
    };
};

template <>
struct FieldTable<TimingDescription> {
    using T = TimingDescription;
    static constexpr auto fields = std::tuple{
        field("activation", &T::activation).checked(notNegative).alwaysWritten(),
        field("termination", &T::termination).checked(notNegative).alwaysWritten(),
        field("hide", &T::hide).checked(notNegative).alwaysWritten(),
        field("minimize", &T::minimize).checked(notNegative).alwaysWritten(),
        field("restore", &T::restore).checked(notNegative).alwaysWritten(),
        field("fullScreenEnter", &T::fullScreenEnter).checked(notNegative).alwaysWritten(),
        field("fullScreenExit", &T::fullScreenExit).checked(notNegative).alwaysWritten(),
        field("tabDetach", &T::tabDetach).checked(notNegative).alwaysWritten(),
    };
};

template <>
struct FieldTable<SystemSettings> {
    using S = SystemSettings;
    static constexpr auto fields = std::tuple{
        field("interfaceStyle", &S::interfaceStyle),
        field("dockOrientation", &S::dockOrientation),
        field("stageManager", &S::stageManager),
        field("symbolicHotKeys", &S::symbolicHotKeys),
        field("statusItemVisibility", &S::statusItemVisibility),
        field("inputDevices", &S::inputDevices),
    };
};

template <>
struct FieldTable<StageManagerSettings> {
    using S = StageManagerSettings;
    static constexpr auto fields = std::tuple{
        field("globallyEnabled", &S::globallyEnabled),
        field("autoHide", &S::autoHide),
    };
};

template <>
struct FieldTable<SymbolicHotKeyEntry> {
    using E = SymbolicHotKeyEntry;
    static constexpr auto fields = std::tuple{
        field("enabled", &E::enabled).required(),
        field("parameters", &E::parameters).required(),
    };
};

template <>
struct FieldTable<DisplayDescription> {
    using D = DisplayDescription;
    static constexpr auto fields = std::tuple{
        field("number", &D::number),
        field("uuid", &D::uuid),
        field("frame", &D::frame).required(),
        field("menuBarHeight", &D::menuBarHeight).checked(notNegative),
        field("dock", &D::dock),
        field("spaces", &D::spaces),
        field("currentSpace", &D::currentSpace),
    };
};

template <>
struct FieldTable<DockInset> {
    static constexpr auto fields = std::tuple{
        field("edge", &DockInset::edge).required(),
        field("thickness", &DockInset::thickness).required().checked(notNegative),
    };
};

template <>
struct FieldTable<SpaceDescription> {
    using S = SpaceDescription;
    static constexpr auto fields = std::tuple{
        field("id", &S::id).required().checked(positive),
        field("fullScreen", &S::fullScreen),
    };
};

template <>
struct FieldTable<ProcessDescription> {
    using P = ProcessDescription;
    static constexpr auto fields = std::tuple{
        field("pid", &P::pid).required().checked(processIdentifier),
        field("bundleIdentifier", &P::bundleIdentifier),
        field("name", &P::name),
        field("hung", &P::hung),
        field("pidUnreadable", &P::pidUnreadable),
        field("latency", &P::latency).checked(notNegative),
        field("bundleURL", &P::bundleURL),
        field("activationPolicy", &P::activationPolicy),
        field("hidden", &P::hidden),
        field("refusesTermination", &P::refusesTermination),
        field("enhancedUserInterface", &P::enhancedUserInterface),
        field("windowOptions", &P::windowOptions),
        field("menuBar", &P::menuBar),
        inlined(&P::application),
    };
};

template <>
struct FieldTable<MenuBarDescription> {
    using M = MenuBarDescription;
    static constexpr auto fields = std::tuple{
        field("menus", &M::menus),
        field("id", &M::id),
    };
};

template <>
struct FieldTable<StatusItemDescription> {
    using S = StatusItemDescription;
    static constexpr auto fields = std::tuple{
        field("pid", &S::pid).required().checked(processIdentifier),
        field("title", &S::title).required(),
        field("width", &S::width).checked(notNegative),
        field("id", &S::id),
    };
};

template <>
struct FieldTable<WindowOptionsDescription> {
    using W = WindowOptionsDescription;
    static constexpr auto fields = std::tuple{
        field("layer", &W::layer).checked(layerNumber),
        field("clickThrough", &W::clickThrough),
        field("allSpaces", &W::allSpaces),
    };
};

template <>
struct FieldTable<ElementContents> {
    using C = ElementContents;
    static constexpr auto fields = std::tuple{
        field("id", &C::id),
        field("attributes", &C::attributes),
        field("settable", &C::settable),
        field("actions", &C::actions),
        field("children", &C::children),
    };
};

template <>
struct FieldTable<ElementDescription> {
    using E = ElementDescription;
    static constexpr auto fields = std::tuple{
        field("role", &E::role).required(),
        field("window", &E::window),
        inlined(&E::contents),
    };
};

template <>
struct FieldTable<WindowDescription> {
    using W = WindowDescription;
    static constexpr auto fields = std::tuple{
        field("number", &W::number).checked(positive),
        field("minimumSize", &W::minimumSize),
        field("maximumSize", &W::maximumSize),
        field("fixedSize", &W::fixedSize),
        field("layer", &W::layer).checked(layerNumber),
        field("clickThrough", &W::clickThrough),
        field("allSpaces", &W::allSpaces),
        field("space", &W::space).checked(positive),
        field("frameBeforeFullScreen", &W::frameBeforeFullScreen),
        field("parts", &W::parts),
        field("tabBars", &W::tabBars),
    };
};

template <>
struct FieldTable<WindowPartDescription> {
    using P = WindowPartDescription;
    static constexpr auto fields = std::tuple{
        field("titleBar", &P::titleBar), field("toolbar", &P::toolbar),
        field("content", &P::content),   field("popover", &P::popover),
        field("menu", &P::menu),
    };
};

template <>
struct FieldTable<TitleBarDescription> {
    using T = TitleBarDescription;
    static constexpr auto fields = std::tuple{
        inlined(&T::style),
        field("closeId", &T::closeId),
        field("minimizeId", &T::minimizeId),
        field("greenId", &T::greenId),
    };
};

template <>
struct FieldTable<TitleBarStyle> {
    using T = TitleBarStyle;
    static constexpr auto fields = std::tuple{
        field("height", &T::height).checked(positiveLength),
        field("green", &T::green),
        field("closeEnabled", &T::closeEnabled),
        field("minimizeEnabled", &T::minimizeEnabled),
    };
};

template <class Place>
struct FieldTable<NamedPart<Place>> {
    using N = NamedPart<Place>;
    static constexpr auto fields = std::tuple{
        inlined(&N::place),
        field("id", &N::id),
    };
};

template <>
struct FieldTable<ToolbarPlace> {
    using T = ToolbarPlace;
    static constexpr auto fields = std::tuple{
        field("top", &T::top),
        field("height", &T::height).required().checked(notNegative),
        field("items", &T::items),
    };
};

template <>
struct FieldTable<ContentPlace> {
    static constexpr auto fields = std::tuple{
        field("top", &ContentPlace::top),
    };
};

template <>
struct FieldTable<PopoverPlace> {
    static constexpr auto fields = std::tuple{
        field("offset", &PopoverPlace::offset).required(),
    };
};

template <>
struct FieldTable<OpenMenuPlace> {
    using O = OpenMenuPlace;
    static constexpr auto fields = std::tuple{
        field("offset", &O::offset).required(),
        field("items", &O::items),
    };
};

template <>
struct FieldTable<TabBarDescription> {
    using T = TabBarDescription;
    static constexpr auto fields = std::tuple{
        field("shape", &T::shape).alwaysWritten(),
        field("top", &T::top),
        field("tabs", &T::tabs).required(),
    };
};

template <>
struct FieldTable<TabDescription> {
    using T = TabDescription;
    static constexpr auto fields = std::tuple{
        field("title", &T::title).required(),
        field("id", &T::id),
    };
};

template <>
struct FieldTable<DockDescription> {
    using D = DockDescription;
    static constexpr auto fields = std::tuple{
        field("pid", &D::pid).alwaysWritten().checked(processIdentifier),
        field("tiles", &D::tiles),
    };
};

template <>
struct FieldTable<DockTileDescription> {
    using T = DockTileDescription;
    static constexpr auto fields = std::tuple{
        field("kind", &T::kind).required(),
        field("title", &T::title),
        field("url", &T::url),
    };
};

// --- Attribute values

namespace {

constexpr std::string_view valueKinds = "point, size, rect, range, url, element or error";

AttributeValue readObjectValue(const Json& json, const Place& place) {
    if (json.size() != 1) {
        fail(place, "expected a value, or an object with one key: " + std::string(valueKinds));
    }
    const std::string kind = json.begin().key();
    const Json& body = json.begin().value();
    const Place at = place.key(kind);
    if (kind == "point")
        return {read<platform::CGPoint>(body, at)};
    if (kind == "size")
        return {read<platform::CGSize>(body, at)};
    if (kind == "rect")
        return {read<platform::CGRect>(body, at)};
    if (kind == "range") {
        const auto range = read<std::array<std::int64_t, 2>>(body, at);
        return {ax::Range{range[0], range[1]}};
    }
    if (kind == "url")
        return {ax::Url{read<std::string>(body, at)}};
    if (kind == "element") {
        if (body.is_null())
            return {ElementReference{}};
        return {ElementReference{read<std::string>(body, at)}};
    }
    if (kind == "error") {
        const std::int64_t code = read<std::int64_t>(body, at);
        if (code < std::numeric_limits<std::int32_t>::min() ||
            code > std::numeric_limits<std::int32_t>::max()) {
            fail(at, "code out of range");
        }
        return {ax::ErrorValue{static_cast<ax::Error>(code)}};
    }
    fail(place, "unknown value kind \"" + kind + "\" (expected " + std::string(valueKinds) + ")");
}

}  // namespace

AttributeValue Codec<AttributeValue>::read(const Json& json, const Place& place) {
    if (json.is_string())
        return {json.get<std::string>()};
    if (json.is_boolean())
        return {json.get<bool>()};
    if (json.is_number_integer())
        return {Codec<std::int64_t>::read(json, place)};
    if (json.is_number())
        return {Codec<double>::read(json, place)};
    if (json.is_array())
        return {Codec<AttributeValue::Array>::read(json, place)};
    if (json.is_object())
        return readObjectValue(json, place);
    fail(place, "expected a value");
}

Json Codec<AttributeValue>::write(const AttributeValue& value) {
    return std::visit(
        [](const auto& v) -> Json {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, std::string> || std::is_same_v<T, bool> ||
                          std::is_same_v<T, std::int64_t> || std::is_same_v<T, double>) {
                return Json(v);
            } else if constexpr (std::is_same_v<T, platform::CGPoint>) {
                return {{"point", json_codec::write(v)}};
            } else if constexpr (std::is_same_v<T, platform::CGSize>) {
                return {{"size", json_codec::write(v)}};
            } else if constexpr (std::is_same_v<T, platform::CGRect>) {
                return {{"rect", json_codec::write(v)}};
            } else if constexpr (std::is_same_v<T, ax::Range>) {
                return {{"range", {v.location, v.length}}};
            } else if constexpr (std::is_same_v<T, ax::Url>) {
                return {{"url", v.text}};
            } else if constexpr (std::is_same_v<T, ElementReference>) {
                return {{"element", v.name ? Json(*v.name) : Json(nullptr)}};
            } else if constexpr (std::is_same_v<T, ax::ErrorValue>) {
                return {{"error", static_cast<std::int32_t>(v.code)}};
            } else {
                return Codec<AttributeValue::Array>::write(v);
            }
        },
        value.value);
}

}  // namespace zoral::sim::json_codec

namespace zoral::sim {

WorldDescription parseWorldDescription(const platform::Json& json) {
    if (!json.is_object())
        json_codec::fail({}, "a world is a JSON object");
    return json_codec::read<WorldDescription>(json, {});
}

platform::Json formatWorldDescription(const WorldDescription& world) {
    return json_codec::write(world);
}

}  // namespace zoral::sim

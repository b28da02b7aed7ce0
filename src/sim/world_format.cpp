#include "sim/world_format.h"

#include <cstdint>
#include <limits>
#include <tuple>

namespace zoral::sim::json_codec {

namespace ax = platform::ax;

constexpr const char* processIdentifier(const std::int64_t& pid) {
    return pid <= 0 || pid > std::numeric_limits<platform::ProcessId>::max()
               ? "must be a positive process id"
               : nullptr;
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
        field("trusted", &W::trusted).alwaysWritten(),
        field("timing", &W::timing).alwaysWritten(),
        field("systemVersion", &W::systemVersion).alwaysWritten(),
        field("systemSettings", &W::systemSettings),
        field("displays", &W::displays),
        field("mainDisplay", &W::mainDisplay),
        field("pointer", &W::pointer).alwaysWritten(),
        field("processes", &W::processes).alwaysWritten(),
        field("dock", &W::dock),
        field("bundles", &W::bundles),
    };
};

template <>
struct FieldTable<TimingDescription> {
    using T = TimingDescription;
    static constexpr auto fields = std::tuple{
        field("activation", &T::activation).checked(notNegative).alwaysWritten(),
        field("termination", &T::termination).checked(notNegative).alwaysWritten(),
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
        field("latency", &P::latency).checked(notNegative),
        field("bundleURL", &P::bundleURL),
        field("activationPolicy", &P::activationPolicy),
        field("hidden", &P::hidden),
        field("refusesTermination", &P::refusesTermination),
        field("enhancedUserInterface", &P::enhancedUserInterface),
        inlined(&P::application),
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
        field("number", &W::number).checked(positive),  field("minimumSize", &W::minimumSize),
        field("maximumSize", &W::maximumSize),          field("fixedSize", &W::fixedSize),
        field("layer", &W::layer).checked(layerNumber), field("space", &W::space).checked(positive),
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

#include "sim/system_settings.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <vector>

#include "platform/atomic_file.h"
#include "platform/home.h"
#include "platform/plist_serialization.h"
#include "platform/user_defaults.h"
#include "sim/displays.h"

namespace zoral::sim {

namespace {

using platform::PlistObject;
using platform::UserDefaults;

constexpr std::string_view interfaceStyleKey = "AppleInterfaceStyle";
constexpr std::string_view dockDomain = "com.apple.Dock";
constexpr std::string_view orientationKey = "orientation";
constexpr std::string_view windowManagerDomain = "com.apple.WindowManager";
constexpr std::string_view globallyEnabledKey = "GloballyEnabled";
constexpr std::string_view autoHideKey = "AutoHide";
constexpr std::string_view hotKeysKey = "AppleSymbolicHotKeys";

// The value stored in the domain itself: neither the global domain nor registrations count.
std::optional<PlistObject> stored(std::string_view domain, std::string_view key) {
    const auto values = UserDefaults::standard().persistentDomainForName(domain);
    const auto found = values.find(key);
    if (found == values.end())
        return std::nullopt;
    return found->second;
}

std::optional<std::string> storedString(std::string_view domain, std::string_view key) {
    const auto value = stored(domain, key);
    if (!value)
        return std::nullopt;
    if (const auto* text = value->getIf<std::string>())
        return *text;
    throw SystemSettingsError("\"" + std::string(key) + "\" of " + std::string(domain) +
                              " is no string");
}

std::optional<bool> storedBool(std::string_view domain, std::string_view key) {
    const auto value = stored(domain, key);
    if (!value)
        return std::nullopt;
    if (const auto* flag = value->getIf<bool>())
        return *flag;
    throw SystemSettingsError("\"" + std::string(key) + "\" of " + std::string(domain) +
                              " is no boolean");
}

std::optional<PlistObject> asString(const std::optional<std::string>& text) {
    return text ? std::optional(PlistObject::string(*text)) : std::nullopt;
}

std::optional<DockEdge> storedOrientation() {
    const auto text = storedString(dockDomain, orientationKey);
    if (!text)
        return std::nullopt;
    for (const auto& [edge, name] : json_codec::NameTable<DockEdge>::names) {
        if (name == *text)
            return edge;
    }
    throw SystemSettingsError("\"orientation\" of com.apple.Dock is no side of the screen");
}

std::optional<PlistObject> asOrientation(std::optional<DockEdge> edge) {
    if (!edge)
        return std::nullopt;
    for (const auto& [known, name] : json_codec::NameTable<DockEdge>::names) {
        if (known == *edge)
            return PlistObject::string(std::string(name));
    }
    return std::nullopt;
}

std::optional<PlistObject> asBool(std::optional<bool> flag) {
    return flag ? std::optional(PlistObject::boolean(*flag)) : std::nullopt;
}

// --- The symbolic hot keys file

std::optional<std::vector<std::uint8_t>> fileBytes(const std::filesystem::path& path) {
    std::error_code error;
    if (!std::filesystem::exists(path, error))
        return std::nullopt;
    std::ifstream file(path, std::ios::binary);
    if (!file)
        throw SystemSettingsError(path.string() + " cannot be read");
    return std::vector<std::uint8_t>{std::istreambuf_iterator<char>(file),
                                     std::istreambuf_iterator<char>()};
}

SymbolicHotKeyEntry hotKeyEntry(const std::string& identifier, const PlistObject& entry) {
    const std::string where = "the symbolic hot key " + identifier;
    const PlistObject* enabled = entry.find("enabled");
    const PlistObject* value = entry.find("value");
    const PlistObject* parameters = value != nullptr ? value->find("parameters") : nullptr;
    const auto* list = parameters != nullptr ? parameters->getIf<platform::PlistArray>() : nullptr;
    if (enabled == nullptr || enabled->getIf<bool>() == nullptr || list == nullptr ||
        list->size() != 3) {
        throw SystemSettingsError(where + " has no \"enabled\" flag and three parameters");
    }
    SymbolicHotKeyEntry result{.enabled = enabled->get<bool>()};
    for (std::size_t i = 0; i < 3; ++i) {
        const auto* number = (*list)[i].getIf<platform::PlistInteger>();
        if (number == nullptr || !number->int64Value())
            throw SystemSettingsError(where + " has a parameter that is no integer");
        result.parameters[i] = *number->int64Value();
    }
    return result;
}

std::map<std::string, SymbolicHotKeyEntry> readHotKeys() {
    const auto path = platform::preferencesFile(symbolicHotKeysDomain);
    if (!path)
        return {};
    const auto bytes = fileBytes(*path);
    if (!bytes)
        return {};
    PlistObject root;
    try {
        root = platform::readPlist(*bytes).object;
    } catch (const platform::PlistSerializationError& error) {
        throw SystemSettingsError(path->string() + ": " + error.what());
    }
    const PlistObject* keys = root.find(hotKeysKey);
    const auto* entries = keys != nullptr ? keys->getIf<platform::PlistDictionary>() : nullptr;
    if (entries == nullptr)
        throw SystemSettingsError(path->string() + " holds no \"AppleSymbolicHotKeys\"");
    std::map<std::string, SymbolicHotKeyEntry> result;
    for (const auto& [identifier, entry] : *entries)
        result.emplace(identifier, hotKeyEntry(identifier, entry));
    return result;
}

std::vector<std::uint8_t> hotKeysFile(const std::map<std::string, SymbolicHotKeyEntry>& hotKeys) {
    platform::PlistDictionary entries;
    for (const auto& [identifier, entry] : hotKeys) {
        platform::PlistArray parameters;
        for (const std::int64_t parameter : entry.parameters)
            parameters.push_back(PlistObject::integer(parameter));
        entries.emplace(identifier,
                        PlistObject::dictionary({
                            {"enabled", PlistObject::boolean(entry.enabled)},
                            {"value", PlistObject::dictionary({
                                          {"parameters", PlistObject::array(std::move(parameters))},
                                          {"type", PlistObject::string("standard")},
                                      })},
                        }));
    }
    return platform::writePlist(
        PlistObject::dictionary({{std::string(hotKeysKey), PlistObject::dictionary(entries)}}),
        platform::PlistFormat::xml);
}

void writeHotKeys(const std::map<std::string, SymbolicHotKeyEntry>& hotKeys) {
    const auto path = platform::preferencesFile(symbolicHotKeysDomain);
    if (!path) {
        if (hotKeys.empty())
            return;
        throw SystemSettingsError(
            "the symbolic hot keys need a home to live in, and there is none");
    }
    if (hotKeys.empty()) {
        std::error_code error;
        std::filesystem::remove(*path, error);
        if (error)
            throw SystemSettingsError(path->string() + " cannot be removed: " + error.message());
        return;
    }
    const auto bytes = hotKeysFile(hotKeys);
    if (fileBytes(*path) == bytes)
        return;
    // The system's preferences folder exists in every home, as it does on the system.
    std::error_code folderError;
    std::filesystem::create_directories(path->parent_path(), folderError);
    if (const auto error = platform::writeFileAtomically(*path, bytes))
        throw SystemSettingsError(path->string() + " cannot be written: " + error->description());
}

// Stores or removes the key when it differs.
void update(std::string_view domain, std::string_view key,
            const std::optional<PlistObject>& value) {
    if (stored(domain, key) == value)
        return;
    const auto suite = UserDefaults::suite(domain);
    if (value) {
        suite->setObject(*value, key);
    } else {
        suite->removeObjectForKey(key);
    }
}

// --- The status bar's memory

StatusItemVisibility readStatusItemVisibility() {
    StatusItemVisibility result;
    const auto domain = UserDefaults::standard().persistentDomainForName(statusItemsDomain);
    for (const auto& [bundleIdentifier, items] : domain) {
        const auto* names = items.getIf<platform::PlistDictionary>();
        if (names == nullptr) {
            throw SystemSettingsError("\"" + bundleIdentifier + "\" of " +
                                      std::string(statusItemsDomain) + " is no dictionary");
        }
        for (const auto& [name, visible] : *names) {
            const bool* flag = visible.getIf<bool>();
            if (flag == nullptr) {
                throw SystemSettingsError("\"" + name + "\" of \"" + bundleIdentifier + "\" of " +
                                          std::string(statusItemsDomain) + " is no boolean");
            }
            result[bundleIdentifier][name] = *flag;
        }
    }
    return result;
}

std::optional<PlistObject> asVisibilities(const std::map<std::string, bool>& items) {
    platform::PlistDictionary names;
    for (const auto& [name, visible] : items)
        names.insert_or_assign(name, PlistObject::boolean(visible));
    return PlistObject::dictionary(std::move(names));
}

void writeStatusItemVisibility(const StatusItemVisibility& visibility) {
    const auto domain = UserDefaults::standard().persistentDomainForName(statusItemsDomain);
    for (const auto& [bundleIdentifier, items] : domain) {
        if (!visibility.contains(bundleIdentifier))
            update(statusItemsDomain, bundleIdentifier, std::nullopt);
    }
    for (const auto& [bundleIdentifier, items] : visibility)
        update(statusItemsDomain, bundleIdentifier, asVisibilities(items));
}

// --- The pointing devices

std::map<std::string, platform::PlistDictionary> readInputDevices() {
    std::map<std::string, platform::PlistDictionary> result;
    for (const std::string_view domain : inputDeviceDomains) {
        auto values = UserDefaults::standard().persistentDomainForName(domain);
        if (!values.empty())
            result.emplace(domain, std::move(values));
    }
    return result;
}

void checkInputDevices(const std::map<std::string, platform::PlistDictionary>& devices) {
    for (const auto& [domain, values] : devices) {
        if (std::find(inputDeviceDomains.begin(), inputDeviceDomains.end(), domain) ==
            inputDeviceDomains.end()) {
            throw SystemSettingsError("\"" + domain + "\" is no pointing device's domain");
        }
    }
}

void writeInputDevices(const std::map<std::string, platform::PlistDictionary>& devices) {
    UserDefaults& defaults = UserDefaults::standard();
    for (const std::string_view domain : inputDeviceDomains) {
        const auto found = devices.find(std::string(domain));
        const platform::PlistDictionary wanted =
            found != devices.end() ? found->second : platform::PlistDictionary{};
        if (defaults.persistentDomainForName(domain) == wanted)
            continue;
        if (wanted.empty()) {
            defaults.removePersistentDomainForName(domain);
        } else {
            defaults.setPersistentDomain(wanted, domain);
        }
    }
}

}  // namespace

namespace {

// The program's entry, its visibilities only: the status bar makes nothing of anything else.
std::map<std::string, bool> programEntry(std::string_view bundleIdentifier) {
    std::map<std::string, bool> items;
    const auto value = stored(statusItemsDomain, bundleIdentifier);
    const auto* names = value ? value->getIf<platform::PlistDictionary>() : nullptr;
    if (names == nullptr)
        return items;
    for (const auto& [name, visible] : *names) {
        if (const bool* flag = visible.getIf<bool>())
            items.emplace(name, *flag);
    }
    return items;
}

}  // namespace

std::optional<bool> rememberedStatusItemVisibility(std::string_view bundleIdentifier,
                                                   std::string_view autosaveName) {
    const auto items = programEntry(bundleIdentifier);
    const auto found = items.find(std::string(autosaveName));
    return found != items.end() ? std::optional(found->second) : std::nullopt;
}

void rememberStatusItemVisibility(std::string_view bundleIdentifier, std::string_view autosaveName,
                                  bool visible) {
    auto items = programEntry(bundleIdentifier);
    items[std::string(autosaveName)] = visible;
    update(statusItemsDomain, bundleIdentifier, asVisibilities(items));
}

SystemSettings readSystemSettings() {
    SystemSettings settings;
    settings.interfaceStyle = storedString(UserDefaults::globalDomainName, interfaceStyleKey);
    settings.dockOrientation = storedOrientation();
    settings.stageManager.globallyEnabled = storedBool(windowManagerDomain, globallyEnabledKey);
    settings.stageManager.autoHide = storedBool(windowManagerDomain, autoHideKey);
    settings.symbolicHotKeys = readHotKeys();
    settings.statusItemVisibility = readStatusItemVisibility();
    settings.inputDevices = readInputDevices();
    return settings;
}

void writeSystemSettings(const SystemSettings& settings) {
    checkInputDevices(settings.inputDevices);
    writeHotKeys(settings.symbolicHotKeys);
    writeInputDevices(settings.inputDevices);
    if (stored(UserDefaults::globalDomainName, interfaceStyleKey) !=
        asString(settings.interfaceStyle)) {
        setInterfaceStyle(settings.interfaceStyle);
    }
    update(dockDomain, orientationKey, asOrientation(settings.dockOrientation));
    update(windowManagerDomain, globallyEnabledKey, asBool(settings.stageManager.globallyEnabled));
    update(windowManagerDomain, autoHideKey, asBool(settings.stageManager.autoHide));
    writeStatusItemVisibility(settings.statusItemVisibility);
}

}  // namespace zoral::sim

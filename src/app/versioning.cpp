#include "app/versioning.h"

#include <array>
#include <cmath>
#include <string>
#include <utility>

#include "platform/iohid.h"
#include "platform/output.h"
#include "platform/screens.h"
#include "platform/updater.h"
#include "platform/url_opening.h"
#include "settings/defaults.h"

namespace zoral::app {

namespace {

using settings::ActionUserType;
using settings::ActionUserTypeSet;
using settings::HotkeysArrowLayout;
using settings::HotkeysCenterLayout;
using settings::TabAppType;
using settings::Defaults::Key;
using Keys = settings::Defaults::Keys;
namespace Defaults = settings::Defaults;

// Settings of older builds, read by the stages only. Each is a key like any other, with the
// default of the setting it feeds, so that an old key never stored carries that default over.
const Key<bool>& activateAfterSnapping() {
    static const Key<bool> key("activateAfterSnapping", false);
    return key;
}
const Key<bool>& screenMovingMoveCursor() {
    static const Key<bool> key("screenMovingMoveCursor", true);
    return key;
}
const Key<bool>& screenMovingChaining() {
    static const Key<bool> key("screenMovingChaining", true);
    return key;
}
const Key<bool>& snappingMovingMoveCursor() {
    static const Key<bool> key("snappingMovingMoveCursor", false);
    return key;
}
const Key<bool>& hotkeysWASD() {
    static const Key<bool> key("hotkeysWASD", false);
    return key;
}
const Key<bool>& showTooltips() {
    static const Key<bool> key("showTooltips", true);
    return key;
}
const Key<HotkeysArrowLayout>& legacyArrowLayout() {
    static const Key<HotkeysArrowLayout> key(std::string(legacyArrowLayoutKey),
                                             HotkeysArrowLayout::arrows);
    return key;
}

template <class Value>
void copy(const Key<Value>& from, const Key<Value>& to) {
    Defaults::writeValue(to, Defaults::readValue(from));
}

void addActions(std::initializer_list<ActionUserType> added) {
    Defaults::updateValue(Keys::actions(),
                          [&](ActionUserTypeSet& actions) { actions.insert(added); });
}

void addTabApp(TabAppType added) {
    Defaults::updateValue(Keys::tabApps(),
                          [&](settings::TabAppTypeSet& apps) { apps.insert(added); });
}

void stage16() {
    copy(activateAfterSnapping(), Keys::snappingActivateWindow());
    copy(screenMovingMoveCursor(), Keys::screensMoveCursor());
    copy(screenMovingChaining(), Keys::screensChainGesture());
    Defaults::resetKeys(Keys::superModifier(), Keys::generalModifier(), Keys::secondaryModifier(),
                        Keys::screenModifier());
}

void stage20() {
    addActions({ActionUserType::tabClose, ActionUserType::tabDetach, ActionUserType::appHide});
}

void stage22() {
    copy(snappingMovingMoveCursor(), Keys::snappingMoveCursor());
}

void stage32() {
    addActions({ActionUserType::snapNinths});
}

void stage41() {
    // The old set had today's name. Read as the user's stored value, with no default registered
    // under the name: a default of the empty set would stand in for today's twenty kinds on
    // every fresh install.
    const auto old = Defaults::persistedValue<ActionUserTypeSet>(Keys::actions().name(),
                                                                 *Keys::actions().suite());
    if (old && !old->empty()) {
        addActions({ActionUserType::windowHide});
        return;
    }
    const auto all = platform::allCases<ActionUserType>();
    Defaults::writeValue(Keys::actions(), ActionUserTypeSet(all.begin(), all.end()));
}

void stage43() {
    if (Defaults::readValue(hotkeysWASD()))
        Defaults::writeValue(Keys::hotkeyArrow(), HotkeysArrowLayout::wasd);
}

// The escape key of each arrow layout; none keeps the one chosen.
constexpr std::array<std::pair<HotkeysArrowLayout, std::optional<HotkeysCenterLayout>>, 5>
    undoKeyOfLayout{{
        {HotkeysArrowLayout::arrows, HotkeysCenterLayout::backspace},
        {HotkeysArrowLayout::wasd, HotkeysCenterLayout::letterX},
        {HotkeysArrowLayout::hjkl, std::nullopt},
        {HotkeysArrowLayout::ijkl, std::nullopt},
        {HotkeysArrowLayout::dvorak, HotkeysCenterLayout::letterQ},
    }};

void stage47() {
    addActions({ActionUserType::snapAlmost});
    copy(showTooltips(), Keys::tooltipShow());
    // Only a layout the user stored: the legacy key's default would undo the choice that the
    // stage before has just carried over.
    if (Defaults::persistedValue<HotkeysArrowLayout>(legacyArrowLayout().name(),
                                                     *legacyArrowLayout().suite())) {
        copy(legacyArrowLayout(), Keys::hotkeyArrow());
    }
    const HotkeysArrowLayout layout = Defaults::readValue(Keys::hotkeyArrow());
    for (const auto& [arrows, undo] : undoKeyOfLayout) {
        if (arrows == layout && undo)
            Defaults::writeValue(Keys::hotkeyUndo(), *undo);
    }
}

void stage49() {
    addTabApp(TabAppType::safari);
    if (Defaults::readValue(Keys::tabApps()).contains(TabAppType::edge))
        addTabApp(TabAppType::chrome);
}

void stage56() {
    addTabApp(TabAppType::arc);
}

void stage58() {
    addTabApp(TabAppType::vscode);
}

void stage60() {
    if (platform::isOperatingSystemAtLeast({10, 15, 0}) &&
        platform::iohid::checkAccess(platform::iohid::RequestType::listenEvent) !=
            platform::iohid::AccessType::granted) {
        platform::output::printLine("No IODHIDListenAccess");
    }
}

struct Stage {
    std::int64_t bound;
    void (*run)();
};

constexpr std::array<Stage, 11> stages{{
    {16, stage16},
    {20, stage20},
    {22, stage22},
    {32, stage32},
    {41, stage41},
    {43, stage43},
    {47, stage47},
    {49, stage49},
    {56, stage56},
    {58, stage58},
    {60, stage60},
}};

constexpr auto stageBounds = [] {
    std::array<std::int64_t, stages.size()> bounds{};
    for (std::size_t i = 0; i < stages.size(); ++i)
        bounds[i] = stages[i].bound;
    return bounds;
}();

// Onboarding has been seen in a build above this one: nothing more is shown.
constexpr std::int64_t lastBuildWithNews = 47;

}  // namespace

void addDefaultIgnoredApps() {
    for (const std::string_view identifier : defaultIgnoredApps) {
        Defaults::updateValue(Keys::blacklist(),
                              [&](std::set<std::string>& ignored) { ignored.emplace(identifier); });
    }
}

std::span<const std::int64_t> migrationStageBounds() {
    return stageBounds;
}

void migrateSettings(std::int64_t build) {
    const std::int64_t old = Defaults::readValue(Keys::buildNumber());
    Defaults::writeValue(Keys::buildNumber(), build);
    platform::output::printLine("Zoral: Build " + std::to_string(old) + " -> " +
                                std::to_string(build));
    if (old == 0)
        return;
    for (const Stage& stage : stages) {
        if (old <= stage.bound)
            stage.run();
    }
}

void setOnboardBuild(std::int64_t build) {
    Defaults::writeValue(Keys::buildNumberOnboard(), build);
}

void onboardBuild(const std::function<PreferencesWindowController&()>& preferencesController,
                  std::int64_t build) {
    const std::int64_t stored = Defaults::readValue(Keys::buildNumberOnboard());
    platform::output::printLine("Zoral: Onboard Build " + std::to_string(stored) + " -> " +
                                std::to_string(build));
    if (stored == 0) {
        PreferencesWindowController& controller = preferencesController();
        controller.requireAccessibility(
            [&controller, build] { controller.showWelcome([build] { setOnboardBuild(build); }); });
    } else if (stored <= lastBuildWithNews) {
        preferencesController().showWhatsNew([build] { setOnboardBuild(build); });
    }
}

namespace UpdaterSettings {

bool receivesBetaUpdates() {
    if (!platform::updater::exists())
        return false;
    const auto feed = platform::updater::feedURL();
    return feed && feed->find("-beta") != std::string::npos;
}

void setReceivesBetaUpdates(bool receives) {
    if (!platform::updater::exists())
        return;
    std::string address(feedAddress);
    if (receives)
        address += "-beta";
    platform::updater::setFeedURL(platform::isValidURL(address) ? std::optional(address)
                                                                : std::nullopt);
}

std::int64_t updateInterval() {
    if (!platform::updater::exists() || !platform::updater::automaticallyChecksForUpdates())
        return 0;
    return static_cast<std::int64_t>(std::trunc(platform::updater::updateCheckInterval()));
}

void setUpdateInterval(std::int64_t seconds) {
    if (!platform::updater::exists())
        return;
    if (seconds == 0) {
        platform::updater::setAutomaticallyChecksForUpdates(false);
        return;
    }
    platform::updater::setAutomaticallyChecksForUpdates(true);
    platform::updater::setUpdateCheckInterval(static_cast<double>(seconds));
}

}  // namespace UpdaterSettings

}  // namespace zoral::app

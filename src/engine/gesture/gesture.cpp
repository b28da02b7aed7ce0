#include "engine/gesture/gesture.h"

#include <algorithm>
#include <array>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <utility>
#include <variant>

#include "desktop/log_time_formatter.h"
#include "engine/actions/app_switcher.h"
#include "platform/dispatch.h"
#include "platform/haptics.h"
#include "platform/output.h"
#include "settings/defaults.h"
#include "settings/defaults_keys.h"

namespace zoral::engine {

namespace {

using settings::ActionUserType;
using settings::Defaults::Keys;
using settings::Defaults::readValue;

constexpr std::string_view separatorLine = "------------------------------------------";

// The only kinds a keyboard gesture may run: it has no pointer, so it acts on the focused window's
// place on the screens and spaces.
constexpr std::array hotkeyUserTypes{
    ActionUserType::screensMove,  ActionUserType::spacesMove, ActionUserType::snapCenter,
    ActionUserType::snapMax,      ActionUserType::snapHalves, ActionUserType::snapVertical,
    ActionUserType::snapQuarters, ActionUserType::snapAlmost, ActionUserType::snapThirds,
    ActionUserType::snapSixths,   ActionUserType::snapNinths,
};

// What a window shown by Mission Control cannot do.
constexpr std::array missionControlRefusedUserTypes{
    ActionUserType::windowFullscreen,
    ActionUserType::screensFullscreen,
    ActionUserType::spacesMove,
};

template <std::size_t N>
bool contains(const std::array<ActionUserType, N>& list, ActionUserType type) {
    return std::find(list.begin(), list.end(), type) != list.end();
}

bool originAllows(OriginType origin, ActionUserType type) {
    switch (origin) {
        case OriginType::hotkey:
            return contains(hotkeyUserTypes, type);
        case OriginType::mcWindow:
            return !contains(missionControlRefusedUserTypes, type);
        default:
            return true;
    }
}

void playGenericHaptic() {
    platform::hapticPerform(platform::NSHapticFeedbackPattern::generic,
                            platform::NSHapticFeedbackPerformanceTime::now);
}

Gesture::Done finished() {
    return Gesture::Done::initVoid();
}

}  // namespace

bool Gesture::announce(const Origin& origin) {
    platform::output::printLine(separatorLine);
    platform::output::printLine("Gesture " +
                                std::to_string(readValue(Keys::numberOfZodiriz()) + 1) +
                                ": Initialized (" + desktop::currentLogTime() + ")");
    std::optional<std::string> bundleIdentifier;
    if (origin.application)
        bundleIdentifier = origin.application->bundleIdentifier();
    platform::output::printLine("Origin: " + bundleIdentifier.value_or("unknown") + " " +
                                std::string(platform::caseName(origin.type)));
    const bool blocked =
        (origin.type == OriginType::menu && !readValue(Keys::originAppMenu())) ||
        (origin.type == OriginType::mcWindow && !readValue(Keys::originMissionControl()));
    if (blocked)
        platform::output::printLine("Gesture: Origin blocked");
    return !blocked;
}

Gesture::Gesture(Passkey, Origin origin, GestureServices services)
    : origin_(std::move(origin)), services_(std::move(services)) {
    if (!services_.resolver || !services_.performer || !services_.tooltips)
        throw std::invalid_argument("a gesture needs a resolver, a performer and tooltips");
}

Gesture::~Gesture() {
    // The release: the last holder (the engine or a continuation in flight) let go.
    const bool executed = wasExecuted_;
    auto release = [executed] {
        // A switcher opened by this gesture and never closed (a cancel, or a release that did not
        // close it) would leave Command held for the whole system.
        releaseHeldAppSwitcherCommand();
        if (executed)
            settings::Defaults::updateValue(Keys::numberOfZodiriz(),
                                            [](std::int64_t& count) { ++count; });
        platform::output::printLine(separatorLine);
    };
    if (platform::isMainThread())
        release();
    else
        platform::DispatchQueue::main().async(std::move(release));
}

GestureState Gesture::resolutionState(bool phaseAppended) const {
    return {
        .originType = origin_.type,
        .directions = directions_,
        .phases = phases_,
        .modifiers = modifiers_,
        .isCmdTabbing = isCmdTabbing_,
        .isChaining = isChaining_,
        .grids = grids_,
        .phaseAppended = phaseAppended,
    };
}

void Gesture::appendPhase(Phase phase) {
    phases_.push_back(phase);
    updatePhase();
}

void Gesture::appendDirection(desktop::Direction direction, Phase phase) {
    directions_.push_back(direction);
    appendPhase(phase);
}

Gesture::Done Gesture::apply(const Resolution& resolution) {
    grids_ = resolution.grids;
    if (resolution.startsCmdTabbing)
        startCmdTabbing();
    if (resolution.reroutesToWindow)
        rerouteToWindow();
    return std::visit(
        [this](const auto& outcome) -> Done {
            using Value = std::decay_t<decltype(outcome)>;
            if constexpr (std::is_same_v<Value, Nothing>) {
                return finished();
            } else if constexpr (std::is_same_v<Value, Clear>) {
                return clearAction();
            } else if constexpr (std::is_same_v<Value, Proposal>) {
                return setAction(outcome);
            } else {
                auto done = setAction(outcome.proposal);
                cancel();
                return done;
            }
        },
        resolution.outcome);
}

void Gesture::updatePhase() {
    if (isCancelled_)
        return;
    const std::optional<Phase> last =
        phases_.empty() ? std::nullopt : std::optional<Phase>(phases_.back());
    platform::output::printLine("Phase: " +
                                (last ? std::string(platform::caseName(*last)) : std::string("—")));
    services_.resolver->resolveAction(*this).runOnValue(
        [self = shared_from_this(), last](const promises::Unit&) { self->handlePhase(last); });
}

void Gesture::handlePhase(std::optional<Phase> phase) {
    if (!phase)
        return;
    if ((*phase == Phase::rested || *phase == Phase::paused) && !isBusy()) {
        // On a tab nothing is proposed until the fingers move: a tick would promise an action.
        if (origin_.type == OriginType::tab && !action_)
            return;
        if (readValue(Keys::hapticFeedback()))
            playGenericHaptic();
        return;
    }
    if (*phase == Phase::released) {
        updateTooltip(TooltipFade::byAction);
        // A chained execution still running is this action already under way: running it again
        // would act twice (a second window restored, say).
        if (!isChaining_)
            execute();
    }
}

Gesture::Done Gesture::setAction(const Proposal& proposal) {
    const Action& action = proposal.action;
    const bool display = proposal.display;
    const ActionUserType type = action.userType();
    if (!readValue(Keys::actions()).contains(type) || !originAllows(origin_.type, type))
        return finished();
    if (!action_ || action_->description() != action.description()) {
        platform::output::printLine("Action: " + action.description() + " " +
                                    (display ? "true" : "false"));
        previewSnapping(action, display);
        action_ = action;
    }
    if (proposal.executeNow)
        return execute();
    if (proposal.chain)
        return executeAndChain();
    return finished();
}

void Gesture::emptyTooltip() {
    if (readValue(Keys::tooltipShow()) && action_)
        services_.tooltips->update(*action_, {.show = false, .state = true, .clear = true},
                                   origin_.location);
}

Gesture::Done Gesture::clearAction() {
    emptyTooltip();
    action_.reset();
    return finished();
}

Gesture::Done Gesture::execute() {
    if (!action_)
        return finished();
    const Action action = *action_;
    return services_.performer->perform(origin_, action)
        .runOnValue([self = shared_from_this(), action](const ActionOutcome& outcome) {
            self->didExecute(outcome.first, outcome.second, action);
        });
}

void Gesture::didExecute(Origin newOrigin, bool succeeded, const Action& action) {
    origin_ = std::move(newOrigin);
    if (!succeeded && readValue(Keys::tooltipShow()) && action_)
        services_.tooltips->update(*action_, {.show = false, .state = false, .clear = false},
                                   origin_.location);
    wasExecuted_ = true;
    settings::Defaults::updateValue(
        Keys::numberOfActions(),
        [type = action.userType()](settings::ActionUserTypeCounts& counts) { ++counts[type]; });
}

Gesture::Done Gesture::executeAndChain() {
    isChaining_ = true;
    auto self = shared_from_this();
    return execute()
        .chain([self](const promises::Unit&) {
            platform::output::printLine("Gesture: chained");
            return self->clearAction();
        })
        .runOnValue([self](const promises::Unit&) {
            self->directions_.clear();
            self->phases_.clear();
            self->updatePhase();
            if (self->origin_.window) {
                self->appendPhase(Phase::chained);
            } else {
                self->cancel();
            }
            self->isChaining_ = false;
        });
}

void Gesture::cancel() {
    if (!isCancelled_) {
        emptyTooltip();
        updateTooltip(TooltipFade::normal);
        platform::output::printLine("Gesture: cancelled");
        if (action_ && readValue(Keys::hapticFeedback()))
            playGenericHaptic();
        action_.reset();
    }
    isCancelled_ = true;
}

void Gesture::previewSnapping(const Action& action, bool display) {
    if (readValue(Keys::tooltipShow())) {
        services_.tooltips->hide();
        services_.tooltips->update(action, {.show = true, .state = display, .clear = false},
                                   origin_.location);
    }
    if (readValue(Keys::tooltipLive()))
        services_.tooltips->livePreview(action, origin_.window, origin_.screen);
}

void Gesture::updateTooltip(TooltipFade fade) {
    services_.tooltips->fadeTooltips(tooltipFadeDuration(fade, action_));
}

}  // namespace zoral::engine

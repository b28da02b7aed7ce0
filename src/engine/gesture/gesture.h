#pragma once

// One gesture in flight, from the first touch or hotkey press to its release or cancellation. The
// input engines append directions and phases; after each phase the gesture asks the resolution what
// its state now selects; the resolution's answer is applied here (the gesture's own state moves on,
// then it proposes through setAction, which filters the proposal against the enabled action kinds
// and the origin, logs it and previews it, or clears or cancels). When the fingers lift
// the action runs; a chained run starts the selection over on the same gesture; a cancel drops the
// action. The gesture also carries the current span of the three snapping grids, which the
// resolution moves with each direction. Its state changes only through its operations.
//
// Held by shared_ptr: by the engine that drives it and by the continuations in flight. When the
// last of them lets go the gesture is released: a gesture that executed adds one to
// "numberOfZodiriz", and the closing separator is printed. Main thread only.

#include <memory>
#include <optional>
#include <vector>

#include "desktop/direction.h"
#include "engine/gesture/gesture_services.h"
#include "engine/model/action.h"
#include "engine/model/modifier.h"
#include "engine/model/origin.h"
#include "engine/model/phase.h"
#include "engine/resolution/resolution.h"
#include "engine/tooltips/tooltips.h"
#include "promises/guarantee.h"
#include "promises/result.h"

namespace zoral::engine {

class Gesture : public std::enable_shared_from_this<Gesture> {
protected:
    // Gestures are made through make(), which prints the start lines and refuses blocked origins.
    struct Passkey {
        explicit Passkey() = default;
    };

public:
    using Done = promises::Guarantee<promises::Unit>;

    // Prints the separator and the start lines; no gesture (after "Gesture: Origin blocked") for
    // an application-menu origin with "originAppMenu" off or a Mission Control window with
    // "originMissionControl" off. G may be a subclass that overrides the operations.
    template <class G = Gesture>
    static std::shared_ptr<G> make(Origin origin, GestureServices services) {
        if (!announce(origin))
            return nullptr;
        return std::make_shared<G>(Passkey{}, std::move(origin), std::move(services));
    }

    Gesture(Passkey, Origin origin, GestureServices services);
    virtual ~Gesture();
    Gesture(const Gesture&) = delete;
    Gesture& operator=(const Gesture&) = delete;

    // --- What the gesture is now

    const Origin& origin() const { return origin_; }
    const std::optional<Action>& action() const { return action_; }
    const std::vector<desktop::Direction>& directions() const { return directions_; }
    const std::vector<Phase>& phases() const { return phases_; }
    // The roles held, as the engine last set them.
    const std::vector<Modifier>& modifiers() const { return modifiers_; }
    // The current span of each snapping grid, as the resolution last left it.
    const GridStates& grids() const { return grids_; }
    bool wasExecuted() const { return wasExecuted_; }
    bool isCancelled() const { return isCancelled_; }
    bool isChaining() const { return isChaining_; }
    // The gesture drives the application switcher.
    bool isCmdTabbing() const { return isCmdTabbing_; }
    // A chained execution or the application switcher runs the gesture: its time-out waits, a rest
    // or pause plays no tick and a change of the modifier keys resolves nothing.
    bool isBusy() const { return isChaining_ || isCmdTabbing_; }
    // The gesture as the resolution reads it; valid while the gesture is left as it is.
    GestureState resolutionState(bool phaseAppended) const;

    // --- What the engines tell it

    // A phase recognised: appended, then updatePhase.
    void appendPhase(Phase phase);
    // A direction recognised with the phase it came with: both appended, then updatePhase.
    void appendDirection(desktop::Direction direction, Phase phase);
    // The roles held now. Resolving for them is the engine's call.
    void setModifiers(std::vector<Modifier> roles) { modifiers_ = std::move(roles); }

    // --- What the resolution tells it

    // Moves the gesture's state on as the resolution says (the grid spans, the application
    // switcher, a tab taken for its window), then proposes, clears or cancels as it says. The
    // state moves first: proposing may execute at once, and the execution may resolve again.
    Done apply(const Resolution& resolution);
    // From now on the gesture drives the application switcher.
    void startCmdTabbing() { isCmdTabbing_ = true; }
    // A tab gesture taken for its window: from now on it is a window gesture to every reader of
    // the origin (the core swallows its events, a rest is felt, the resolution reads a window).
    void rerouteToWindow() { origin_.type = OriginType::window; }

    // --- Operations

    // After a phase was appended: logs it, asks the resolution, and then (on a later turn of the
    // main queue) handles the phase. Nothing once cancelled.
    void updatePhase();
    // What the phase itself does: a haptic tick on a rest or pause, the execution on a release.
    void handlePhase(std::optional<Phase> phase);

    // The resolution's choice. `display` draws the tooltip active (true) or inactive (false) and
    // never blocks storing or executing; `chain` asks for executeAndChain, `executeNow` for an
    // immediate execute. An action of a disabled kind, or one the origin refuses, is ignored.
    virtual Done setAction(const Proposal& proposal);
    // The gesture no longer selects anything: empties the tooltip and forgets the action.
    virtual Done clearAction();
    // Performs the action (nothing without one); the gesture takes the origin it leaves.
    virtual Done execute();
    // Performs the action, then starts the selection over: with a window left, from a first
    // `chained` phase; without, the gesture is cancelled.
    virtual Done executeAndChain();
    // Drops the action and hides the tooltips; later phases are ignored.
    virtual void cancel();
    // Shows the action's tooltip at the origin and the live preview of the frame a snap would give.
    virtual void previewSnapping(const Action& action, bool display);
    // Fades the gesture's tooltips at the pace given.
    virtual void updateTooltip(TooltipFade fade);

    // After the executor finished: takes its origin, redraws a failed action's tooltip inactive,
    // marks the gesture executed and counts the action's kind in "numberOfActions".
    void didExecute(Origin newOrigin, bool succeeded, const Action& action);

private:
    // The start lines; false (after "Gesture: Origin blocked") for a blocked origin.
    static bool announce(const Origin& origin);

    // Empties the tooltip of the action proposed, when tooltips are shown.
    void emptyTooltip();

    Origin origin_;
    std::optional<Action> action_;
    std::vector<desktop::Direction> directions_;
    std::vector<Phase> phases_;
    std::vector<Modifier> modifiers_;
    GridStates grids_ = GridStates::initial();
    bool isCmdTabbing_ = false;
    bool wasExecuted_ = false;
    bool isCancelled_ = false;
    bool isChaining_ = false;
    GestureServices services_;
};

}  // namespace zoral::engine

#pragma once

// One gesture in flight, from the first touch or hotkey press to its release or cancellation. The
// input engines append directions and phases; after each phase the gesture asks the resolution what
// its state now selects, and the resolution proposes through setAction, which filters the proposal
// against the enabled action kinds and the origin, logs it and previews it. When the fingers lift
// the action runs; a chained run starts the selection over on the same gesture; a cancel drops the
// action. The gesture also carries the current span of the three snapping grids, which the
// resolution moves with each direction.
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
#include "engine/model/grid_span.h"
#include "engine/model/modifier.h"
#include "engine/model/origin.h"
#include "engine/model/phase.h"
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

    // --- State the engines and the resolution read and change

    const Origin& origin() const { return origin_; }
    const std::optional<Action>& action() const { return action_; }
    bool wasExecuted() const { return wasExecuted_; }
    bool isCancelled() const { return isCancelled_; }
    bool isChaining() const { return isChaining_; }
    // A tab gesture taken for its window: from now on it is a window gesture to every reader of
    // the origin (the core swallows its events, a rest is felt, the resolution reads a window).
    void rerouteToWindow() { origin_.type = OriginType::window; }

    // Set by the resolution while the gesture drives the application switcher.
    bool isCmdTabbing = false;
    // The current span of each snapping grid: both columns and the middle row of 2x3, the middle
    // column and both rows of 3x2, the centre cell of 3x3.
    GridSpan snappingState2x3{{0, 1}, {2, 2}, {2, 3}};
    GridSpan snappingState3x2{{1, 0}, {2, 2}, {3, 2}};
    GridSpan snappingState3x3{{1, 1}, {2, 2}, {3, 3}};
    std::vector<desktop::Direction> directions;
    std::vector<Phase> phases;
    // The roles held, as the engine last set them.
    std::vector<Modifier> modifiers;

    // --- Operations

    // After an engine appended a phase: logs it, asks the resolution, and then (on a later turn of
    // the main queue) handles the phase. Nothing once cancelled.
    void updatePhase();
    // What the phase itself does: a haptic tick on a rest or pause, the execution on a release.
    void handlePhase(std::optional<Phase> phase);

    // The resolution's choice. `display` draws the tooltip active (true) or inactive (false) and
    // never blocks storing or executing; `chain` asks for executeAndChain, `executeNow` for an
    // immediate execute. An action of a disabled kind, or one the origin refuses, is ignored.
    virtual Done setAction(const Action& action, bool display, bool chain = false,
                           bool executeNow = false);
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

    Origin origin_;
    std::optional<Action> action_;
    bool wasExecuted_ = false;
    bool isCancelled_ = false;
    bool isChaining_ = false;
    GestureServices services_;
};

}  // namespace zoral::engine

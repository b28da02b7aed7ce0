#pragma once

// What a gesture asks of the tooltips while it runs: preview the proposed action near the pointer,
// hide the cursor meanwhile, fade everything when the gesture ends (and bring the cursor back),
// and outline the frame a snap would give the window. The tooltip controller is the one
// implementation; the gesture holds this interface.

#include <cstdint>
#include <memory>
#include <optional>

#include "desktop/screen.h"
#include "desktop/window.h"
#include "engine/model/action.h"
#include "platform/geometry.h"

namespace zoral::engine {

// How quickly the tooltips fade when a gesture ends: the gesture's fade state.
enum class TooltipFade : std::uint8_t {
    immediate = 0,  // 0 s
    quick = 1,      // 0.1 s
    normal = 2,     // 0.3 s, as when a gesture is cancelled
    byAction = 3,   // the action's own pace (its style's variant), as when the fingers lift
};

// The fade's duration in seconds. By action: 0.3 s without an action; otherwise the action's
// tooltip variant taken as the state (0.1 s for the full-screen actions, 0.3 s for the others).
double tooltipFadeDuration(TooltipFade fade, const std::optional<Action>& action);

// How Tooltips::update treats the action's tooltip.
struct TooltipDrawing {
    bool show = false;   // brings it on screen
    bool state = false;  // draws it in the action's colour, else in the inactive colour
    bool clear = false;  // empties it instead of drawing the action
};

class Tooltips {
public:
    virtual ~Tooltips() = default;

    // Closes the tooltips of other shapes, then draws or empties the action's tooltip as `drawing`
    // says, places it around the point (bottom-left coordinates) and may bring it on screen.
    virtual void update(const Action& action, TooltipDrawing drawing, platform::CGPoint point) = 0;
    // Hides the cursor while tooltips are up ("tooltipHideCursor"), at most once.
    virtual void hide() = 0;
    // Undoes what the gesture's previews did, whatever the settings say by now: fades every
    // tooltip over the duration, brings the cursor back after it when it was hidden for them, and
    // fades the live preview over the same duration when it is up.
    virtual void fadeTooltips(double duration) = 0;
    // The live preview of the action for the gesture's window on its screen ("tooltipLive"): for
    // a snap, the outline grows out of the window's frame and glides to the target frame; for any
    // other action, or without a window, it fades out.
    virtual void livePreview(const Action& action, const std::shared_ptr<desktop::Window>& window,
                             const desktop::Screen& screen) = 0;
};

}  // namespace zoral::engine

#pragma once

// The tooltip controller: one tooltip container per tooltip shape (the circle, the window
// tooltip, the spaces and the screens groups), sized by "tooltipSize" and rebuilt when it
// changes; it shows, redraws, places and closes them for the actions a gesture proposes, hides the
// cursor while they are up and brings it back after they fade, and drives the live snapping
// preview. One process-wide instance; main thread only.

#include <map>
#include <memory>
#include <optional>

#include "desktop/dispatch_control_item.h"
#include "engine/model/tooltip_style.h"
#include "engine/tooltips/tooltip_container.h"
#include "engine/tooltips/tooltips.h"

namespace zoral::engine {

class LiveTooltipWindow;

class TooltipController : public Tooltips, public std::enable_shared_from_this<TooltipController> {
    struct Passkey {};

public:
    // The process's controller, made (with its containers) on first use.
    static std::shared_ptr<TooltipController> shared();
    // A controller of its own with its containers, previewing snaps in the live window.
    static std::shared_ptr<TooltipController> make(std::shared_ptr<LiveTooltipWindow> live);

    TooltipController(Passkey, std::shared_ptr<LiveTooltipWindow> live);
    ~TooltipController() override;

    const std::map<TooltipShape, std::shared_ptr<TooltipContainer>>& tooltips() const {
        return tooltips_;
    }
    bool isHidingCursor() const { return isHidingCursor_; }
    desktop::DispatchControlItem& unhideCursorDispatchItem() { return unhideCursorDispatchItem_; }
    const std::shared_ptr<LiveTooltipWindow>& liveWindow() const { return live_; }

    // Replaces the containers with new ones of the size "tooltipSize" holds now. The old ones are
    // dropped as they are.
    virtual void rebuildTooltips();
    void update(const Action& action, TooltipDrawing drawing, platform::CGPoint point) override;
    void hide() override;
    // Brings the cursor back when this controller hid it.
    void unhideCursor();
    void fadeTooltips(double duration) override;
    void livePreview(const Action& action, const std::shared_ptr<desktop::Window>& window,
                     const desktop::Screen& screen) override;

private:
    void closeOtherTooltips(const Action& action);

    std::map<TooltipShape, std::shared_ptr<TooltipContainer>> tooltips_;
    bool isHidingCursor_ = false;
    desktop::DispatchControlItem unhideCursorDispatchItem_;
    std::shared_ptr<LiveTooltipWindow> live_;
};

}  // namespace zoral::engine

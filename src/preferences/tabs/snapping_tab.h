#pragma once

// The Snapping tab: the snapping gestures, as rows that switch each kind on or off, and the
// snapping settings: the secondary and tertiary modifier keys, the gap between snapped windows
// (the grid offset) and whether it applies at the screen edges too, room for Stage Manager, and
// the snapping options. Every control writes its setting the moment the user changes it; the two
// grid-offset controls then rebuild the screens and snap every snapped window again at once, so
// the user sees the new gap while moving the slider.
//
// The controls are filled when the view loads; on each appearance the modifier controls and the
// Stage Manager box are read again, since other tabs and the status menu change them meanwhile
// (a stale box would write the old value back).
//
// Main thread only. Made with std::make_shared.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "preferences/tabs/tab.h"
#include "preferences/widgets/mod_key_control.h"
#include "ui/button.h"
#include "ui/slider.h"
#include "ui/stack_view.h"
#include "ui/text_field.h"

namespace zoral::preferences {

// How the tab names a grid offset: "Off" for -1, "Default" for 0, else the number and " Pixel".
std::string offsetText(std::int64_t offset);

class SnappingTabController : public PreferencesTabController {
public:
    // The slider's range; -1 is no gap at all.
    static constexpr std::int64_t minimumOffset = -1;
    static constexpr std::int64_t maximumOffset = 20;

    std::string tabTitle() const override { return "Snapping"; }
    std::string imageName() const override { return "PrefsSnapping"; }
    std::string symbolName() const override { return "rectangle.lefthalf.inset.fill"; }
    std::string nibName() const override { return "SnappingTab"; }
    // The four sections with separators between them.
    std::vector<std::shared_ptr<ui::View>> sections() const override;

    void viewDidLoad() override;
    void viewWillAppear() override;

    // The slider, its label and the edges checkbox's view from the stored offset.
    virtual void updateOffsetControls();

    // The outlets, for the window's layout and for tests.
    const std::shared_ptr<ui::View>& snappingOffsetView() const { return snappingOffsetView_; }
    const std::shared_ptr<ui::View>& snappingView() const { return snappingView_; }
    const std::shared_ptr<ui::View>& snappingThirdsView() const { return snappingThirdsView_; }
    const std::shared_ptr<ui::View>& snappingNinthsView() const { return snappingNinthsView_; }
    const std::shared_ptr<ModKeyControl>& secondaryModKeyControl() const {
        return secondaryModKeyControl_;
    }
    const std::shared_ptr<ModKeyControl>& tertiaryModKeyControl() const {
        return tertiaryModKeyControl_;
    }
    const std::shared_ptr<ui::Slider>& offsetSlider() const { return offsetSlider_; }
    const std::shared_ptr<ui::TextField>& offsetLabel() const { return offsetLabel_; }
    const std::shared_ptr<ui::Button>& offsetCheckbox() const { return offsetCheckbox_; }
    const std::shared_ptr<ui::StackView>& offsetCheckboxView() const { return offsetCheckboxView_; }
    const std::shared_ptr<ui::Button>& stageManagerCheckbox() const {
        return stageManagerCheckbox_;
    }
    const std::shared_ptr<ui::StackView>& stageManagerCheckboxView() const {
        return stageManagerCheckboxView_;
    }
    const std::shared_ptr<ui::Button>& activateWindowCheckbox() const {
        return activateWindowCheckbox_;
    }
    const std::shared_ptr<ui::Button>& moveCursorCheckbox() const { return moveCursorCheckbox_; }
    const std::shared_ptr<ui::Button>& dragUnsnapCheckbox() const { return dragUnsnapCheckbox_; }
    const std::shared_ptr<ui::Button>& resizeAdjacentCheckbox() const {
        return resizeAdjacentCheckbox_;
    }
    const std::shared_ptr<ui::StackView>& snappingGestureStack() const {
        return snappingGestureStack_;
    }
    const std::shared_ptr<ui::StackView>& thirdsGestureStack() const { return thirdsGestureStack_; }
    const std::shared_ptr<ui::StackView>& ninthsGestureStack() const { return ninthsGestureStack_; }

protected:
    void loadNib() override;

private:
    void offsetSlide(ui::Control& sender);
    void buildGestureRows();

    std::shared_ptr<ui::View> snappingOffsetView_;
    std::shared_ptr<ui::View> snappingView_;
    std::shared_ptr<ui::View> snappingThirdsView_;
    std::shared_ptr<ui::View> snappingNinthsView_;
    std::shared_ptr<ModKeyControl> secondaryModKeyControl_;
    std::shared_ptr<ModKeyControl> tertiaryModKeyControl_;
    std::shared_ptr<ui::Slider> offsetSlider_;
    std::shared_ptr<ui::TextField> offsetLabel_;
    std::shared_ptr<ui::Button> offsetCheckbox_;
    std::shared_ptr<ui::StackView> offsetCheckboxView_;
    std::shared_ptr<ui::Button> stageManagerCheckbox_;
    std::shared_ptr<ui::StackView> stageManagerCheckboxView_;
    std::shared_ptr<ui::Button> activateWindowCheckbox_;
    std::shared_ptr<ui::Button> moveCursorCheckbox_;
    std::shared_ptr<ui::Button> dragUnsnapCheckbox_;
    std::shared_ptr<ui::Button> resizeAdjacentCheckbox_;
    std::shared_ptr<ui::StackView> snappingGestureStack_;
    std::shared_ptr<ui::StackView> thirdsGestureStack_;
    std::shared_ptr<ui::StackView> ninthsGestureStack_;
};

}  // namespace zoral::preferences

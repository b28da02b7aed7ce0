#include "preferences/tabs/snapping_tab.h"

#include "engine/windows/screen_rebuild.h"
#include "engine/windows/snap_engine.h"
#include "platform/screens.h"
#include "preferences/tabs/tab_layout.h"
#include "preferences/widgets/gesture_view.h"
#include "settings/defaults.h"

namespace zoral::preferences {

namespace {

using settings::ActionUserType;
using settings::Defaults::Keys;
using settings::Defaults::readValue;
using settings::Defaults::writeValue;

// The first system with Stage Manager.
constexpr platform::OperatingSystemVersion stageManagerSystem{13, 0, 0};

// The snapping area follows the offset: the screens are rebuilt with it, then every snapped
// window goes onto its span of the rebuilt grid.
void resnapWithNewOffset() {
    engine::reinitializeScreens();
    engine::resnapAllWindows();
}

// A checkbox alone in a row of its own, so that the row can be hidden.
std::shared_ptr<ui::StackView> holder(std::shared_ptr<ui::Button> box) {
    return layout::row({std::move(box)});
}

// By stack, top to bottom; the centring row leads the first and is made apart.
const std::vector<layout::GestureRow>& snappingRows() {
    using enum GestureImage;
    static const std::vector<layout::GestureRow> rows{
        {ActionUserType::snapMax,
         "Maximize",
         GestureIcon::snapMax,
         GestureTint::zoral(),
         "Swipe up once to fill the entire desktop area.",
         std::nullopt,
         {{up}}},
        {ActionUserType::snapHalves,
         "Halves",
         GestureIcon::snapHalves,
         GestureTint::zoral(),
         "Swipe horizontally to snap to the left or right half of the screen.",
         std::nullopt,
         {{left}, {right}}},
        {ActionUserType::snapVertical,
         "Vertical",
         GestureIcon::snapVertical,
         GestureTint::zoral(),
         "Double-swipe vertically to snap to the top or bottom half of the screen.",
         std::nullopt,
         {{up, up}, {down, down}}},
        {ActionUserType::snapQuarters,
         "Quarters",
         GestureIcon::snapQuarters,
         GestureTint::zoral(),
         "Swipe horizontally and vertically to snap to a quarter. Both orders work.",
         std::nullopt,
         {{left, up}, {down, right}}},
    };
    return rows;
}

const std::vector<layout::GestureRow>& thirdsRows() {
    using enum GestureImage;
    static const std::vector<layout::GestureRow> rows{
        {ActionUserType::snapAlmost,
         "90% Max",
         GestureIcon::snapAlmost,
         GestureTint::zoral(),
         "Swipe up once to fill almost the entire desktop area.",
         "You can still access the upper sixth by swiping up twice.",
         {{mod2, up}}},
        {ActionUserType::snapThirds,
         "Thirds",
         GestureIcon::snapThirds,
         GestureTint::zoral(),
         "Swipe horizontally to switch between thirds and two-thirds. Tap and hold to access the "
         "middle third directly.",
         std::nullopt,
         {{mod2, hold, left, right}}},
        {ActionUserType::snapSixths,
         "Sixths",
         GestureIcon::snapSixths,
         GestureTint::zoral(),
         "In addition, swipe vertically to access the upper and lower halves of those thirds.",
         std::nullopt,
         {{mod2, hold, left, up, down, right}}},
    };
    return rows;
}

const std::vector<layout::GestureRow>& ninthsRows() {
    using enum GestureImage;
    static const std::vector<layout::GestureRow> rows{
        {ActionUserType::snapNinths,
         "Ninths",
         GestureIcon::snapNinths,
         GestureTint::zoral(),
         "Swipe to access ninths, two-ninths and four-ninths in a 3\u00D73 grid.",
         std::nullopt,
         {{mod3, hold, left, up, down, right}}},
    };
    return rows;
}

}  // namespace

std::string offsetText(std::int64_t offset) {
    if (offset == -1)
        return "Off";
    if (offset == 0)
        return "Default";
    return std::to_string(offset) + " Pixel";
}

void SnappingTabController::loadNib() {
    offsetSlider_ = std::make_shared<ui::Slider>(static_cast<double>(minimumOffset),
                                                 static_cast<double>(maximumOffset), 0);
    offsetSlider_->setNumberOfTickMarks(maximumOffset - minimumOffset + 1);
    offsetSlider_->setAllowsTickMarkValuesOnly(true);
    // Every step of a drag shows the new gap on the desktop.
    offsetSlider_->setContinuous(true);
    offsetSlider_->setWidth(200);
    offsetSlider_->setAction([weak = weak_from_this()](ui::Control& sender) {
        if (const auto self = std::static_pointer_cast<SnappingTabController>(weak.lock()))
            self->offsetSlide(sender);
    });
    offsetLabel_ = ui::TextField::label(offsetText(0));
    offsetLabel_->setWidth(70);
    offsetCheckbox_ =
        layout::checkbox("Keep the gap at the screen edges too", [](ui::Control& sender) {
            writeValue(Keys::gridOffsetEdges(), layout::isOn(sender));
            resnapWithNewOffset();
        });
    offsetCheckboxView_ = holder(offsetCheckbox_);
    stageManagerCheckbox_ =
        layout::checkbox("Leave room for Stage Manager", layout::writer(Keys::stageManagerMode()));
    stageManagerCheckboxView_ = holder(stageManagerCheckbox_);
    snappingOffsetView_ = layout::section(
        "Gap between windows",
        {layout::row({layout::caption("Window gap", 130), offsetSlider_, offsetLabel_}),
         offsetCheckboxView_, stageManagerCheckboxView_},
        20);

    secondaryModKeyControl_ = std::make_shared<ModKeyControl>();
    secondaryModKeyControl_->setAction(layout::writer(Keys::secondaryModifier()));
    tertiaryModKeyControl_ = std::make_shared<ModKeyControl>();
    tertiaryModKeyControl_->setAction(layout::writer(Keys::tertiaryModifier()));
    activateWindowCheckbox_ = layout::checkbox("Bring the snapped window to the front",
                                               layout::writer(Keys::snappingActivateWindow()));
    moveCursorCheckbox_ = layout::checkbox("Move the pointer with the window",
                                           layout::writer(Keys::snappingMoveCursor()));
    dragUnsnapCheckbox_ = layout::checkbox("Unsnap a window when it is dragged away",
                                           layout::writer(Keys::snappingDragUnsnap()));
    resizeAdjacentCheckbox_ = layout::checkbox("Resize adjacent snapped windows together",
                                               layout::writer(Keys::snappingResizeAdjacent()));
    snappingGestureStack_ = layout::column({}, 10);
    snappingView_ = layout::section(
        "Snapping", {activateWindowCheckbox_, moveCursorCheckbox_, dragUnsnapCheckbox_,
                     resizeAdjacentCheckbox_, snappingGestureStack_});

    thirdsGestureStack_ = layout::column({}, 10);
    snappingThirdsView_ = layout::section(
        "Thirds and sixths",
        {layout::row({layout::caption("Secondary modifier", 130), secondaryModKeyControl_}),
         thirdsGestureStack_});

    ninthsGestureStack_ = layout::column({}, 10);
    snappingNinthsView_ = layout::section(
        "Ninths",
        {layout::row({layout::caption("Tertiary modifier", 130), tertiaryModKeyControl_}),
         ninthsGestureStack_},
        0, 20);
}

std::vector<std::shared_ptr<ui::View>> SnappingTabController::sections() const {
    return separated(
        {snappingOffsetView_, snappingView_, snappingThirdsView_, snappingNinthsView_});
}

void SnappingTabController::viewDidLoad() {
    PreferencesTabController::viewDidLoad();
    if (!platform::isOperatingSystemAtLeast(stageManagerSystem))
        stageManagerCheckboxView_->setHidden(true);
    updateOffsetControls();
    activateWindowCheckbox_->setState(layout::stateOf(readValue(Keys::snappingActivateWindow())));
    moveCursorCheckbox_->setState(layout::stateOf(readValue(Keys::snappingMoveCursor())));
    dragUnsnapCheckbox_->setState(layout::stateOf(readValue(Keys::snappingDragUnsnap())));
    resizeAdjacentCheckbox_->setState(layout::stateOf(readValue(Keys::snappingResizeAdjacent())));
    // These two write their settings from their state, so they must show them.
    offsetCheckbox_->setState(layout::stateOf(readValue(Keys::gridOffsetEdges())));
    stageManagerCheckbox_->setState(layout::stateOf(readValue(Keys::stageManagerMode())));
    layout::applyModKeyRules(
        *secondaryModKeyControl_,
        {&Keys::secondaryModifier(),
         &Keys::superModifier(),
         {&Keys::generalModifier(), &Keys::screenModifier(), &Keys::tertiaryModifier()}});
    layout::applyModKeyRules(
        *tertiaryModKeyControl_,
        {&Keys::tertiaryModifier(),
         &Keys::superModifier(),
         {&Keys::generalModifier(), &Keys::screenModifier(), &Keys::secondaryModifier()}});
    buildGestureRows();
}

void SnappingTabController::buildGestureRows() {
    snappingGestureStack_->addArrangedSubview(std::make_shared<CenterGestureView>(
        ActionUserType::snapCenter, "Center", GestureIcon::snapUnsnap, GestureTint::zoral(),
        "Double tap to unsnap and/or center a window.",
        "Please make sure that the 'Smart zoom' option is checked in System Settings \u203A "
        "Trackpad \u203A Scroll & Zoom.",
        GestureSequences{{GestureImage::tap}}));
    layout::addGestureRows(*snappingGestureStack_, snappingRows());
    layout::addGestureRows(*thirdsGestureStack_, thirdsRows());
    layout::addGestureRows(*ninthsGestureStack_, ninthsRows());
}

void SnappingTabController::viewWillAppear() {
    PreferencesTabController::viewWillAppear();
    layout::refreshModKeyControl(*secondaryModKeyControl_);
    layout::refreshModKeyControl(*tertiaryModKeyControl_);
    // The status menu switches Stage Manager while the tab is hidden.
    stageManagerCheckbox_->setState(layout::stateOf(readValue(Keys::stageManagerMode())));
}

void SnappingTabController::updateOffsetControls() {
    const std::int64_t offset = readValue(Keys::gridOffset());
    offsetSlider_->setIntegerValue(offset);
    offsetLabel_->setStringValue(offsetText(offset));
    offsetCheckboxView_->setHidden(offset <= 0);
}

void SnappingTabController::offsetSlide(ui::Control& sender) {
    const auto* slider = dynamic_cast<const ui::Slider*>(&sender);
    if (slider == nullptr)
        return;
    writeValue(Keys::gridOffset(), slider->integerValue());
    updateOffsetControls();
    resnapWithNewOffset();
}

}  // namespace zoral::preferences

#pragma once

// The illustrated rows of the action kinds that the Windows, Snapping, Apps and Menubar tabs list.
// A GestureView shows an icon and a title (the header), the gestures that trigger the action as a
// strip of small images, and a one-line description. A click on the header switches the kind on
// or off in the setting "actions"; every row follows that setting, so all rows of one kind, in
// any tab, fade together when it is off. CenterGestureView is the same row with a pop-up in place
// of the title, which chooses "snappingCenterAction".
//
// GestureImage names the gesture images (its raw values are the images' names); the images of
// modifier keys are clickable and open the Advanced tab. GestureIcon names the rows' icons.
// MultiMotionView is a self-running illustration of two finger dots, stepped on the program's
// clock.
//
// Main thread only.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/action_user_type.h"
#include "settings/lifetime_association.h"
#include "ui/color.h"
#include "ui/image_view.h"
#include "ui/layer_view.h"
#include "ui/pop_up_button.h"
#include "ui/stack_view.h"
#include "ui/text_field.h"

namespace zoral::settings {
class DefaultsObservation;
}

namespace zoral::preferences {

class CursorStackView;

enum class GestureImage : std::uint8_t {
    left,
    right,
    up,
    down,
    inwards,
    outwards,
    hold,
    tap,
    modG,
    mod2,
    mod3,
    modS,
};

// The image's name, such as "GestureLeft".
std::string_view rawValue(GestureImage image);
// The case of exactly one of the twelve names; none for any other text.
std::optional<GestureImage> gestureImageFromRawValue(std::string_view rawValue);
// What the image's tool tip says, such as "Swipe right" or "General Modifier".
std::string_view tooltip(GestureImage image);
// Whether the image shows a modifier key (and so opens the Advanced tab when clicked).
bool isModifierImage(GestureImage image);
// The image view of one gesture image in the colour: a ModKeyImageView for the modifier keys.
std::shared_ptr<ui::ImageView> makeView(GestureImage image, const ui::Color& tint);

// The rows' icons, numbered 0 to 22.
enum class GestureIcon : std::uint8_t {
    point = 0,
    circle = 1,
    minus = 2,
    minusInv = 3,
    plus = 4,
    plusInv = 5,
    x = 6,
    xInv = 7,
    zoom = 8,
    zoomInv = 9,
    cycle = 10,
    app = 11,
    screens = 12,
    screensInv = 13,
    snapMax = 14,
    snapAlmost = 15,
    snapHalves = 16,
    snapVertical = 17,
    snapQuarters = 18,
    snapThirds = 19,
    snapSixths = 20,
    snapNinths = 21,
    snapUnsnap = 22,
};

// The icon's image name, such as "ActionCircle".
std::string_view imageName(GestureIcon icon);

// The four shared tints: the program's named colours, or the system colour when the program has
// none of that name.
struct GestureTint {
    // "Zoral", else system blue.
    static const ui::Color& zoral();
    // "Close", else system red.
    static const ui::Color& close();
    // "Minimize", else system yellow.
    static const ui::Color& minimize();
    // "Fullscreen", else system green.
    static const ui::Color& fullscreen();
};

// The gesture sequences of a row: one strip, or two (primary and secondary).
using GestureSequences = std::vector<std::vector<GestureImage>>;

class GestureView : public ui::StackView {
public:
    // The only way to make a row; made with std::make_shared.
    GestureView(settings::ActionUserType action, std::string title, GestureIcon icon,
                ui::Color tint, std::string description, std::optional<std::string> info,
                GestureSequences sequences);
    ~GestureView() override;

    settings::ActionUserType action() const { return action_; }
    const ui::Color& tint() const { return tint_; }
    const std::shared_ptr<CursorStackView>& headerView() const { return headerView_; }
    const std::shared_ptr<ui::ImageView>& imageView() const { return imageView_; }
    const std::shared_ptr<ui::TextField>& titleView() const { return titleView_; }
    const std::shared_ptr<ui::StackView>& gesturesView() const { return gesturesView_; }
    const std::shared_ptr<ui::StackView>& gestureFullView() const { return gestureFullView_; }
    const std::shared_ptr<ui::StackView>& gesturePrimaryView() const { return gesturePrimaryView_; }
    const std::shared_ptr<ui::StackView>& gestureSecondaryView() const {
        return gestureSecondaryView_;
    }
    const std::shared_ptr<ui::TextField>& infoView() const { return infoView_; }

    // The look from "actions": icon tint, alpha and the header's tool tip.
    virtual void updateAppearance();
    // Switches the row's kind in "actions"; the rows follow through their observation.
    virtual void toggleAction();
    // The header's click.
    void toggle() { toggleAction(); }

private:
    settings::ActionUserType action_;
    ui::Color tint_;
    std::shared_ptr<CursorStackView> headerView_;
    std::shared_ptr<ui::ImageView> imageView_;
    std::shared_ptr<ui::TextField> titleView_;
    std::shared_ptr<ui::StackView> gesturesView_;
    std::shared_ptr<ui::StackView> gestureFullView_;
    std::shared_ptr<ui::StackView> gesturePrimaryView_;
    std::shared_ptr<ui::StackView> gestureSecondaryView_;
    std::shared_ptr<ui::TextField> infoView_;
    // Last, so that the observation ends before the views go.
    settings::LifetimeOwner lifetime_;
};

// The centring row: a pop-up of the three centre actions in place of the title.
class CenterGestureView : public ui::StackView {
public:
    // The title is not used; the pop-up shows the stored "snappingCenterAction".
    CenterGestureView(settings::ActionUserType action, std::string title, GestureIcon icon,
                      ui::Color tint, std::string description, std::optional<std::string> info,
                      GestureSequences sequences);
    ~CenterGestureView() override;

    settings::ActionUserType action() const { return action_; }
    const ui::Color& tint() const { return tint_; }
    const std::shared_ptr<CursorStackView>& headerView() const { return headerView_; }
    const std::shared_ptr<ui::ImageView>& imageView() const { return imageView_; }
    // The container of the pop-up.
    const std::shared_ptr<ui::View>& titleView() const { return titleView_; }
    const std::shared_ptr<ui::PopUpButton>& popUpButton() const { return popUpButton_; }
    const std::shared_ptr<ui::StackView>& gesturesView() const { return gesturesView_; }
    const std::shared_ptr<ui::StackView>& gestureFullView() const { return gestureFullView_; }
    const std::shared_ptr<ui::StackView>& gesturePrimaryView() const { return gesturePrimaryView_; }
    const std::shared_ptr<ui::StackView>& gestureSecondaryView() const {
        return gestureSecondaryView_;
    }
    const std::shared_ptr<ui::TextField>& infoView() const { return infoView_; }

    virtual void updateAppearance();
    virtual void toggleAction();
    void toggle() { toggleAction(); }
    // The pop-up's action: writes the chosen item's centre action; nothing for an item that
    // names none.
    void selectWithSender(ui::Control& sender);

private:
    settings::ActionUserType action_;
    ui::Color tint_;
    std::shared_ptr<CursorStackView> headerView_;
    std::shared_ptr<ui::ImageView> imageView_;
    std::shared_ptr<ui::View> titleView_;
    std::shared_ptr<ui::PopUpButton> popUpButton_;
    std::shared_ptr<ui::StackView> gesturesView_;
    std::shared_ptr<ui::StackView> gestureFullView_;
    std::shared_ptr<ui::StackView> gesturePrimaryView_;
    std::shared_ptr<ui::StackView> gestureSecondaryView_;
    std::shared_ptr<ui::TextField> infoView_;
    settings::LifetimeOwner lifetime_;
};

// Two finger dots that slide up in two eased steps of 40 points, fade out, and start again every
// 2 seconds, on the program's clock, from the moment the view is made. 76 by 120 points.
class MultiMotionView : public ui::LayerView {
public:
    static constexpr double cycleDuration = 2.0;
    static constexpr int repeatCount = 100000;

    MultiMotionView();
    ~MultiMotionView() override;

    // Seconds into the current cycle; after the last repeat it stays at the end of a cycle.
    double phase() const;
    // Where the pair of dots stands in the view (the top-left corner of its container) and how
    // opaque it is, at a phase of the cycle.
    static platform::CGPoint containerPosition(double phase);
    static double containerOpacity(double phase);

    // Draws the dots where they stand now.
    void refresh();

private:
    void startCycle();

    struct Animation;
    std::shared_ptr<Animation> animation_;
};

}  // namespace zoral::preferences

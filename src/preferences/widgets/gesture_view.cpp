#include "preferences/widgets/gesture_view.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

#include "platform/enum_table.h"
#include "platform/scheduler.h"
#include "preferences/widgets/mod_key_control.h"
#include "preferences/widgets/small_widgets.h"
#include "settings/defaults.h"
#include "settings/snapping_center_action.h"
#include "settings/user_defaults_key_observation.h"
#include "ui/animator.h"

namespace zoral::preferences {

namespace {

using settings::Defaults::Keys;

struct GestureImageRecord {
    GestureImage image;
    std::string_view rawValue;
    std::string_view tooltip;
};

constexpr std::array<GestureImageRecord, 12> gestureImages{{
    {GestureImage::left, "GestureLeft", "Swipe left"},
    {GestureImage::right, "GestureRight", "Swipe right"},
    {GestureImage::up, "GestureUp", "Swipe up"},
    {GestureImage::down, "GestureDown", "Swipe down"},
    {GestureImage::inwards, "GestureInwards", "Pinch inwards"},
    {GestureImage::outwards, "GestureOutwards", "Pinch outwards"},
    {GestureImage::hold, "GestureHold", "Tap and hold with two fingers"},
    {GestureImage::tap, "GestureTap", "Double tap with two fingers"},
    {GestureImage::modG, "GestureModG", "General Modifier"},
    {GestureImage::mod2, "GestureMod2", "Secondary Modifier"},
    {GestureImage::mod3, "GestureMod3", "Tertiary Modifier"},
    {GestureImage::modS, "GestureModS", "Screen Modifier"},
}};

constexpr std::array<std::string_view, 23> iconNames{
    "ActionPoint",
    "ActionCircle",
    "ActionMinus",
    "ActionMinusInv",
    "ActionPlus",
    "ActionPlusInv",
    "ActionX",
    "ActionXInv",
    "ActionZoom",
    "ActionZoomInv",
    "ActionCycle",
    "ActionApp",
    "ActionScreens",
    "ActionScreensInv",
    "ActionSnapMax",
    "ActionSnapAlmost",
    "ActionSnapHalves",
    "ActionSnapVertical",
    "ActionSnapQuarters",
    "ActionSnapThirds",
    "ActionSnapSixths",
    "ActionSnapNinths",
    "ActionSnapUnsnap",
};

const GestureImageRecord& recordOf(GestureImage image) {
    return gestureImages[static_cast<std::size_t>(image)];
}

ui::Color namedOr(std::string_view name, ui::SystemColor fallback) {
    return ui::Color::named(name).value_or(ui::Color(fallback));
}

}  // namespace

std::string_view rawValue(GestureImage image) {
    return recordOf(image).rawValue;
}

std::optional<GestureImage> gestureImageFromRawValue(std::string_view rawValue) {
    for (const auto& record : gestureImages) {
        if (record.rawValue == rawValue)
            return record.image;
    }
    return std::nullopt;
}

std::string_view tooltip(GestureImage image) {
    return recordOf(image).tooltip;
}

bool isModifierImage(GestureImage image) {
    return image == GestureImage::modG || image == GestureImage::mod2 ||
           image == GestureImage::mod3 || image == GestureImage::modS;
}

std::shared_ptr<ui::ImageView> makeView(GestureImage image, const ui::Color& tint) {
    std::shared_ptr<ui::ImageView> view;
    if (isModifierImage(image))
        view = std::make_shared<ModKeyImageView>();
    else
        view = std::make_shared<ui::ImageView>();
    view->setImage(std::string(rawValue(image)));
    view->setTintColor(tint);
    view->setToolTip(std::string(tooltip(image)));
    return view;
}

std::string_view imageName(GestureIcon icon) {
    const auto index = static_cast<std::size_t>(icon);
    return index < iconNames.size() ? iconNames[index] : std::string_view();
}

const ui::Color& GestureTint::zoral() {
    // Made once; the assets are compiled in, so it never changes.
    static const ui::Color colour = namedOr("Zoral", ui::SystemColor::systemBlue);
    return colour;
}

const ui::Color& GestureTint::close() {
    // Made once; the assets are compiled in, so it never changes.
    static const ui::Color colour = namedOr("Close", ui::SystemColor::systemRed);
    return colour;
}

const ui::Color& GestureTint::minimize() {
    // Made once; the assets are compiled in, so it never changes.
    static const ui::Color colour = namedOr("Minimize", ui::SystemColor::systemYellow);
    return colour;
}

const ui::Color& GestureTint::fullscreen() {
    // Made once; the assets are compiled in, so it never changes.
    static const ui::Color colour = namedOr("Fullscreen", ui::SystemColor::systemGreen);
    return colour;
}

// --- The rows

GestureView::GestureView(settings::ActionUserType action, std::string title, GestureIcon icon,
                         ui::Color tint, std::string description, std::optional<std::string> info,
                         GestureSequences sequences)
    : action_(action), tint_(std::move(tint)) {
    (void)title;
    (void)icon;
    (void)description;
    (void)info;
    (void)sequences;
}

GestureView::~GestureView() = default;

void GestureView::updateAppearance() {}

void GestureView::toggleAction() {}

CenterGestureView::CenterGestureView(settings::ActionUserType action, std::string title,
                                     GestureIcon icon, ui::Color tint, std::string description,
                                     std::optional<std::string> info, GestureSequences sequences)
    : action_(action), tint_(std::move(tint)) {
    (void)title;
    (void)icon;
    (void)description;
    (void)info;
    (void)sequences;
}

CenterGestureView::~CenterGestureView() = default;

void CenterGestureView::updateAppearance() {}

void CenterGestureView::toggleAction() {}

void CenterGestureView::selectWithSender(ui::Control&) {}

// --- MultiMotionView

struct MultiMotionView::Animation {
    double start = 0;
};

MultiMotionView::MultiMotionView() : animation_(std::make_shared<Animation>()) {
    animation_->start = platform::uptimeSeconds();
    setWidth(76);
    setHeight(120);
}

MultiMotionView::~MultiMotionView() = default;

double MultiMotionView::phase() const {
    const double elapsed = std::max(0.0, platform::uptimeSeconds() - animation_->start);
    return std::fmod(elapsed, 2.0);
}

platform::CGPoint MultiMotionView::containerPosition() const {
    return {0, 0};
}

double MultiMotionView::containerOpacity() const {
    return 1;
}

}  // namespace zoral::preferences

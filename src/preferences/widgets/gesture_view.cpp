#include "preferences/widgets/gesture_view.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

#include "platform/enum_table.h"
#include "platform/scheduler.h"
#include "platform/system_colors.h"
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

namespace {

constexpr double iconSide = 24;
constexpr double titleWidth = 90;
constexpr double centerTitleWidth = 134;
constexpr double fullWidth = 86;
constexpr double centerFullWidth = 42;
constexpr double primaryWidth = 36;
constexpr double secondaryWidth = 42;
constexpr double disabledAlpha = 0.4;

// What both kinds of row are built from; each row keeps these as its fields.
struct RowParts {
    std::shared_ptr<CursorStackView> header;
    std::shared_ptr<ui::ImageView> icon;
    std::shared_ptr<ui::StackView> gestures;
    std::shared_ptr<ui::StackView> full;
    std::shared_ptr<ui::StackView> primary;
    std::shared_ptr<ui::StackView> secondary;
    std::shared_ptr<ui::TextField> info;
};

std::shared_ptr<ui::ImageView> makeIcon(GestureIcon icon) {
    auto view =
        std::make_shared<ui::ImageView>(static_cast<int>(iconSide), static_cast<int>(iconSide));
    // A name without an asset leaves the view empty.
    view->setImage(std::string(imageName(icon)));
    view->setWidth(iconSide);
    view->setHeight(iconSide);
    return view;
}

std::shared_ptr<ui::TextField> makeDescription(std::string description,
                                               const std::optional<std::string>& info) {
    auto label = ui::TextField::wrappingLabel(std::move(description));
    label->setSelectable(false);
    label->setFont(ui::Font::system(12, ui::FontWeight::regular));
    label->setTextColor(ui::SystemColor::secondaryLabel);
    label->setToolTip(info ? *info : std::string("No additional info available."));
    return label;
}

std::shared_ptr<ui::StackView> emptyStrip() {
    auto strip = std::make_shared<ui::StackView>();
    strip->setSpacing(0);
    return strip;
}

void fill(ui::StackView& strip, const std::vector<GestureImage>& images, const ui::Color& tint) {
    for (const GestureImage image : images)
        strip.addArrangedSubview(makeView(image, tint));
}

// The header of icon and title (or the pop-up's container), the strips and the description,
// arranged in the row; fullTint colours a single sequence.
RowParts buildRow(ui::StackView& row, GestureIcon icon, std::shared_ptr<ui::View> title,
                  std::string description, const std::optional<std::string>& info,
                  const GestureSequences& sequences, const ui::Color& fullTint,
                  double fullStripWidth) {
    RowParts parts;
    row.setOrientation(ui::LayoutOrientation::horizontal);
    row.setAlignment(ui::StackAlignment::firstBaseline);
    row.setDistribution(ui::StackDistribution::equalSpacing);

    parts.icon = makeIcon(icon);
    parts.header = std::make_shared<CursorStackView>(
        std::vector<std::shared_ptr<ui::View>>{parts.icon, std::move(title)});
    parts.header->setAlignment(ui::StackAlignment::centerY);
    parts.info = makeDescription(std::move(description), info);

    parts.full = emptyStrip();
    parts.primary = emptyStrip();
    parts.secondary = emptyStrip();
    if (sequences.size() == 1) {
        parts.primary->setHidden(true);
        parts.secondary->setHidden(true);
        fill(*parts.full, sequences[0], fullTint);
    } else if (sequences.size() == 2) {
        parts.full->setHidden(true);
        fill(*parts.primary, sequences[0], ui::SystemColor::label);
        fill(*parts.secondary, sequences[1], ui::SystemColor::secondaryLabel);
    }
    parts.gestures = std::make_shared<ui::StackView>(
        std::vector<std::shared_ptr<ui::View>>{parts.full, parts.primary, parts.secondary});
    parts.gestures->setAlignment(ui::StackAlignment::centerY);

    row.addArrangedSubview(parts.header);
    row.addArrangedSubview(parts.gestures);
    row.addArrangedSubview(parts.info);

    parts.full->setWidth(fullStripWidth);
    parts.primary->setWidth(primaryWidth);
    parts.secondary->setWidth(secondaryWidth);

    row.setContentHuggingPriority(500, ui::LayoutOrientation::horizontal);
    row.setContentHuggingPriority(500, ui::LayoutOrientation::vertical);
    for (ui::View* view : {static_cast<ui::View*>(parts.header.get()),
                           static_cast<ui::View*>(parts.gestures.get())}) {
        view->setContentHuggingPriority(501, ui::LayoutOrientation::horizontal);
        view->setContentHuggingPriority(501, ui::LayoutOrientation::vertical);
    }
    return parts;
}

bool isEnabledKind(settings::ActionUserType action) {
    return settings::Defaults::readValue(Keys::actions()).contains(action);
}

void applyAppearance(ui::View& row, ui::View& header, ui::ImageView& icon, const ui::Color& tint,
                     bool enabled) {
    icon.setTintColor(enabled ? tint : ui::Color(ui::SystemColor::label));
    row.setAlphaValue(enabled ? 1.0 : disabledAlpha);
    header.setToolTip(enabled ? "Enabled" : "Disabled");
}

void toggleKind(settings::ActionUserType action) {
    settings::Defaults::updateValue(Keys::actions(), [action](settings::ActionUserTypeSet& kinds) {
        if (!kinds.erase(action))
            kinds.insert(action);
    });
}

// Runs the update now and on every change of "actions", for as long as the owner lives.
void observeActions(settings::LifetimeOwner& owner, std::function<void()> update) {
    settings::Defaults::observeKey(
        Keys::actions(), {settings::Defaults::ObservationOption::initial},
        [update = std::move(update)](
            const settings::Defaults::KeyChange<settings::ActionUserTypeSet>&) { update(); })
        ->bindLifetime(owner);
}

}  // namespace

GestureView::GestureView(settings::ActionUserType action, std::string title, GestureIcon icon,
                         ui::Color tint, std::string description, std::optional<std::string> info,
                         GestureSequences sequences)
    : action_(action), tint_(std::move(tint)) {
    titleView_ = ui::TextField::wrappingLabel(std::move(title));
    titleView_->setSelectable(false);
    titleView_->setFont(ui::Font::system(13, ui::FontWeight::bold));
    titleView_->setTextColor(ui::SystemColor::label);
    titleView_->setWidth(titleWidth);

    RowParts parts = buildRow(*this, icon, titleView_, std::move(description), info, sequences,
                              ui::SystemColor::label, fullWidth);
    headerView_ = std::move(parts.header);
    imageView_ = std::move(parts.icon);
    gesturesView_ = std::move(parts.gestures);
    gestureFullView_ = std::move(parts.full);
    gesturePrimaryView_ = std::move(parts.primary);
    gestureSecondaryView_ = std::move(parts.secondary);
    infoView_ = std::move(parts.info);

    // The row owns the observation (through lifetime_), so the handler may use it.
    headerView_->addClickHandler([this] { toggle(); });
    observeActions(lifetime_, [this] { updateAppearance(); });
}

GestureView::~GestureView() = default;

void GestureView::updateAppearance() {
    applyAppearance(*this, *headerView_, *imageView_, tint_, isEnabledKind(action_));
}

void GestureView::toggleAction() {
    toggleKind(action_);
}

CenterGestureView::CenterGestureView(settings::ActionUserType action, std::string /*title*/,
                                     GestureIcon icon, ui::Color tint, std::string description,
                                     std::optional<std::string> info, GestureSequences sequences)
    : action_(action), tint_(std::move(tint)) {
    popUpButton_ = std::make_shared<ui::PopUpButton>();
    popUpButton_->setFont(ui::Font::boldSystem(13));
    popUpButton_->setControlSize(ui::ControlSize::regular);
    popUpButton_->setBordered(false);
    for (const auto& [value, title] :
         {std::pair{settings::SnappingCenterAction::centerUnsnap, "Center & Unsnap"},
          std::pair{settings::SnappingCenterAction::center, "Center"},
          std::pair{settings::SnappingCenterAction::unsnap, "Unsnap"}}) {
        popUpButton_->addItem({title, std::string(platform::caseName(value)), ""});
    }
    const auto current = settings::Defaults::readValue(Keys::snappingCenterAction());
    popUpButton_->selectItem(static_cast<int>(current));
    popUpButton_->setAction([this](ui::Control& sender) { selectWithSender(sender); });

    // The pop-up fills its container's height and starts 3 points left of it, so that its text
    // lines up with the titles of the plain rows.
    titleView_ = std::make_shared<ui::View>();
    titleView_->addSubview(popUpButton_);
    // The container is as wide as the longest choice needs, so that no choice is cut off.
    const platform::CGSize popUpSize = popUpButton_->fittingSize();
    titleView_->setWidth(std::max(centerTitleWidth, popUpSize.width - 3));
    titleView_->setHeight(popUpSize.height);
    popUpButton_->setFrame({-3, 0, popUpSize.width, popUpSize.height});

    RowParts parts = buildRow(*this, icon, titleView_, std::move(description), info, sequences,
                              ui::SystemColor::secondaryLabel, centerFullWidth);
    headerView_ = std::move(parts.header);
    imageView_ = std::move(parts.icon);
    gesturesView_ = std::move(parts.gestures);
    gestureFullView_ = std::move(parts.full);
    gesturePrimaryView_ = std::move(parts.primary);
    gestureSecondaryView_ = std::move(parts.secondary);
    infoView_ = std::move(parts.info);

    headerView_->addClickHandler([this] { toggle(); });
    observeActions(lifetime_, [this] { updateAppearance(); });
}

CenterGestureView::~CenterGestureView() = default;

void CenterGestureView::updateAppearance() {
    applyAppearance(*this, *headerView_, *imageView_, tint_, isEnabledKind(action_));
}

void CenterGestureView::toggleAction() {
    toggleKind(action_);
}

void CenterGestureView::selectWithSender(ui::Control& sender) {
    auto* popUp = dynamic_cast<ui::PopUpButton*>(&sender);
    if (popUp == nullptr)
        return;
    const auto item = popUp->selectedItem();
    if (!item)
        return;
    if (const auto value = platform::fromRawValue<settings::SnappingCenterAction>(item->identifier))
        settings::Defaults::writeValue(Keys::snappingCenterAction(), *value);
}

// --- MultiMotionView

namespace {

constexpr double dotSide = 36;
constexpr double dotBorder = 4;
constexpr platform::CGSize containerSize{76, 40};

// Progress of a step that starts at begin and lasts duration, eased; held at its ends.
double stepProgress(double phase, double begin, double duration, const ui::TimingFunction& timing) {
    return timing(std::clamp((phase - begin) / duration, 0.0, 1.0));
}

constexpr ui::TimingFunction easeIn{0.42, 0.0, 1.0, 1.0};

platform::RGBColor accentColour() {
    return platform::controlAccentColor().value_or(platform::systemBlueColor());
}

platform::RGBColor withAlpha(platform::RGBColor colour, double alpha) {
    colour.alpha = alpha;
    return colour;
}

}  // namespace

// The animation's clock: its start, and the frames that redraw the view while it runs.
struct MultiMotionView::Animation {
    double start = 0;
    ui::Animator frames;
};

MultiMotionView::MultiMotionView() : animation_(std::make_shared<Animation>()) {
    setWidth(76);
    setHeight(120);
    animation_->start = platform::uptimeSeconds();
    refresh();
    startCycle();
}

// One frame animation per cycle, each started by the end of the one before; the frames only
// redraw, the picture follows the clock. The view owns the animator, and the animator's frames
// stop with it.
void MultiMotionView::startCycle() {
    const double elapsed = std::max(0.0, platform::uptimeSeconds() - animation_->start);
    if (elapsed >= cycleDuration * repeatCount)
        return;
    const double remaining = cycleDuration - std::fmod(elapsed, cycleDuration);
    animation_->frames.animate(
        remaining, ui::TimingFunction::linear(), [this](double) { refresh(); },
        [this] { startCycle(); });
}

MultiMotionView::~MultiMotionView() {
    animation_->frames.cancel();
}

double MultiMotionView::phase() const {
    const double elapsed = std::max(0.0, platform::uptimeSeconds() - animation_->start);
    if (elapsed >= cycleDuration * repeatCount)
        return cycleDuration;
    return std::fmod(elapsed, cycleDuration);
}

platform::CGPoint MultiMotionView::containerPosition(double phase) {
    const ui::TimingFunction ease = ui::TimingFunction::easeInEaseOut();
    const double first = stepProgress(phase, 0.0, 0.5, ease);
    const double second = stepProgress(phase, 0.6, 0.5, ease);
    const double y = phase < 0.6 ? 80 - 40 * first : 40 - 40 * second;
    return {0, y};
}

double MultiMotionView::containerOpacity(double phase) {
    return 1 - stepProgress(phase, 1.1, 0.3, easeIn);
}

void MultiMotionView::refresh() {
    const platform::RGBColor accent = accentColour();
    const auto dot = [&](platform::CGPoint origin) {
        ui::ShapeLayer layer;
        layer.name = "Layer";
        layer.frame = {origin.x, origin.y, dotSide, dotSide};
        layer.backgroundColor = withAlpha(accent, 0.5);
        layer.cornerRadius = dotSide / 2;
        layer.borderWidth = dotBorder;
        layer.borderColor = withAlpha(accent, 1.0);
        return layer;
    };
    const double now = phase();
    const platform::CGPoint position = containerPosition(now);
    ui::ShapeLayer container;
    container.name = "Layer";
    container.frame = {position.x, position.y, containerSize.width, containerSize.height};
    container.opacity = containerOpacity(now);
    container.sublayers = {dot({40, 0}), dot({0, 4})};
    setLayers({std::move(container)});
}

}  // namespace zoral::preferences

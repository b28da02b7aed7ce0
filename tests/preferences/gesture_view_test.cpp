// The gesture rows: their look follows "actions", a click on a header switches the kind for every
// row of it, the strips of gesture images, the centring row's pop-up, and the two-dot
// illustration stepped on the virtual clock.

#include "preferences/widgets/gesture_view.h"

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "preferences/widgets/mod_key_control.h"
#include "preferences/widgets/small_widgets.h"
#include "settings/defaults.h"
#include "settings/snapping_center_action.h"
#include "ui/appearance.h"
#include "ui/image_assets.h"
#include "ui/titled_window.h"
#include "ui_world.h"
#include "widget_driver.h"

namespace zoral::preferences {
namespace {

using settings::ActionUserType;
using settings::Defaults::Keys;

platform::RGBColor resolved(const ui::Color& colour) {
    return colour.resolved(ui::systemAppearanceName());
}

class GestureViewTest : public ui::testing::UiWorldTest {
protected:
    // Puts the view in a window of its own on screen, as a tab shows its rows.
    std::shared_ptr<ui::TitledWindow> show(const std::shared_ptr<ui::View>& view) {
        auto window = std::make_shared<ui::TitledWindow>(platform::CGSize{640, 120});
        window->setContentView(view);
        window->makeKeyAndOrderFront();
        view->layoutSubtreeIfNeeded();
        windows.push_back(window);
        return window;
    }
    ~GestureViewTest() override {
        for (const auto& window : windows)
            window->close();
    }

    static std::shared_ptr<GestureView> row(ActionUserType action, GestureSequences sequences,
                                            std::optional<std::string> info = std::nullopt) {
        return std::make_shared<GestureView>(
            action, "Minimize", GestureIcon::minus, GestureTint::minimize(),
            "Swipe down once to minimize a window.", std::move(info), std::move(sequences));
    }

    static void setKinds(settings::ActionUserTypeSet kinds) {
        settings::Defaults::writeValue(Keys::actions(), kinds);
    }
    static bool enabled(ActionUserType action) {
        return settings::Defaults::readValue(Keys::actions()).contains(action);
    }

    std::vector<std::shared_ptr<ui::TitledWindow>> windows;
};

struct Look {
    double alpha;
    platform::RGBColor iconTint;
    std::string tooltip;
};

template <class Row>
Look lookOf(const Row& row) {
    return {row.alphaValue(), row.imageView()->contentTintColor().value_or(platform::RGBColor{}),
            row.headerView()->toolTip()};
}

TEST_F(GestureViewTest, AClickOnAHeaderSwitchesTheKindForEveryRowOfIt) {
    setKinds({ActionUserType::windowQuit});
    // Two rows of one kind, as two tabs show them, and a row of another kind.
    const auto first = row(ActionUserType::windowMinimize, {{GestureImage::down}});
    const auto second = std::make_shared<CenterGestureView>(
        ActionUserType::windowMinimize, "", GestureIcon::snapUnsnap, GestureTint::zoral(),
        "Double tap to unsnap and/or center a window.", std::nullopt,
        GestureSequences{{GestureImage::tap}});
    const auto other = row(ActionUserType::windowQuit, {{GestureImage::inwards}});
    show(first);
    show(second);
    show(other);

    const Look off{0.4, resolved(ui::SystemColor::label), "Disabled"};
    const Look firstOn{1.0, resolved(GestureTint::minimize()), "Enabled"};
    const Look secondOn{1.0, resolved(GestureTint::zoral()), "Enabled"};
    const auto expectLook = [](const Look& actual, const Look& expected, const char* what) {
        EXPECT_DOUBLE_EQ(actual.alpha, expected.alpha) << what;
        EXPECT_TRUE(ui::testing::sameColour(actual.iconTint, expected.iconTint)) << what;
        EXPECT_EQ(actual.tooltip, expected.tooltip) << what;
    };
    expectLook(lookOf(*first), off, "first, off");
    expectLook(lookOf(*second), off, "second, off");
    expectLook(lookOf(*other), firstOn, "a row of an enabled kind");

    ui::testing::click(*first->headerView(), QPoint(4, 4));
    EXPECT_TRUE(enabled(ActionUserType::windowMinimize));
    expectLook(lookOf(*first), firstOn, "first, on");
    expectLook(lookOf(*second), secondOn, "second follows the first's click");

    ui::testing::click(*second->imageView(), QPoint(4, 4));
    EXPECT_FALSE(enabled(ActionUserType::windowMinimize)) << "a click on the icon switches too";
    expectLook(lookOf(*first), off, "first follows the second's click");
    expectLook(lookOf(*second), off, "second, off again");
    EXPECT_TRUE(enabled(ActionUserType::windowQuit)) << "other kinds stay as they were";

    // A change made elsewhere (the Welcome popover, the migrations) shows at once.
    setKinds({ActionUserType::windowMinimize});
    expectLook(lookOf(*first), firstOn, "first, set elsewhere");
    EXPECT_EQ(lookOf(*other).tooltip, "Disabled");
}

TEST_F(GestureViewTest, OneSequenceFillsTheFullStripAndTwoFillPrimaryAndSecondary) {
    const auto label = resolved(ui::SystemColor::label);
    const auto secondary = resolved(ui::SystemColor::secondaryLabel);
    struct Case {
        std::string what;
        GestureSequences sequences;
        bool center;
        std::vector<bool> hidden;  // full, primary, secondary
        std::vector<std::size_t> images;
        std::vector<platform::RGBColor> tints;  // of the first image of each strip shown
    };
    const Case cases[] = {
        {"one sequence",
         {{GestureImage::modS, GestureImage::left, GestureImage::up}},
         false,
         {false, true, true},
         {3, 0, 0},
         {label}},
        {"one sequence, centring row",
         {{GestureImage::tap}},
         true,
         {false, true, true},
         {1, 0, 0},
         {secondary}},
        {"two sequences",
         {{GestureImage::down}, {GestureImage::hold, GestureImage::down}},
         false,
         {true, false, false},
         {0, 1, 2},
         {label, secondary}},
        {"two sequences, centring row",
         {{GestureImage::left}, {GestureImage::right}},
         true,
         {true, false, false},
         {0, 1, 1},
         {label, secondary}},
        {"no sequence", {}, false, {false, false, false}, {0, 0, 0}, {}},
        {"three sequences",
         {{GestureImage::up}, {GestureImage::down}, {GestureImage::tap}},
         false,
         {false, false, false},
         {0, 0, 0},
         {}},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        std::vector<std::shared_ptr<ui::StackView>> strips;
        std::shared_ptr<ui::View> made;
        if (test.center) {
            auto center = std::make_shared<CenterGestureView>(
                ActionUserType::snapCenter, "", GestureIcon::snapUnsnap, GestureTint::zoral(), "",
                std::nullopt, test.sequences);
            strips = {center->gestureFullView(), center->gesturePrimaryView(),
                      center->gestureSecondaryView()};
            made = center;
        } else {
            auto plain = row(ActionUserType::windowMinimize, test.sequences);
            strips = {plain->gestureFullView(), plain->gesturePrimaryView(),
                      plain->gestureSecondaryView()};
            made = plain;
        }
        std::vector<platform::RGBColor> tints;
        for (std::size_t i = 0; i < strips.size(); ++i) {
            EXPECT_EQ(strips[i]->isHidden(), test.hidden[i]) << "strip " << i;
            EXPECT_EQ(strips[i]->arrangedSubviews().size(), test.images[i]) << "strip " << i;
            if (!strips[i]->arrangedSubviews().empty()) {
                const auto& image =
                    dynamic_cast<const ui::ImageView&>(*strips[i]->arrangedSubviews().front());
                tints.push_back(image.contentTintColor().value_or(platform::RGBColor{}));
            }
        }
        ASSERT_EQ(tints.size(), test.tints.size());
        for (std::size_t i = 0; i < tints.size(); ++i)
            EXPECT_TRUE(ui::testing::sameColour(tints[i], test.tints[i])) << "tint " << i;
    }
    // Images follow their sequence's order, left to right.
    const auto ordered =
        row(ActionUserType::screensMove, {{GestureImage::modS, GestureImage::left, GestureImage::up,
                                           GestureImage::down, GestureImage::right}});
    std::vector<std::string> names;
    for (const auto& view : ordered->gestureFullView()->arrangedSubviews())
        names.push_back(dynamic_cast<const ui::ImageView&>(*view).imageName());
    EXPECT_EQ(names, (std::vector<std::string>{"GestureModS", "GestureLeft", "GestureUp",
                                               "GestureDown", "GestureRight"}));
}

TEST_F(GestureViewTest, TheDescriptionsTooltipIsTheInfoOrSaysThereIsNone) {
    EXPECT_EQ(row(ActionUserType::windowMinimize, {{GestureImage::down}})->infoView()->toolTip(),
              "No additional info available.");
    const auto withInfo = row(ActionUserType::windowMinimize, {{GestureImage::down}},
                              "In fullscreen mode, tap and hold before swiping down.");
    EXPECT_EQ(withInfo->infoView()->toolTip(),
              "In fullscreen mode, tap and hold before swiping down.");
    EXPECT_EQ(withInfo->titleView()->stringValue(), "Minimize");
    EXPECT_EQ(withInfo->titleView()->font(), ui::Font::system(13, ui::FontWeight::bold));
    EXPECT_EQ(withInfo->infoView()->stringValue(), "Swipe down once to minimize a window.");
    EXPECT_EQ(withInfo->imageView()->imageName(), "ActionMinus");
    EXPECT_EQ(withInfo->headerView()->cursor(), ui::Cursor::pointingHand);
}

TEST_F(GestureViewTest, GestureImagesAreNamedTippedAndOnlyModifiersAreClickable) {
    struct Case {
        GestureImage image;
        std::string name;
        std::string tooltip;
        bool modifier;
    };
    const Case cases[] = {
        {GestureImage::left, "GestureLeft", "Swipe left", false},
        {GestureImage::right, "GestureRight", "Swipe right", false},
        {GestureImage::up, "GestureUp", "Swipe up", false},
        {GestureImage::down, "GestureDown", "Swipe down", false},
        {GestureImage::inwards, "GestureInwards", "Pinch inwards", false},
        {GestureImage::outwards, "GestureOutwards", "Pinch outwards", false},
        {GestureImage::hold, "GestureHold", "Tap and hold with two fingers", false},
        {GestureImage::tap, "GestureTap", "Double tap with two fingers", false},
        {GestureImage::modG, "GestureModG", "General Modifier", true},
        {GestureImage::mod2, "GestureMod2", "Secondary Modifier", true},
        {GestureImage::mod3, "GestureMod3", "Tertiary Modifier", true},
        {GestureImage::modS, "GestureModS", "Screen Modifier", true},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        EXPECT_EQ(rawValue(test.image), test.name);
        EXPECT_EQ(gestureImageFromRawValue(test.name), test.image);
        EXPECT_EQ(tooltip(test.image), test.tooltip);
        const auto view = makeView(test.image, GestureTint::zoral());
        EXPECT_EQ(view->imageName(), test.name);
        EXPECT_TRUE(view->image().has_value()) << "drawn from the program's images";
        EXPECT_EQ(view->toolTip(), test.tooltip);
        EXPECT_TRUE(ui::testing::sameColour(view->contentTintColor().value_or(platform::RGBColor{}),
                                            resolved(GestureTint::zoral())));
        EXPECT_EQ(dynamic_cast<ModKeyImageView*>(view.get()) != nullptr, test.modifier);
        EXPECT_EQ(view->cursor() == ui::Cursor::pointingHand, test.modifier);
    }
    for (const std::string other : {"", "gestureLeft", "GestureLeft ", "ActionCircle"})
        EXPECT_EQ(gestureImageFromRawValue(other), std::nullopt) << other;
}

TEST_F(GestureViewTest, EveryIconAndTintIsTheProgramsOwn) {
    for (int number = 0; number <= 22; ++number) {
        const auto name = imageName(static_cast<GestureIcon>(number));
        EXPECT_TRUE(name.starts_with("Action")) << number;
        EXPECT_TRUE(ui::hasImageAsset(name)) << number << " " << name;
    }
    EXPECT_EQ(imageName(GestureIcon{1}), "ActionCircle");
    EXPECT_EQ(imageName(GestureIcon{12}), "ActionScreens");
    EXPECT_EQ(imageName(GestureIcon{22}), "ActionSnapUnsnap");
    EXPECT_EQ(GestureTint::zoral(), ui::Color::named("Zoral"));
    EXPECT_EQ(GestureTint::close(), ui::Color::named("Close"));
    EXPECT_EQ(GestureTint::minimize(), ui::Color::named("Minimize"));
    EXPECT_EQ(GestureTint::fullscreen(), ui::Color::named("Fullscreen"));
}

TEST_F(GestureViewTest, TheCentringPopUpShowsTheStoredActionAndWritesTheChoice) {
    settings::Defaults::writeValue(Keys::snappingCenterAction(),
                                   settings::SnappingCenterAction::center);
    const auto center = std::make_shared<CenterGestureView>(
        ActionUserType::snapCenter, "Center", GestureIcon::snapUnsnap, GestureTint::zoral(),
        "Double tap to unsnap and/or center a window.", std::nullopt,
        GestureSequences{{GestureImage::tap}});
    show(center);
    const auto& popUp = *center->popUpButton();
    EXPECT_EQ(popUp.items(), (std::vector<ui::MenuItem>{{"Center & Unsnap", "centerUnsnap", ""},
                                                        {"Center", "center", ""},
                                                        {"Unsnap", "unsnap", ""}}));
    EXPECT_EQ(popUp.selectedItem()->title, "Center");
    EXPECT_FALSE(popUp.isBordered());

    ui::testing::key(popUp, Qt::Key_Down);
    EXPECT_EQ(settings::Defaults::readValue(Keys::snappingCenterAction()),
              settings::SnappingCenterAction::unsnap);
    ui::testing::key(popUp, Qt::Key_Up);
    ui::testing::key(popUp, Qt::Key_Up);
    EXPECT_EQ(settings::Defaults::readValue(Keys::snappingCenterAction()),
              settings::SnappingCenterAction::centerUnsnap);

    // The row does not follow the setting: the pop-up keeps the user's last choice.
    settings::Defaults::writeValue(Keys::snappingCenterAction(),
                                   settings::SnappingCenterAction::unsnap);
    EXPECT_EQ(popUp.selectedItem()->title, "Center & Unsnap");
}

TEST_F(GestureViewTest, AnItemThatNamesNoCentreActionWritesNothing) {
    const auto center = std::make_shared<CenterGestureView>(
        ActionUserType::snapCenter, "", GestureIcon::snapUnsnap, GestureTint::zoral(), "",
        std::nullopt, GestureSequences{{GestureImage::tap}});
    show(center);
    center->popUpButton()->addItem({"Somewhere", "somewhere", ""});
    ui::testing::key(*center->popUpButton(), Qt::Key_End);
    EXPECT_EQ(center->popUpButton()->selectedItem()->title, "Somewhere");
    EXPECT_EQ(settings::Defaults::readValue(Keys::snappingCenterAction()),
              settings::SnappingCenterAction::centerUnsnap);
}

TEST_F(GestureViewTest, TheDotsSlideUpInTwoStepsFadeAndStartAgainEveryTwoSeconds) {
    struct Case {
        double phase;
        double y;
        double opacity;
    };
    const Case cases[] = {
        {0.0, 80, 1},  {0.25, 60, 1}, {0.5, 40, 1}, {0.55, 40, 1},
        {0.85, 20, 1}, {1.1, 0, 1},   {1.4, 0, 0},  {1.9, 0, 0},
    };
    for (const Case& test : cases) {
        EXPECT_NEAR(MultiMotionView::containerPosition(test.phase).y, test.y, 1e-9) << test.phase;
        EXPECT_NEAR(MultiMotionView::containerOpacity(test.phase), test.opacity, 1e-9)
            << test.phase;
    }
    EXPECT_GT(MultiMotionView::containerOpacity(1.25), 0.5) << "eased in: slow at first";

    scheduler().advance(5.0);  // the clock has run before the view is made
    const auto view = std::make_shared<MultiMotionView>();
    show(view);
    const platform::RGBColor accent =
        platform::controlAccentColor().value_or(platform::systemBlueColor());
    // Is the first dot's ring drawn (in the accent colour, opaque), at the container's offset?
    const auto dotAt = [&](double y) {
        const ui::Image image = view->render();
        const auto pixel = image.pixel(42, static_cast<int>(y + 18));
        return ui::testing::sameColour(pixel, accent, 0.08);
    };
    const struct {
        double advance;
        double y;
        bool drawn;
    } steps[] = {{0, 80, true},   {0.5, 40, true}, {0.6, 0, true},
                 {0.5, 0, false}, {0.4, 80, true}, {1.1, 0, true}};
    for (const auto& step : steps) {
        scheduler().advance(step.advance);
        const auto& container = view->layers().at(0);
        EXPECT_NEAR(container.frame.minY(), step.y, 0.5) << "at " << view->phase();
        EXPECT_EQ(dotAt(step.y), step.drawn) << "at " << view->phase();
        ASSERT_EQ(container.sublayers.size(), 2u);
        EXPECT_EQ(container.sublayers[0].frame, (platform::CGRect{40, 0, 36, 36}));
        EXPECT_EQ(container.sublayers[1].frame, (platform::CGRect{0, 4, 36, 36}));
    }
}

}  // namespace
}  // namespace zoral::preferences

// The recorder as a view with its label, and actions bound to a shown view that hear a name's
// shortcut.

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/dispatch.h"
#include "recorder_fixture.h"
#include "shortcuts/keyboard_shortcut_modifiers.h"
#include "shortcuts/recorder.h"
#include "ui/event_pump.h"
#include "ui/qt_view.h"
#include "ui/text_field.h"

namespace zoral::shortcuts::testing {
namespace {

using namespace GlobalShortcuts;

using RecorderView = RecorderTest;

TEST_F(RecorderView, TheLabelComesFirstThenTheControlOnOneLine) {
    auto labelled = Recorder::make("Fix gestures:", name);
    auto bare = Recorder::make(Name("other"), {}, false, [] { return ui::TextField::label("x"); });
    auto shown = makeWindow({labelled, bare});

    const auto& label = labelled->label();
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(labelled->arrangedSubviews(), (std::vector<std::shared_ptr<ui::View>>{
                                                label, labelled->control().shared_from_this()}));
    const platform::CGRect labelFrame = label->frame();
    const platform::CGRect controlFrame = labelled->control().frame();
    EXPECT_EQ(labelFrame.minX(), 0);
    EXPECT_EQ(controlFrame.minX(), labelFrame.maxX() + 8) << "the label, then the control";
    // Centred across the row, their one lines share the baseline (within the rounding of a
    // half pixel).
    EXPECT_NEAR(labelFrame.midY(), controlFrame.midY(), 0.5);
    EXPECT_EQ(labelled->controlAlignment(), controlFrame.minX());
    EXPECT_EQ(controlFrame.width(), RecorderCocoa::minimumWidth);

    // Without a label: the control alone, its leading edge the view's.
    EXPECT_FALSE(bare->hasLabel());
    EXPECT_EQ(bare->arrangedSubviews().size(), 1u);
    EXPECT_EQ(bare->controlAlignment(), 0);
}

TEST_F(RecorderView, AnUpdateWithAnotherNameShowsThatNamesShortcut) {
    storeShortcut(controlOptionA, name);
    storeShortcut(commandSpace, Name("other"));
    auto view = Recorder::make("Shortcut:", name);
    EXPECT_EQ(view->control().stringValue(), "⌃⌥A");

    view->update(Name("other"));
    EXPECT_EQ(view->name(), Name("other"));
    EXPECT_EQ(view->control().shortcutName(), Name("other"));
    EXPECT_EQ(view->control().stringValue(), "⌘⎵");
}

class ShortcutActions : public RecorderTest {
protected:
    ShortcutActions() {
        storeShortcut(controlOptionA, name);
        view = std::make_shared<ui::View>();
        view->setWidth(40);
        view->setHeight(20);
    }

    // Binds both kinds of actions to the view.
    void bindActions() {
        onKeyboardShortcut(*view, name, [this](EventType type) {
            EXPECT_TRUE(platform::isMainThread());
            events.push_back(type);
        });
        onKeyboardShortcut(*view, name, EventType::keyUp, [this] { ++releases; });
    }

    void pressAndRelease() {
        press(controlOptionA);
        release(controlOptionA);
    }

    // The deliveries of the name's streams in both tables.
    static std::size_t streamsOf(const Name& streamName) {
        std::size_t count = 0;
        for (const auto* table : {&keyDownContinuations(), &keyUpContinuations()}) {
            if (const auto found = table->find(streamName); found != table->end())
                count += found->second.size();
        }
        return count;
    }

    std::shared_ptr<ui::View> view;
    std::vector<EventType> events;
    int releases = 0;
};

TEST_F(ShortcutActions, AShownViewHearsKeyDownThenKeyUp) {
    bindActions();
    auto shown = makeWindow({view});
    pressAndRelease();
    pressAndRelease();
    EXPECT_EQ(events, (std::vector<EventType>{EventType::keyDown, EventType::keyUp,
                                              EventType::keyDown, EventType::keyUp}));
    EXPECT_EQ(releases, 2) << "the filtered action runs once per press";
}

TEST_F(ShortcutActions, NothingArrivesBeforeTheViewIsShownOrAfterItIsHidden) {
    // Not on screen yet: no stream.
    bindActions();
    pressAndRelease();
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(streamsOf(name), 0u);

    auto shown = makeWindow({view});
    pressAndRelease();
    ASSERT_EQ(events.size(), 2u);

    view->setHidden(true);
    scheduler().runUntilIdle();
    pressAndRelease();
    EXPECT_EQ(events.size(), 2u);
    EXPECT_EQ(releases, 1);
    EXPECT_EQ(streamsOf(name), 0u) << "the streams ended";

    // Shown again, it hears again.
    view->setHidden(false);
    scheduler().runUntilIdle();
    pressAndRelease();
    EXPECT_EQ(events.size(), 4u);
}

TEST_F(ShortcutActions, APressOnItsWayWhenTheViewLeavesIsDropped) {
    bindActions();
    auto shown = makeWindow({view});
    // The hot key's event is on its way on the main queue when the window leaves the screen.
    platform::CGEvent down;
    down.type = platform::CGEventType::keyDown;
    down.keyCode = 0;
    down.flags = platform::CGEventFlags(controlOptionA.modifiers().rawValue());
    hotKeys().offerKeyEvent(down);
    shown->orderOut();
    scheduler().runUntilIdle();
    EXPECT_TRUE(events.empty());
}

TEST_F(ShortcutActions, AViewDestroyedWhileShownEndsItsStreams) {
    bindActions();
    auto shown = makeWindow({view});
    ASSERT_EQ(streamsOf(name), 4u) << "two streams, each in both tables";
    shown.reset();
    view.reset();
    scheduler().runUntilIdle();
    EXPECT_EQ(streamsOf(name), 0u);
    pressAndRelease();
    EXPECT_TRUE(events.empty());
}

TEST_F(ShortcutActions, NothingArrivesWhileARecorderRecords) {
    bindActions();
    auto shown = makeWindow({view});
    click(*recorder);
    pressAndRelease();
    EXPECT_TRUE(events.empty());
    type(Qt::Key_Escape);
    pressAndRelease();
    EXPECT_EQ(events.size(), 2u);
}

}  // namespace
}  // namespace zoral::shortcuts::testing

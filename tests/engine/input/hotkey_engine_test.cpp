#include "engine/input/hotkey_engine.h"

#include <set>
#include <vector>

#include <gtest/gtest.h>

#include "engine/input/engine_fixture.h"
#include "engine/input/held_flags.h"
#include "platform/key_codes.h"

namespace zoral::engine::testing {
namespace {

using desktop::Direction;
using desktop::Key;
using platform::CGEventFlags;
using platform::NSEventPhase;
using settings::HotkeysArrowLayout;
using settings::HotkeysCenterLayout;
using settings::Defaults::Keys;
using settings::Defaults::writeValue;
namespace vk = platform::virtualKey;

class HotkeyEngineTest : public EngineFixture {
protected:
    std::shared_ptr<HotkeysEngine> makeEngine() {
        gesture = makeGesture(OriginType::hotkey);
        return HotkeysEngine::make(gesture, standIns.resolver, settings);
    }
    std::shared_ptr<Gesture> gesture;
};

TEST_F(HotkeyEngineTest, TheLayoutsGiveTheKeyCodesTheTapListensFor) {
    struct Row {
        HotkeysArrowLayout arrows;
        HotkeysCenterLayout undo;
        std::set<platform::CGKeyCode> codes;
    };
    const std::vector<Row> rows{
        {HotkeysArrowLayout::arrows,
         HotkeysCenterLayout::escape,
         {vk::upArrow, vk::pageUp, vk::downArrow, vk::pageDown, vk::leftArrow, vk::home,
          vk::rightArrow, vk::end, vk::escape}},
        {HotkeysArrowLayout::wasd,
         HotkeysCenterLayout::letterQ,
         {vk::ansiW, vk::ansiA, vk::ansiS, vk::ansiD, vk::ansiQ}},
        {HotkeysArrowLayout::hjkl,
         HotkeysCenterLayout::backspace,
         {vk::ansiH, vk::ansiJ, vk::ansiK, vk::ansiL, vk::delete_, vk::forwardDelete}},
        {HotkeysArrowLayout::ijkl,
         HotkeysCenterLayout::return_,
         {vk::ansiI, vk::ansiJ, vk::ansiK, vk::ansiL, vk::return_, vk::keypadEnter}},
        {HotkeysArrowLayout::dvorak,
         HotkeysCenterLayout::letterO,
         {vk::ansiComma, vk::ansiO, vk::ansiA, vk::ansiE}},
        {HotkeysArrowLayout::wasd,
         HotkeysCenterLayout::letterX,
         {vk::ansiW, vk::ansiA, vk::ansiS, vk::ansiD, vk::ansiX}},
    };
    for (const Row& row : rows)
        EXPECT_EQ(hotkeysKeyCodes(row.arrows, row.undo), row.codes);
}

TEST_F(HotkeyEngineTest, LayoutKeysGiveDirectionsAndTheUndoKeyATapOthersNothing) {
    writeValue(Keys::hotkeyArrow(), HotkeysArrowLayout::wasd);
    writeValue(Keys::hotkeyUndo(), HotkeysCenterLayout::letterQ);
    const auto engine = makeEngine();
    for (const Key key : {Key::letterW, Key::letterA, Key::letterS, Key::letterD, Key::letterQ,
                          Key::arrowLeft, Key::escape}) {
        engine->handleKey(key, fn, NSEventPhase::changed);
    }
    EXPECT_EQ(gesture->directions(),
              (std::vector{Direction::up, Direction::left, Direction::down, Direction::right}));
    EXPECT_EQ(gesture->phases(), (std::vector{Phase::scrolled, Phase::scrolled, Phase::scrolled,
                                              Phase::scrolled, Phase::tapped}));
}

TEST_F(HotkeyEngineTest, TwoPressesGiveTwoDirectionsAndOnePauseAfterTheLast) {
    const auto engine = makeEngine();
    engine->handleKey(Key::arrowLeft, fn, NSEventPhase::changed);
    scheduler().advance(0.05);
    engine->handleKey(Key::arrowLeft, fn, NSEventPhase::changed);
    scheduler().advance(0.059);
    EXPECT_EQ(gesture->phases(), (std::vector{Phase::scrolled, Phase::scrolled}));
    scheduler().advance(0.001);
    EXPECT_EQ(gesture->directions(), (std::vector{Direction::left, Direction::left}));
    EXPECT_EQ(gesture->phases(), (std::vector{Phase::scrolled, Phase::scrolled, Phase::paused}));
    engine->handleKey(std::nullopt, {}, NSEventPhase::ended);
    EXPECT_EQ(gesture->phases().back(), Phase::released);
}

TEST_F(HotkeyEngineTest, ReleasingAModifierAfterAnActionKeepsTheRolesAddingOneResolvesAgain) {
    const auto engine = makeEngine();
    engine->handleKey(Key::arrowLeft, fn | control, NSEventPhase::changed);
    ASSERT_TRUE(gesture->action());
    EXPECT_EQ(gesture->modifiers(), (std::vector{Modifier::super, Modifier::general}));
    const int runs = standIns.resolver->runs;

    engine->updateModifiers(fn);
    EXPECT_EQ(gesture->modifiers(), (std::vector{Modifier::super, Modifier::general}));
    EXPECT_EQ(standIns.resolver->runs, runs);
    EXPECT_EQ(engine->flagsDown(), 1);

    engine->updateModifiers(fn | CGEventFlags::maskShift);
    EXPECT_EQ(gesture->modifiers(), (std::vector{Modifier::super, Modifier::secondary}));
    EXPECT_EQ(standIns.resolver->runs, runs + 1);
}

// Proposing or not: a gesture left alone would keep the core swallowing the keyboard.
TEST_F(HotkeyEngineTest, HoldingTheKeysStillCancelsTheGestureWithOrWithoutAnAction) {
    for (const bool proposes : {true, false}) {
        SCOPED_TRACE(proposes);
        standIns.resolver->propose = proposes;
        const auto engine = makeEngine();
        engine->handleKey(Key::arrowUp, fn, NSEventPhase::changed);
        scheduler().advance(0.5);
        // Every modifier change re-arms the timer, as the core does.
        engine->rescheduleCancel();
        scheduler().advance(0.799);
        EXPECT_FALSE(gesture->isCancelled());
        scheduler().advance(0.001);
        EXPECT_TRUE(gesture->isCancelled());
    }
}

}  // namespace
}  // namespace zoral::engine::testing

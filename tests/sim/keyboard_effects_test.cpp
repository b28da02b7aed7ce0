#include "sim/keyboard_effects.h"

#include <gtest/gtest.h>

#include "platform/events.h"
#include "platform/key_codes.h"
#include "platform/workspace.h"
#include "sim/application_node.h"
#include "sim/timing.h"
#include "sim/window_node.h"
#include "sim/workspace.h"
#include "sim/world.h"
#include "support/virtual_clock.h"

namespace zoral::sim {
namespace {

using platform::CGEventFlags;

class KeyboardEffectsTest : public zoral::testing::VirtualClockTest {
protected:
    KeyboardEffectsTest() {
        for (platform::ProcessId pid : {3, 2, 1}) {
            Process& process = world->addProcess(pid, "org.example.app" + std::to_string(pid),
                                                 "App " + std::to_string(pid));
            auto window = world->makeNode<WindowNode>(pid, 10 * pid);
            process.application->appendChild(window);
        }
    }

    // Posts a key down and up with the flags, to the common stream or to one process.
    void press(platform::CGKeyCode key, CGEventFlags flags, std::optional<int> pid = {}) {
        for (bool down : {true, false}) {
            auto event = *platform::eventCreateKeyboardEvent(key, down);
            event.flags = flags;
            if (pid) {
                platform::eventPostToPid(*pid, event);
            } else {
                platform::eventPost(platform::CGEventTapLocation::hid, event);
            }
        }
    }
    void releaseCommand() {
        auto event = *platform::eventCreateKeyboardEvent(platform::virtualKey::command, false);
        event.type = platform::CGEventType::flagsChanged;
        event.flags = CGEventFlags();
        platform::eventPost(platform::CGEventTapLocation::hid, event);
    }
    std::shared_ptr<ApplicationNode> application(platform::ProcessId pid) {
        return std::dynamic_pointer_cast<ApplicationNode>(world->process(pid)->application);
    }
    platform::ProcessId frontmost() { return platform::frontmostApplication()->processIdentifier; }

    ScopedWorld world;
};

const CGEventFlags command = CGEventFlags::maskCommand;

TEST_F(KeyboardEffectsTest, CommandWClosesAndCommandNOpensAWindowOfTheActiveApplication) {
    ASSERT_EQ(frontmost(), 1);
    press(13, command);
    EXPECT_TRUE(application(1)->windows().empty());
    press(45, command);
    const auto first = application(1)->windows().front();
    press(45, command);
    ASSERT_EQ(application(1)->windows().size(), 2u);
    EXPECT_EQ(application(1)->windows()[1], first) << "the newest is in front";
    EXPECT_GT(application(1)->windows()[0]->windowNumber(), first->windowNumber());
    // Posted to one process, the keys reach that process.
    press(13, command, 2);
    EXPECT_TRUE(application(2)->windows().empty());
    // Without Command, W is just a letter.
    press(13, CGEventFlags());
    EXPECT_EQ(application(1)->windows().size(), 2u);
}

TEST_F(KeyboardEffectsTest, CommandHHidesTheApplication) {
    press(4, command);
    EXPECT_FALSE(workspace(*world).infoOf(1).hidden) << "hiding takes its time";
    scheduler().advance(world->component<Timing>().hide);
    EXPECT_TRUE(workspace(*world).infoOf(1).hidden);
    EXPECT_EQ(frontmost(), 2);
}

TEST_F(KeyboardEffectsTest, TheSwitcherActivatesItsSelectionWhenCommandIsReleased) {
    press(48, command);
    press(48, command);
    EXPECT_EQ(frontmost(), 1) << "nothing changes while Command is held";
    releaseCommand();
    EXPECT_EQ(frontmost(), 3);
    press(48, command | CGEventFlags::maskShift);
    releaseCommand();
    EXPECT_EQ(frontmost(), 2) << "Shift walks backwards, from the end";
}

}  // namespace
}  // namespace zoral::sim

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/actions/action_executor.h"
#include "executor_world.h"

namespace zoral::engine {
namespace {

using testing::ExecutorWorldTest;
using Kind = Action::Kind;
using Lines = std::vector<std::string>;

// An application whose process cannot be read from its elements: the keys meant for it go to the
// system-wide stream instead, where the application in front, the same one, takes them.
class UnreadablePidTest : public ExecutorWorldTest {
protected:
    UnreadablePidTest() { world->process(editorPid)->pidUnreadable = true; }
};

TEST_F(UnreadablePidTest, KeysForTheApplicationGoToTheSystemWideStream) {
    const auto [after, flag] = perform(originOn(front), Action(Kind::hideExcept));
    EXPECT_TRUE(flag);
    settle(1);
    EXPECT_EQ(posted(), (Lines{"letterH down alt+cmd", "letterH up alt+cmd"}));
    EXPECT_FALSE(isHidden(editorPid));
    EXPECT_TRUE(isHidden(viewerPid));
    EXPECT_TRUE(isHidden(browserPid));

    (void)perform(originOn(front), Action(Kind::cmdNew));
    EXPECT_EQ(posted(), (Lines{"letterH down alt+cmd", "letterH up alt+cmd", "letterN down cmd",
                               "letterN up cmd"}));
}

}  // namespace
}  // namespace zoral::engine

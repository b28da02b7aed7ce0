// A kind switched off in the Windows tab reaches the engine: the user clicks the row's header,
// and the gesture of that kind on the simulated desktop proposes nothing and leaves the window
// as it was; switched on again, the same gesture acts.

#include <functional>
#include <memory>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/end_to_end/end_to_end_world.h"
#include "gesture_tab_world.h"
#include "preferences/tabs/windows_tab.h"
#include "preferences/widgets/gesture_view.h"
#include "preferences/widgets/small_widgets.h"
#include "settings/defaults.h"
#include "widget_driver.h"

namespace zoral::preferences {
namespace {

using settings::ActionUserType;
using settings::Defaults::Keys;
using settings::Defaults::readValue;
using World = engine::testing::EndToEndWorld;

struct Row {
    const char* name;
    ActionUserType kind;
    // The user's hands on the editor's front window.
    std::function<void(World&)> gesture;
    // Whether the gesture acted on the window.
    std::function<bool(World&)> acted;
};

void PrintTo(const Row& row, std::ostream* os) {
    *os << row.name;
}

class WindowsTabEndToEndTest : public testing::GestureTabWorld<WindowsTabController, World>,
                               public ::testing::WithParamInterface<Row> {
protected:
    // The row of the kind in the tab's window section.
    GestureView& row(ActionUserType kind) {
        for (const auto& view : tab->generalGestureStack()->arrangedSubviews()) {
            auto* found = dynamic_cast<GestureView*>(view.get());
            if (found != nullptr && found->action() == kind)
                return *found;
        }
        ADD_FAILURE() << "no row";
        throw std::logic_error("no row");
    }

    // The log's proposals.
    std::vector<std::string> actionLines() const { return linesStarting({"Action:"}); }
};

const std::vector<Row>& rows() {
    static const std::vector<Row> table{
        {"minimise", ActionUserType::windowMinimize,
         [](World& t) {
             t.play(t.titleBarOf(t.front),
                    {sim::ScrollStroke{
                        .moves = {{.travel = {0, 200}, .events = 8, .holdAfter = 0.05}}}});
         },
         [](World& t) { return t.front->isMinimized(); }},
        {"fullscreen", ActionUserType::windowFullscreen,
         [](World& t) {
             t.play(t.titleBarOf(t.front),
                    {sim::PinchStroke{.magnifications = std::vector<double>(20, 0.02)}}, 2);
         },
         [](World& t) { return t.front->isFullScreen(); }},
    };
    return table;
}

TEST_P(WindowsTabEndToEndTest, AKindSwitchedOffInTheTabProposesNothingOnTheDesktop) {
    const Row& step = GetParam();
    show();
    // On the external display, clear of the editor's window that the gestures start on.
    window->setFrameOrigin({2400, 100});
    startEngine();
    ASSERT_TRUE(readValue(Keys::actions()).contains(step.kind)) << "on by default";
    ui::testing::click(*row(step.kind).headerView());
    ASSERT_FALSE(readValue(Keys::actions()).contains(step.kind));
    output.clear();
    step.gesture(*this);
    EXPECT_EQ(linesStarting({"Origin: org.example.editor"}),
              std::vector<std::string>{"Origin: org.example.editor titlebar"})
        << "the gesture starts on the window's title bar";
    EXPECT_EQ(actionLines(), std::vector<std::string>{});
    EXPECT_FALSE(step.acted(*this));

    // On again, the same gesture acts: the engine read the setting, not a copy from its start.
    ui::testing::click(*row(step.kind).headerView());
    step.gesture(*this);
    EXPECT_EQ(actionLines().size(), 1U);

    EXPECT_TRUE(step.acted(*this));
}

INSTANTIATE_TEST_SUITE_P(Kinds, WindowsTabEndToEndTest, ::testing::ValuesIn(rows()),
                         [](const ::testing::TestParamInfo<Row>& param) {
                             return std::string(param.param.name);
                         });

}  // namespace
}  // namespace zoral::preferences

// Alerts and the beep as the program uses them: shown and answered in the world's journal, a
// modal alert blocking its caller while time and the other queues run on, a sheet whose answer
// ends the modal session run for its window, and answers known in advance.

#include "sim/alerts.h"

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/alerts.h"
#include "platform/dispatch.h"
#include "platform/scheduler.h"
#include "sim/journal.h"
#include "sim/world.h"
#include "support/virtual_clock.h"

namespace zoral::sim {
namespace {

using platform::Alert;
using platform::ModalResponse;

class AlertsTest : public zoral::testing::VirtualClockTest {
protected:
    Alerts& alerts() { return Alerts::of(*world); }
    Journal& journal() { return Journal::of(*world); }

    ScopedWorld world;
};

TEST_F(AlertsTest, AModalAlertBlocksItsCallerWhileTimeRunsOnAndTheJournalKeepsItAll) {
    std::optional<ModalResponse> response;
    std::vector<std::string> order;
    platform::DispatchQueue::main().async([&] {
        platform::beep();
        Alert alert;
        alert.messageText = "\"⌘Q\" is used by the menu item \"Quit Zoral\"";
        alert.addButtonWithTitle("OK");
        alert.addButtonWithTitle("Record Again");
        response = alert.runModal();
        order.push_back("answered");
    });
    platform::DispatchQueue::main().async([&] { order.push_back("next main item"); });
    const platform::DispatchQueue other("com.example.other");
    other.asyncAfter(platform::DispatchTime::now() + 2, [&] { order.push_back("other queue"); });

    scheduler().advance(5);
    EXPECT_FALSE(response);
    EXPECT_EQ(order, std::vector<std::string>{"other queue"})
        << "the other queues run; the main queue waits behind the alert";
    ASSERT_EQ(alerts().onScreen().size(), 1u);
    EXPECT_EQ(alerts().onScreen()[0].buttons, (std::vector<std::string>{"OK", "Record Again"}));

    EXPECT_FALSE(alerts().answer("Cancel"));
    EXPECT_FALSE(alerts().answer(std::size_t{2}));
    EXPECT_TRUE(alerts().answer("Record Again"));
    scheduler().runUntilIdle();
    EXPECT_EQ(response, platform::alertSecondButtonReturn);
    EXPECT_EQ(order, (std::vector<std::string>{"other queue", "answered", "next main item"}));
    EXPECT_TRUE(alerts().onScreen().empty());
    EXPECT_FALSE(alerts().answer(std::size_t{0})) << "nothing on screen";

    const auto entries = journal().entries();
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_TRUE(std::holds_alternative<Beep>(entries[0]));
    const auto& shown = std::get<AlertShown>(entries[1]);
    EXPECT_EQ(shown.messageText, "\"⌘Q\" is used by the menu item \"Quit Zoral\"");
    EXPECT_EQ(shown.informativeText, "");
    EXPECT_EQ(shown.style, platform::AlertStyle::warning);
    EXPECT_FALSE(shown.sheetWindow);
    const auto& answered = std::get<AlertAnswered>(entries[2]);
    EXPECT_EQ(answered.alert, shown.alert);
    EXPECT_EQ(answered.response, platform::alertSecondButtonReturn);
    EXPECT_EQ(answered.time - shown.time, 5);
}

// The recorder's way: a sheet whose completion handler stops the modal session run for the
// window; the handler runs inside the session, and the session answers with its code.
TEST_F(AlertsTest, ASheetsAnswerEndsTheModalSessionOfItsWindow) {
    std::optional<ModalResponse> sessionCode;
    std::vector<std::string> order;
    platform::DispatchQueue::main().async([&] {
        Alert alert;
        alert.messageText = "The shortcut is used by the system";
        alert.informativeText = "Shortcuts can be changed in the system's settings";
        alert.icon = std::nullopt;
        alert.beginSheetModalForWindow(7, [&](ModalResponse response) {
            order.push_back("handler");
            platform::stopModalWithCode(response);
        });
        order.push_back("sheet begun");
        sessionCode = platform::runModalForWindow(7);
        order.push_back("session ended");
    });
    scheduler().advance(1);
    EXPECT_EQ(order, std::vector<std::string>{"sheet begun"});
    ASSERT_EQ(alerts().onScreen().size(), 1u);
    EXPECT_EQ(alerts().onScreen()[0].sheetWindow, 7);
    EXPECT_EQ(alerts().onScreen()[0].buttons, std::vector<std::string>{"OK"});
    EXPECT_EQ(alerts().onScreen()[0].informativeText,
              "Shortcuts can be changed in the system's settings");

    EXPECT_TRUE(alerts().answer(std::size_t{0}));
    scheduler().runUntilIdle();
    EXPECT_EQ(sessionCode, platform::alertFirstButtonReturn);
    EXPECT_EQ(order, (std::vector<std::string>{"sheet begun", "handler", "session ended"}));

    // Without a session, the handler runs on the main queue.
    std::optional<ModalResponse> late;
    Alert plain;
    plain.beginSheetModalForWindow(7, [&](ModalResponse response) { late = response; });
    platform::stopModalWithCode(1) /* no session: nothing happens */;
    EXPECT_TRUE(alerts().answer("OK"));
    EXPECT_FALSE(late);
    scheduler().runUntilIdle();
    EXPECT_EQ(late, platform::alertFirstButtonReturn);
}

TEST_F(AlertsTest, AnAnswerGivenInAdvanceEndsAWaitOfTopLevelCodeAndNoAnswerIsAFault) {
    alerts().answerNextWith(1, 0.5);
    Alert alert;
    alert.addButtonWithTitle("OK");
    alert.addButtonWithTitle("Cancel");
    const double before = platform::uptimeSeconds();
    EXPECT_EQ(alert.runModal(), platform::alertSecondButtonReturn);
    EXPECT_EQ(platform::uptimeSeconds() - before, 0.5);

    EXPECT_THROW(alert.runModal(), std::logic_error);
    EXPECT_THROW(platform::runModalForWindow(3), std::logic_error);
}

}  // namespace
}  // namespace zoral::sim

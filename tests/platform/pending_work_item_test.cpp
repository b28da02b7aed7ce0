#include "platform/pending_work_item.h"

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "platform/dispatch.h"
#include "platform/dispatch_time.h"
#include "support/virtual_clock.h"

namespace zoral::platform {
namespace {

class PendingWorkItemTest : public testing::VirtualClockTest {
protected:
    // Work that notes its name when it runs, submitted to run in a second.
    DispatchWorkItem later(const std::string& name) {
        DispatchWorkItem item([this, name] { ran.push_back(name); });
        DispatchQueue::main().asyncAfter(DispatchTime::now() + 1.0, item);
        return item;
    }

    std::vector<std::string> ran;
};

TEST_F(PendingWorkItemTest, WorkTheOwnerLetsGoOfNeverRuns) {
    using Owner = std::optional<PendingWorkItem>;
    struct Case {
        const char* name;
        // Done to an owner that holds the item "first".
        std::function<void(Owner&)> act;
        std::vector<std::string> ran;
    };
    const std::vector<Case> cases = {
        {"kept", [](Owner&) {}, {"first"}},
        {"replaced", [this](Owner& owner) { *owner = later("second"); }, {"second"}},
        {"given its own item again", [](Owner& owner) { *owner = **owner; }, {"first"}},
        {"reset", [](Owner& owner) { owner->reset(); }, {}},
        {"cancelled", [](Owner& owner) { owner->cancel(); }, {}},
        {"destroyed", [](Owner& owner) { owner.reset(); }, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ran.clear();
        Owner owner(std::in_place);
        *owner = later("first");
        c.act(owner);
        scheduler().advance(2.0);
        EXPECT_EQ(ran, c.ran);
    }
}

TEST_F(PendingWorkItemTest, MovingHandsTheItemOverAndTheReceiverCancelsWhatItHeld) {
    PendingWorkItem kept;
    kept = later("replaced by the move");
    {
        PendingWorkItem moving;
        moving = later("moved");
        kept = std::move(moving);
        EXPECT_FALSE(moving);
    }  // the moved-from owner goes without touching the item
    scheduler().advance(2.0);
    EXPECT_EQ(ran, std::vector<std::string>{"moved"});
}

TEST_F(PendingWorkItemTest, TheItemStaysReadableUntilItIsReset) {
    PendingWorkItem owner;
    EXPECT_FALSE(owner);
    const DispatchWorkItem item = later("first");
    owner = item;
    owner.cancel();
    ASSERT_TRUE(owner);
    EXPECT_EQ(*owner, item);
    EXPECT_TRUE(owner->isCancelled());
    owner.reset();
    EXPECT_FALSE(owner);
}

}  // namespace
}  // namespace zoral::platform

// Conversations with the desktop's applications: how long a call waits, which applications are
// still asked, which answers are kept, and how long a conversation lasts.

#include "desktop/conversation.h"

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "desktop/application.h"
#include "desktop/ax_vocabulary.h"
#include "desktop/window.h"
#include "element_world.h"

namespace zoral::desktop::testing {
namespace {

class ConversationTest : public ElementWorldTest {
protected:
    double now() { return scheduler().now().uptimeSeconds(); }

    // The code the call answers with and the seconds it took.
    std::pair<ax::Error, double> timed(const std::function<ax::Error()>& call) {
        const double start = now();
        const ax::Error code = call();
        return {code, now() - start};
    }

    // Every element of this world is the editor's.
    std::int64_t editorCalls() const { return world->roundTripCount(); }

    struct Call {
        const char* name;
        std::function<ax::Error(ConversationTest&)> make;
    };
    // One of each kind of call to the editor.
    static std::vector<Call> editorCallKinds() {
        return {
            {"read", [](auto& t) { return wrap(t.window)->tryAttributeValue("AXTitle").error(); }},
            {"settable test",
             [](auto& t) { return wrap(t.window)->tryIsSettable("AXSize").error(); }},
            {"write",
             [](auto& t) {
                 return wrap(t.window)->trySetAttribute("AXPosition", platform::CGPoint{1, 2});
             }},
            {"action", [](auto& t) { return wrap(t.closeButton)->tryPerformAction("AXPress"); }},
            {"another element's read",
             [](auto& t) { return wrap(t.textArea)->tryAttributeValue("AXValue").error(); }},
        };
    }
};

TEST_F(ConversationTest, AnApplicationThatLetsACallTimeOutIsAskedNothingMore) {
    world->process(editorPid)->hung = true;
    const auto calls = editorCallKinds();
    for (const Call& first : calls) {
        SCOPED_TRACE(first.name);
        const Conversation conversation;
        EXPECT_EQ(timed([&] { return first.make(*this); }),
                  std::pair(ax::cannotComplete, double{Conversation::patience}));
        world->resetRoundTrips();
        for (const Call& later : calls) {
            EXPECT_EQ(timed([&] { return later.make(*this); }), std::pair(ax::cannotComplete, 0.0))
                << later.name;
        }
        EXPECT_EQ(editorCalls(), 0);
    }
    // Without a conversation every call waits the whole time-out.
    EXPECT_EQ(timed([&] { return calls[0].make(*this); }),
              std::pair(ax::cannotComplete, sim::World::defaultMessagingTimeout));
}

TEST_F(ConversationTest, ACannotCompleteThatComesAtOnceIsNotATimeOut) {
    // An application may refuse one question and answer the next.
    world->injectError(window->element(), "AXTitle", ax::cannotComplete);
    const Conversation conversation;
    EXPECT_EQ(timed([&] { return wrap(window)->tryAttributeValue("AXTitle").error(); }),
              std::pair(ax::cannotComplete, 0.0));
    EXPECT_EQ(wrap(window)->title(), std::nullopt);
    EXPECT_EQ(wrap(window)->role(), Role::window);
}

TEST_F(ConversationTest, AShorterTimeOutOfTheElementHoldsAndEveryTimeOutIsBackAfterwards) {
    world->process(editorPid)->hung = true;
    const auto own = wrap(window);
    own->setMessagingTimeout(0.2f);
    const auto read = [](const UIElementRef& element) {
        return [element] { return element->tryAttributeValue("AXTitle").error(); };
    };
    {
        const Conversation conversation;
        EXPECT_NEAR(timed(read(own)).second, 0.2, 1e-6);
    }
    EXPECT_NEAR(timed(read(own)).second, 0.2, 1e-6);
    EXPECT_EQ(timed(read(wrap(group))).second, sim::World::defaultMessagingTimeout);
}

TEST_F(ConversationTest, AnswersAreKeptWhileTheConversationThatAskedIsOpenUntilAWrite) {
    const auto readTwice = [&](Conversation::Answers answers) {
        const Conversation conversation(answers);
        world->resetRoundTrips();
        // Two elements of the model for one element of the application.
        for (const auto& element : {wrap(window), wrap(window)}) {
            EXPECT_EQ(element->attribute<std::string>(Attribute::title), "Notes");
            EXPECT_TRUE(element->isSettable(Attribute::size));
        }
        return editorCalls();
    };
    EXPECT_EQ(readTwice(Conversation::Answers::kept), 2);
    EXPECT_EQ(readTwice(Conversation::Answers::asked), 4);

    const Conversation conversation(Conversation::Answers::kept);
    const auto element = wrap(window);
    EXPECT_EQ(element->position(), (platform::CGPoint{100, 100}));
    element->setPosition({150, 160});
    EXPECT_EQ(element->position(), (platform::CGPoint{150, 160}));
    {
        // A conversation that joins this one keeps its answers.
        const Conversation joined;
        world->resetRoundTrips();
        EXPECT_EQ(element->position(), (platform::CGPoint{150, 160}));
        EXPECT_EQ(editorCalls(), 0);
    }
}

TEST_F(ConversationTest, ElementsFoundInAConversationGoOnWithItWhileItIsKept) {
    world->process(editorPid)->hung = true;
    UIElementRef found;
    std::shared_ptr<ConversationRecord> record;
    {
        const Conversation conversation;
        found = wrap(window);
        record = conversation.record();
        EXPECT_EQ(found->tryAttributeValue("AXTitle").error(), ax::cannotComplete);
    }
    found->keepConversation(std::move(record));
    world->resetRoundTrips();
    // Its calls are refused at once.
    EXPECT_TRUE(found->children().empty());
    EXPECT_EQ(timed([&] { return found->tryAttributeValue("AXRole").error(); }),
              std::pair(ax::cannotComplete, 0.0));
    EXPECT_EQ(editorCalls(), 0);
    // An operation on it goes on with its conversation.
    {
        const Conversation operation(*found);
        EXPECT_EQ(timed([&] { return wrap(group)->tryAttributeValue("AXRole").error(); }),
                  std::pair(ax::cannotComplete, 0.0));
    }

    // Elements of a conversation nobody keeps go out as they are.
    UIElementRef stray;
    {
        const Conversation conversation;
        stray = wrap(window);
    }
    EXPECT_EQ(stray->conversation(), nullptr);
    EXPECT_EQ(timed([&] { return stray->tryAttributeValue("AXRole").error(); }),
              std::pair(ax::cannotComplete, sim::World::defaultMessagingTimeout));
}

TEST_F(ConversationTest, ElementsReadFromAKeptElementJoinItsConversation) {
    UIElementRef found;
    {
        const Conversation conversation;
        found = wrap(window);
        found->keepConversation(conversation.record());
    }
    const auto record = found->conversation();
    ASSERT_NE(record, nullptr);
    const auto children = found->children();
    ASSERT_FALSE(children.empty());
    for (const auto& child : children)
        EXPECT_EQ(child->conversation(), record);
    const auto grandchildren = children.back()->children();
    ASSERT_FALSE(grandchildren.empty());
    EXPECT_EQ(grandchildren.front()->parent()->conversation(), record);
    EXPECT_EQ(found->application()->conversation(), record);
    EXPECT_EQ(found->window()->conversation(), record);
}

TEST_F(ConversationTest, CallsOffTheMainThreadGoOutAsTheyAre) {
    world->process(editorPid)->hung = true;
    const Conversation conversation;
    const auto element = wrap(window);
    (void)element->tryAttributeValue("AXTitle");
    ASSERT_TRUE(conversation.record()->hasGivenUpOn(editorPid));
    world->resetRoundTrips();
    // The delayed write runs on the accessibility queue, waiting as long as the system lets it.
    element->setAttributeAfter(Attribute::position, platform::CGPoint{5, 5}, 0.01);
    scheduler().runFor(0.01 + sim::World::defaultMessagingTimeout);
    EXPECT_EQ(editorCalls(), 1);
}

}  // namespace
}  // namespace zoral::desktop::testing

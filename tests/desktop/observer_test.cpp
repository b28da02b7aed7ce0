#include "desktop/observer.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "element_world.h"
#include "platform/run_loop.h"

namespace zoral::desktop {
namespace {

namespace ax = platform::ax;
using testing::ElementWorldTest;

struct Heard {
    ax::Element element;
    AXNotification notification;
    std::string info;
};

class ObserverTest : public ElementWorldTest {
protected:
    std::shared_ptr<Observer> makeObserver() {
        return std::make_shared<Observer>(
            editorPid,
            [this](const std::shared_ptr<Observer>& observer, const UIElementRef& element,
                   AXNotification notification, const ax::Info& info) {
                EXPECT_EQ(observer->pid(), editorPid);
                const auto* text =
                    info.contains("AXName") ? info.at("AXName").getIf<std::string>() : nullptr;
                heard.push_back({element->element(), notification, text ? *text : ""});
            });
    }

    std::shared_ptr<platform::RunLoopSource> sourceOf(const Observer& observer) {
        return ax::observerGetRunLoopSource(observer.axObserver());
    }

    std::vector<Heard> heard;
};

template <class Call>
std::optional<std::int32_t> raisedCode(Call&& call) {
    try {
        call();
    } catch (const AXError& error) {
        return error.axCode();
    }
    return std::nullopt;
}

TEST_F(ObserverTest, DeliversRegisteredNotificationsAsLaterRunLoopWork) {
    const auto observer = makeObserver();
    EXPECT_EQ(output.lines(), std::vector<std::string>{"Observer: Initialized (pid=12)"});
    EXPECT_TRUE(platform::RunLoop::main().containsSource(sourceOf(*observer),
                                                         platform::RunLoopMode::defaultMode))
        << "attached at once, without start";

    observer->addNotification(AXNotification::windowMoved, *wrap(application));
    world->postNotification(*window, "AXWindowMoved", {{"AXName", "moved"}});
    world->postNotification(*window, "AXWindowResized");
    EXPECT_TRUE(heard.empty());
    scheduler().runUntilIdle();
    ASSERT_EQ(heard.size(), 1u);
    EXPECT_EQ(heard[0].element, window->element());
    EXPECT_EQ(heard[0].notification, AXNotification::windowMoved);
    EXPECT_EQ(heard[0].info, "moved");

    observer->removeNotification(AXNotification::windowMoved, *wrap(application));
    world->postNotification(*window, "AXWindowMoved");
    scheduler().runUntilIdle();
    EXPECT_EQ(heard.size(), 1u);
}

TEST_F(ObserverTest, RepeatedRegistrationsSucceedAndOtherRefusalsRaise) {
    const auto observer = makeObserver();
    const auto windowElement = wrap(window);
    EXPECT_EQ(raisedCode([&] {
                  observer->addNotification(AXNotification::titleChanged, *windowElement);
                  observer->addNotification(AXNotification::titleChanged, *windowElement);
                  observer->removeNotification(AXNotification::titleChanged, *windowElement);
                  observer->removeNotification(AXNotification::titleChanged, *windowElement);
              }),
              std::nullopt);

    const auto orphan = std::make_shared<UIElement>(ax::Element(999999));
    EXPECT_EQ(raisedCode([&] { observer->addNotification(AXNotification::moved, *orphan); }),
              ax::invalidUIElement);
    EXPECT_EQ(raisedCode([&] { (void)std::make_shared<Observer>(999, nullptr); }),
              ax::invalidUIElement)
        << "no process to observe";
}

TEST_F(ObserverTest, UnknownNamesAndMissingObserversAreLoggedAndDropped) {
    const auto observer = makeObserver();
    // Registered behind the observer's back, as only the system could.
    ASSERT_EQ(ax::observerAddNotification(observer->axObserver(), window->element(),
                                          "AXSomethingNew", std::weak_ptr<void>(observer)),
              ax::success);
    ASSERT_EQ(ax::observerAddNotification(observer->axObserver(), window->element(), "AXMoved",
                                          std::weak_ptr<void>()),
              ax::success);
    output.clear();
    world->postNotification(*window, "AXSomethingNew");
    world->postNotification(*window, "AXMoved");
    scheduler().runUntilIdle();
    EXPECT_TRUE(heard.empty());
    EXPECT_EQ(output.lines(),
              (std::vector<std::string>{"Observer: Unknown notification AXSomethingNew received",
                                        "Observer: userData should be an Observer"}));
}

TEST_F(ObserverTest, StoppedObserversHoldNotificationsUntilStarted) {
    const auto observer = makeObserver();
    observer->addNotification(AXNotification::windowMoved, *wrap(window));
    observer->stop();
    EXPECT_FALSE(platform::RunLoop::main().containsSource(sourceOf(*observer)));
    world->postNotification(*window, "AXWindowMoved");
    scheduler().runUntilIdle();
    EXPECT_TRUE(heard.empty());
    observer->start();
    scheduler().runUntilIdle();
    EXPECT_EQ(heard.size(), 1u);
}

TEST_F(ObserverTest, ReleaseDetachesTheSourceAndDropsWhatIsPending) {
    auto observer = makeObserver();
    const auto source = sourceOf(*observer);
    observer->addNotification(AXNotification::windowMoved, *wrap(window));
    world->postNotification(*window, "AXWindowMoved");
    output.clear();
    observer.reset();
    EXPECT_EQ(output.lines(), std::vector<std::string>{"Observer: Destroyed (pid=12)"});
    EXPECT_FALSE(platform::RunLoop::main().containsSource(source));
    scheduler().runUntilIdle();
    EXPECT_TRUE(heard.empty());
}

TEST_F(ObserverTest, AnObserverWithoutCallbackIgnoresNotifications) {
    const auto observer = std::make_shared<Observer>(editorPid, nullptr);
    observer->addNotification(AXNotification::windowMoved, *wrap(window));
    world->postNotification(*window, "AXWindowMoved");
    output.clear();
    scheduler().runUntilIdle();
    EXPECT_TRUE(output.lines().empty());
}

}  // namespace
}  // namespace zoral::desktop

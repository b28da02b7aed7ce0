#include "desktop/application.h"

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "desktop/dock_item.h"
#include "desktop/window.h"
#include "element_world.h"
#include "platform/workspace.h"
#include "sim/dock.h"
#include "sim/enhanced_interface.h"
#include "sim/workspace.h"

namespace zoral::desktop {
namespace {

namespace ax = platform::ax;
using testing::ElementWorldTest;

constexpr const char* editorBundleURL = "file:///Applications/Editor.app/";

class ApplicationTest : public ElementWorldTest {
protected:
    ApplicationTest() { sim::workspace(*world).info(editorPid).bundleURL = editorBundleURL; }

    std::shared_ptr<Application> editor() const {
        return Application::applicationForPID(editorPid);
    }

    std::vector<sim::EnhancedInterfaceWrite> enhancedWrites() {
        return world->component<sim::EnhancedInterface>().writes();
    }
};

TEST_F(ApplicationTest, BundleLookupsTakeTheFirstRecordOnly) {
    world->addProcess(20, "org.example.viewer", "Viewer");
    world->addProcess(21, "org.example.viewer", "Viewer");
    sim::workspace(*world).info(20).bundleURL = "file:///Applications/Viewer.app/";
    sim::workspace(*world).info(21).bundleURL = "file:///Applications/Viewer.app/";
    const auto records = platform::runningApplicationsWithBundleIdentifier("org.example.viewer");
    ASSERT_EQ(records.size(), 2U);
    const platform::ProcessId first = records[0].processIdentifier;

    auto byURL = Application::applicationForBundleURL("file:///Applications/Viewer.app/");
    ASSERT_TRUE(byURL);
    EXPECT_EQ(byURL->nsApp().processIdentifier, first);
    auto byIdentifier = Application::applicationForBundleIdentifier("org.example.viewer");
    ASSERT_TRUE(byIdentifier);
    EXPECT_EQ(byIdentifier->nsApp().processIdentifier, first);
    EXPECT_EQ(Application::applicationForBundleURL(editorBundleURL)->nsApp().processIdentifier,
              editorPid);

    // The first instance's root no longer answers as an application: the second is not tried.
    world->injectError(world->process(first)->application->element(), "AXRole", ax::cannotComplete);
    EXPECT_EQ(Application::applicationForBundleIdentifier("org.example.viewer"), nullptr);
    EXPECT_EQ(Application::applicationForBundleURL("file:///Applications/Viewer.app/"), nullptr);
    EXPECT_EQ(Application::applicationForBundleIdentifier("org.example.none"), nullptr);
    EXPECT_EQ(Application::applicationForBundleURL("file:///Applications/None.app/"), nullptr);
}

TEST_F(ApplicationTest, AllLeavesOutProhibitedAndRefusedApplications) {
    world->addProcess(20, "org.example.agent", "Agent");
    sim::workspace(*world).info(20).activationPolicy = platform::ActivationPolicy::prohibited;
    world->addProcess(21, "org.example.menu", "Menu");
    sim::workspace(*world).info(21).activationPolicy = platform::ActivationPolicy::accessory;
    world->addProcess(22, "org.example.broken", "Broken");
    world->injectError(world->process(22)->application->element(), "AXRole", ax::cannotComplete);

    std::vector<platform::ProcessId> expected;
    for (const auto& record : platform::runningApplications()) {
        if (record.processIdentifier == editorPid || record.processIdentifier == 21)
            expected.push_back(record.processIdentifier);
    }
    std::vector<platform::ProcessId> pids;
    for (const auto& listed : Application::all())
        pids.push_back(listed->nsApp().processIdentifier);
    EXPECT_EQ(pids, expected);
    EXPECT_EQ(pids.size(), 2U);
}

TEST_F(ApplicationTest, MinimisedWindowsNeedASettableState) {
    auto away = addWindow(application, "Away", {0, 0, 100, 100});
    away->set("AXMinimized", true);
    auto stuck = addWindow(application, "Stuck", {0, 0, 100, 100});
    stuck->set("AXMinimized", true);
    stuck->setSettable("AXMinimized", false);
    auto odd = addWindow(application, "Odd", {0, 0, 100, 100});
    odd->remove("AXMinimized");

    const auto titles = [](const std::vector<std::shared_ptr<Window>>& windows) {
        std::vector<std::string> result;
        for (const auto& item : windows)
            result.push_back(item->title().value_or("?"));
        return result;
    };
    const auto app = editor();
    ASSERT_TRUE(app);
    EXPECT_EQ(titles(app->windowsMinimized(true)), std::vector<std::string>{"Away"});
    EXPECT_EQ(titles(app->windowsMinimized(false)), std::vector<std::string>{"Notes"});
}

TEST_F(ApplicationTest, EnhancedInterfaceIsRestoredOnlyWhenDisableFoundItOn) {
    struct Case {
        const char* what;
        std::optional<bool> initial;
        bool unreadable;
        std::vector<const char*> calls;
        std::vector<bool> expectedWrites;
        std::optional<bool> savedAfterDisable;
    };
    const std::vector<Case> cases = {
        {"restore alone writes nothing", true, false, {"restore"}, {}, std::nullopt},
        {"on: off, then on once",
         true,
         false,
         {"disable", "restore", "restore"},
         {false, true},
         true},
        {"on, disabled twice: still restored",
         true,
         false,
         {"disable", "disable", "restore"},
         {false, true},
         true},
        {"off: nothing at all", false, false, {"disable", "restore"}, {}, false},
        {"absent: saved as off", std::nullopt, false, {"disable", "restore"}, {}, false},
        {"unreadable: saved as off", true, true, {"disable", "restore"}, {}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto& enhanced = world->component<sim::EnhancedInterface>();
        enhanced.setValue(editorPid, c.initial);
        enhanced.clearWrites();
        if (c.unreadable)
            world->injectError(application->element(), "AXEnhancedUserInterface",
                               ax::cannotComplete);
        const auto app = editor();
        ASSERT_TRUE(app);
        for (const char* call : c.calls) {
            if (std::string(call) == "disable") {
                app->disableEnhancedUI();
                EXPECT_EQ(app->usesEnhancedUI(), c.savedAfterDisable);
            } else {
                app->restoreEnhancedUI();
                EXPECT_EQ(app->usesEnhancedUI(), std::nullopt);
            }
        }
        std::vector<bool> written;
        for (const auto& write : enhancedWrites()) {
            EXPECT_EQ(write.pid, editorPid);
            written.push_back(write.value);
        }
        EXPECT_EQ(written, c.expectedWrites);
        world->clearInjectedErrors();
    }
}

TEST_F(ApplicationTest, TheDockTileIsLookedUpUntilFound) {
    const auto app = editor();
    ASSERT_TRUE(app);
    EXPECT_EQ(app->dockItem(), nullptr) << "no Dock";

    sim::Dock& dock = sim::Dock::install(*world);
    dock.addFolderTile(*world, "Downloads", "file:///Users/me/Downloads/");
    dock.addApplicationTile(*world, "Viewer", "file:///Applications/Viewer.app/");
    EXPECT_EQ(app->dockItem(), nullptr) << "not in the Dock";
    auto tile = dock.addApplicationTile(*world, "Editor", editorBundleURL);
    const auto found = app->dockItem();
    ASSERT_TRUE(found) << "the Dock is walked again";
    EXPECT_EQ(found->element(), tile->element());

    world->resetRoundTrips();
    EXPECT_EQ(app->dockItem(), found);
    EXPECT_EQ(world->roundTripCount(), 0) << "a found tile is kept";

    // Without a bundle URL nothing is found, and nothing is kept.
    sim::workspace(*world).info(editorPid).bundleURL.reset();
    const auto unbundled = editor();
    EXPECT_EQ(unbundled->dockItem(), nullptr);
    world->resetRoundTrips();
    EXPECT_EQ(unbundled->dockItem(), nullptr);
    EXPECT_GT(world->roundTripCount(), 0) << "asked again";
}

TEST_F(ApplicationTest, ObserversAreMadeForLiveProcessesOnly) {
    const auto app = editor();
    ASSERT_TRUE(app);
    int heard = 0;
    auto observer = app->makeObserver([&](const std::shared_ptr<Observer>&, const UIElementRef&,
                                          AXNotification, const ax::Info&) { ++heard; });
    ASSERT_TRUE(observer);
    EXPECT_EQ(observer->pid(), editorPid);
    observer->addNotification(AXNotification::windowMoved, *wrap(window));
    world->postNotification(*window, "AXWindowMoved");
    scheduler().runUntilIdle();
    EXPECT_EQ(heard, 1);
    observer.reset();

    output.clear();
    world->removeProcess(editorPid);
    EXPECT_EQ(app->makeObserver([](const std::shared_ptr<Observer>&, const UIElementRef&,
                                   AXNotification, const ax::Info&) {}),
              nullptr);
    EXPECT_TRUE(output.lines().empty()) << "a process that quit is an invalid element: no line";

    // Without the permission the refusal is unexpected, and says so.
    world->addProcess(editorPid, "org.example.editor", "Editor");
    const auto again = editor();
    ASSERT_TRUE(again);
    world->setTrusted(false);
    EXPECT_EQ(again->makeObserver([](const std::shared_ptr<Observer>&, const UIElementRef&,
                                     AXNotification, const ax::Info&) {}),
              nullptr);
    EXPECT_EQ(output.lines(), std::vector<std::string>{"AXObserver: Unexpected error: " +
                                                       AXError(ax::apiDisabled).description()});
}

}  // namespace
}  // namespace zoral::desktop

#include "desktop/system_wide.h"

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "desktop/application.h"
#include "desktop/window.h"
#include "element_world.h"
#include "sim/input_devices.h"
#include "sim/workspace.h"

namespace zoral::desktop {
namespace {

namespace ax = platform::ax;
using testing::ElementWorldTest;

// Beside the editor, a viewer (pid 30) that is the front-most application.
class SystemWideTest : public ElementWorldTest {
protected:
    SystemWideTest() {
        viewer = world->addProcess(viewerPid, "org.example.viewer", "Viewer").application;
        picture = addWindow(viewer, "Picture", {0, 0, 50, 50});
    }

    void focusApplication(const std::shared_ptr<sim::Node>& node) {
        world->systemWide()->set("AXFocusedApplication", node->element());
    }

    static constexpr platform::ProcessId viewerPid = 30;
    std::shared_ptr<sim::Node> viewer;
    std::shared_ptr<testing::RecordingNode> picture;
    std::shared_ptr<SystemWide> systemWide = std::make_shared<SystemWide>(ax::createSystemWide());
};

TEST_F(SystemWideTest, FocusedApplicationComesFromTheSystemOrElseTheFrontmost) {
    ASSERT_NE(systemWide->focusedApplication(), nullptr);
    EXPECT_EQ(systemWide->focusedApplication()->nsApp().processIdentifier, viewerPid)
        << "no focus reported: the workspace's front-most application";
    focusApplication(application);
    EXPECT_EQ(systemWide->focusedApplication()->bundleIdentifier(), "org.example.editor");
    focusApplication(window);
    EXPECT_EQ(systemWide->focusedApplication()->element(), application->element())
        << "any element of the process names it";
    world->removeProcess(editorPid);
    EXPECT_EQ(systemWide->focusedApplication(), nullptr) << "quit in the meantime";
}

TEST_F(SystemWideTest, NoFocusAndNoFrontmostApplicationGivesNone) {
    sim::workspace(*world).info(editorPid).hidden = true;
    sim::workspace(*world).info(viewerPid).activationPolicy = platform::ActivationPolicy::accessory;
    EXPECT_EQ(systemWide->focusedApplication(), nullptr);
    EXPECT_EQ(systemWide->focusedWindow(), nullptr);
}

TEST_F(SystemWideTest, FocusedWindowIsTheApplicationsOrItsFirstVisibleWindow) {
    focusApplication(application);
    auto second = addWindow(application, "Second", {0, 0, 10, 10});
    auto sheet = world->makeNode(editorPid, "AXSheet");
    struct Row {
        const char* what;
        std::optional<ax::Element> focused;  // none: the attribute is absent
        bool firstMinimized;
        std::optional<ax::Element> expected;
    };
    const std::vector<Row> rows = {
        {"the focused window", second->element(), false, second->element()},
        {"a focused element of another role, with no fallback", sheet->element(), false,
         std::nullopt},
        {"no focused window: the first visible one", std::nullopt, false, window->element()},
        {"no focused window: minimised ones are skipped", std::nullopt, true, second->element()},
    };
    for (const Row& row : rows) {
        if (row.focused) {
            application->set("AXFocusedWindow", *row.focused);
        } else {
            application->remove("AXFocusedWindow");
        }
        window->set("AXMinimized", row.firstMinimized);
        const auto focused = systemWide->focusedWindow();
        EXPECT_EQ(focused ? std::optional(focused->element()) : std::nullopt, row.expected)
            << row.what;
    }
}

TEST_F(SystemWideTest, AHitTestIsOneRoundTripAndGivesAPlainElement) {
    world->bringToFront(editorPid);
    world->resetRoundTrips();
    const auto hit = systemWide->elementAtPosition(112.5, 107.5);
    EXPECT_EQ(world->roundTripCount(), 1);
    EXPECT_EQ(world->roundTripCount(sim::RoundTrip::copyElementAtPosition), 1);
    ASSERT_NE(hit, nullptr);
    EXPECT_EQ(hit->element(), closeButton->element());
    const UIElement& hitElement = *hit;
    EXPECT_EQ(typeid(hitElement), typeid(UIElement)) << "a plain element";
    EXPECT_EQ(systemWide->elementAtPosition(-500.0, -500.0), nullptr);
}

TEST_F(SystemWideTest, ElementUnderMouseAsksAtThePointer) {
    auto& devices = sim::InputDevices::of(*world);
    devices.movePointer({10, 10});
    EXPECT_EQ(systemWide->elementUnderMouse()->element(), picture->element());
    devices.movePointer({300, 300});
    EXPECT_EQ(systemWide->elementUnderMouse()->element(), window->element());
    devices.setEventCreationFails(true);
    world->resetRoundTrips();
    EXPECT_EQ(systemWide->elementUnderMouse(), nullptr);
    EXPECT_EQ(world->roundTripCount(), 0);
}

TEST_F(SystemWideTest, SharedInstanceLastsAsLongAsTheSystemWideElement) {
    const auto shared = SystemWide::shared();
    EXPECT_EQ(shared, SystemWide::shared());
    EXPECT_EQ(shared->element(), ax::createSystemWide());
    shared->setMessagingTimeout(2.0f);
    EXPECT_EQ(SystemWide::shared()->messagingTimeout(), 2.0f);
    {
        // A new desktop session hands out a new element.
        sim::ScopedWorld other;
        EXPECT_EQ(SystemWide::shared()->element(), ax::createSystemWide());
        EXPECT_EQ(SystemWide::shared()->messagingTimeout(), 0.0f);
    }
}

}  // namespace
}  // namespace zoral::desktop

#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include <gtest/gtest.h>

#include "desktop/application.h"
#include "desktop/window.h"
#include "element_world.h"
#include "platform/workspace.h"

namespace zoral::desktop {
namespace {

namespace ax = platform::ax;
using testing::ElementWorldTest;

class WindowApplicationTest : public ElementWorldTest {};

TEST_F(WindowApplicationTest, WindowsAreMadeOnlyFromWindowRoles) {
    auto sheet = world->makeNode(editorPid, "AXSheet");
    auto roleless = world->makeNode(editorPid, "");
    EXPECT_NE(Window::make(*wrap(window)), nullptr);
    EXPECT_EQ(Window::make(*wrap(sheet)), nullptr);
    EXPECT_EQ(Window::make(*wrap(roleless)), nullptr);
    // The role is read through the given element's cache.
    const auto cached = wrap(sheet);
    cached->setRole(Role::window);
    EXPECT_NE(Window::make(*cached), nullptr);
}

TEST_F(WindowApplicationTest, WindowsOfOneElementAreEqualAndHashAlike) {
    const auto a = Window::make(*wrap(window));
    const auto b = Window::make(*wrap(window));
    EXPECT_NE(a, b);
    EXPECT_EQ(*a, *b);
    EXPECT_EQ(a->id(), b->id());
    EXPECT_EQ(std::hash<Window>{}(*a), std::hash<Window>{}(*b));
    EXPECT_EQ(a->id(), static_cast<std::int64_t>(std::hash<ax::Element>{}(window->element())));
    EXPECT_NE(a->id(), Window::make(*wrap(addWindow(application, "Other", {})))->id());
}

TEST_F(WindowApplicationTest, ApplicationsNeedALiveProcessWithAnApplicationRoot) {
    const auto record = platform::runningApplicationWithProcessIdentifier(editorPid);
    ASSERT_TRUE(record.has_value());
    const auto editor = Application::make(*record);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->element(), application->element());
    EXPECT_EQ(editor->bundleIdentifier(), "org.example.editor");

    world->injectError(application->element(), "AXRole", ax::cannotComplete);
    EXPECT_EQ(Application::make(*record), nullptr) << "no readable role";
    world->clearInjectedErrors();
    world->removeProcess(editorPid);
    EXPECT_EQ(Application::make(*record), nullptr) << "terminated";
}

TEST_F(WindowApplicationTest, ApplicationForPIDAsksNothingBelowOne) {
    world->resetRoundTrips();
    EXPECT_EQ(Application::applicationForPID(0), nullptr);
    EXPECT_EQ(Application::applicationForPID(-1), nullptr);
    EXPECT_EQ(Application::applicationForPID(999), nullptr);
    EXPECT_EQ(world->roundTripCount(), 0);
    EXPECT_NE(Application::applicationForPID(editorPid), nullptr);
}

TEST_F(WindowApplicationTest, WindowListsKeepOrderAndFilterByRoleAndMinimisedState) {
    auto sheet = world->makeNode(editorPid, "AXSheet");
    auto hidden = addWindow(application, "Hidden", {});
    hidden->set("AXMinimized", true);
    auto fixed = addWindow(application, "Fixed", {});
    fixed->set("AXMinimized", true);
    fixed->setSettable("AXMinimized", false);
    auto unknown = addWindow(application, "Unknown", {});
    unknown->remove("AXMinimized");
    auto listed = *application->stored("AXWindows")->getIf<ax::Value::Array>();
    listed.insert(listed.begin() + 1, ax::Value(sheet->element()));
    application->set("AXWindows", listed);

    const auto editor = Application::applicationForPID(editorPid);
    const auto titles = [](const std::vector<std::shared_ptr<Window>>& windows) {
        std::vector<std::string> result;
        for (const auto& w : windows)
            result.push_back(w->title().value_or("?"));
        return result;
    };
    EXPECT_EQ(titles(editor->windows()),
              (std::vector<std::string>{"Notes", "Hidden", "Fixed", "Unknown"}));
    EXPECT_EQ(titles(editor->windowsMinimized(false)), std::vector<std::string>{"Notes"});
    EXPECT_EQ(titles(editor->windowsMinimized(true)), std::vector<std::string>{"Hidden"})
        << "a state that cannot be set does not count";
    world->injectError(window->element(), "AXMinimized", ax::cannotComplete);
    EXPECT_TRUE(editor->windowsMinimized(false).empty());
    application->remove("AXWindows");
    EXPECT_TRUE(editor->windows().empty());
}

}  // namespace
}  // namespace zoral::desktop

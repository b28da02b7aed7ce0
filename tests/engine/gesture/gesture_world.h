#pragma once

// One gesture's life against recording stand-ins of the services it is handed: a resolver that
// proposes what a test tells it to, a performer whose results the test settles, and tooltips that
// write down every call. The desktop is simulated (the editor with one window on a laptop display),
// the settings at their defaults in a home of the test's own, the output captured, and the haptic
// feedback recorded by the simulated trackpad.

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "desktop/application.h"
#include "desktop/screen.h"
#include "desktop/window.h"
#include "engine/gesture/gesture.h"
#include "engine/gesture/gesture_services.h"
#include "engine/windows/screen_rebuild.h"
#include "promises/guarantee.h"
#include "settings/defaults.h"
#include "settings/defaults_keys.h"
#include "sim/displays.h"
#include "sim/haptics.h"
#include "sim/window_node.h"
#include "sim/world.h"
#include "support/captured_output.h"
#include "support/temporary_home.h"
#include "support/virtual_clock.h"

namespace zoral::engine::testing {

// Proposes, for each phase, what the test queued (nothing when the queue is empty), and settles
// at once; or leaves the resolution pending until the test settles it.
class RecordingResolver : public ActionResolver {
public:
    using Proposal = std::function<void(Gesture&)>;

    promises::Guarantee<promises::Unit> resolveAction(Gesture& gesture) override {
        phasesSeen.push_back(gesture.phases());
        if (!proposals.empty()) {
            Proposal proposal = std::move(proposals.front());
            proposals.pop_front();
            proposal(gesture);
        }
        if (holdResolutions) {
            auto pending = promises::Guarantee<promises::Unit>::makePendingPair();
            pendingResolutions.push_back(pending.resolve);
            return pending.guarantee;
        }
        return promises::Guarantee<promises::Unit>::initVoid();
    }

    std::deque<Proposal> proposals;
    // The phases each resolution found, in order.
    std::vector<std::vector<Phase>> phasesSeen;
    bool holdResolutions = false;
    std::vector<std::function<void(promises::Unit)>> pendingResolutions;
};

// Records each execution and leaves it pending until the test settles it.
class RecordingPerformer : public ActionPerformer {
public:
    struct Call {
        Origin origin;
        Action action;
        std::function<void(ActionOutcome)> settle;
    };

    promises::Guarantee<ActionOutcome> perform(const Origin& origin,
                                               const Action& action) override {
        auto pending = promises::Guarantee<ActionOutcome>::makePendingPair();
        calls.push_back({origin, action, pending.resolve});
        return pending.guarantee;
    }

    std::vector<Call> calls;
};

// Writes every call down as a line.
class RecordingTooltips : public Tooltips {
public:
    void update(const Action& action, TooltipDrawing drawing, platform::CGPoint point) override {
        std::ostringstream line;
        line << "update " << action << " show " << drawing.show << " state " << drawing.state
             << " clear " << drawing.clear << " at " << point.x << "," << point.y;
        calls.push_back(line.str());
    }
    void hide() override { calls.emplace_back("hide"); }
    void fadeTooltips(double duration) override {
        std::ostringstream line;
        line << "fade " << duration;
        calls.push_back(line.str());
    }
    void livePreview(const Action& action, const std::shared_ptr<desktop::Window>& window,
                     const desktop::Screen&) override {
        std::ostringstream line;
        line << "live " << action << (window ? " window" : " none");
        calls.push_back(line.str());
    }

    std::vector<std::string> calls;
};

class GestureTest : public zoral::testing::VirtualClockTest {
public:
    static constexpr platform::ProcessId editorPid = 12;

    GestureTest() {
        for (const auto* key : settings::Defaults::Keys::all())
            key->registerDefault();
        sim::Displays::of(*world).setDisplays(
            {{.number = 1, .uuid = "LAPTOP", .frame = {0, 0, 1440, 900}, .menuBarHeight = 25}});
        reinitializeScreens();
        world->addProcess(editorPid, "org.example.editor", "Editor");
        windowNode = world->makeNode<sim::WindowNode>(editorPid, 40);
        windowNode->set("AXPosition", platform::CGPoint{100, 100});
        windowNode->set("AXSize", platform::CGSize{800, 600});
        world->process(editorPid)->application->appendChild(windowNode);
        output.clear();
    }
    ~GestureTest() override {
        // What a test left unsettled holds its gesture, which holds the resolver and the
        // performer: let go of it with the test.
        resolver->pendingResolutions.clear();
        performer->calls.clear();
        desktop::Screen::setScreens({});
    }

    // An origin of the type on the editor's window, with the pointer at (300, 700) bottom-left.
    Origin origin(OriginType type, bool withWindow = true) const {
        Origin made = makeOrigin(type);
        made.location = {300, 700};
        made.application = desktop::Application::applicationForPID(editorPid);
        if (withWindow)
            made.window = desktop::Window::make(desktop::UIElement(windowNode->element()));
        return made;
    }

    GestureServices services() const { return {resolver, performer, tooltips}; }
    std::shared_ptr<Gesture> start(OriginType type = OriginType::titlebar, bool withWindow = true) {
        return Gesture::make(origin(type, withWindow), services());
    }

    // Runs what the main queue has now: the continuations of settled steps.
    void turn() { scheduler().runUntilIdle(); }

    // Appends the phase as an engine does and lets the gesture handle it.
    void phase(Gesture& gesture, Phase next) {
        gesture.appendPhase(next);
        turn();
    }
    // Queues a proposal for the next resolution.
    void propose(Action action, bool display = true) {
        resolver->proposals.emplace_back([action, display](Gesture& gesture) {
            gesture.setAction({.action = action, .display = display});
        });
    }

    // Settles the last execution with the origin and flag.
    void settleExecution(bool succeeded = true, std::optional<Origin> newOrigin = std::nullopt) {
        ASSERT_FALSE(performer->calls.empty());
        auto& call = performer->calls.back();
        call.settle({newOrigin.value_or(call.origin), succeeded});
        turn();
    }

    std::vector<std::string> linesStartingWith(std::string_view prefix) const {
        std::vector<std::string> lines;
        for (const auto& line : output.lines()) {
            if (line.starts_with(prefix))
                lines.push_back(line);
        }
        return lines;
    }
    std::size_t hapticsPlayed() const { return sim::Haptics::of(*world).playedCount(); }

    static Action snapLeftHalf() { return Action::snap({{0, 0}, {1, 1}, {2, 1}}); }
    static Action snapMaximized() { return Action::snap({{0, 0}, {1, 1}, {1, 1}}); }

    zoral::testing::TemporaryHome home;
    sim::ScopedWorld world;
    zoral::testing::ScopedOutputCapture output;
    std::shared_ptr<sim::WindowNode> windowNode;
    std::shared_ptr<RecordingResolver> resolver = std::make_shared<RecordingResolver>();
    std::shared_ptr<RecordingPerformer> performer = std::make_shared<RecordingPerformer>();
    std::shared_ptr<RecordingTooltips> tooltips = std::make_shared<RecordingTooltips>();
};

}  // namespace zoral::engine::testing

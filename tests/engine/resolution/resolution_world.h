#pragma once

// The simulated desktop for the resolution on the real desktop model: the laptop (screen 0) with
// the external display to its right (screen 1), the editor and the viewer, every setting at its
// default. Origins are made here as the classification would leave them, and the gesture gets
// stand-ins for the executor and the tooltips that record what it hands them.

#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "engine/actions/all_windows_world.h"
#include "engine/gesture/gesture.h"
#include "engine/gesture/gesture_services.h"
#include "engine/model/origin.h"
#include "engine/resolution/desktop_action_resolver.h"
#include "promises/guarantee.h"

namespace zoral::engine::testing {

// Performs nothing: records the action and hands the origin back unchanged, as having gone well.
class RecordingPerformer final : public ActionPerformer {
public:
    promises::Guarantee<ActionOutcome> perform(const Origin& origin,
                                               const Action& action) override {
        performed.push_back(action.description() + " on " +
                            std::string(desktop::caseName(origin.type)));
        return promises::Guarantee<ActionOutcome>::initWithValue({origin, true});
    }

    std::vector<std::string> performed;
};

// Draws nothing: records each call.
class RecordingTooltips final : public Tooltips {
public:
    void update(const Action& action, bool show, bool state, bool clear,
                platform::CGPoint point) override {
        std::ostringstream line;
        line << "update " << action << " show " << show << " state " << state << " clear " << clear
             << " at (" << point.x << ", " << point.y << ")";
        calls.push_back(line.str());
    }
    void hide() override { calls.emplace_back("hide"); }
    void fadeTooltips(double duration) override {
        calls.push_back("fade " + std::to_string(duration));
    }
    void livePreview(const Action& action, const std::shared_ptr<desktop::Window>& window,
                     const desktop::Screen&) override {
        calls.push_back("live " + action.description() + (window ? " with window" : ""));
    }

    std::vector<std::string> calls;
};

class ResolutionWorldTest : public AllWindowsWorldTest {
protected:
    // An origin of the type on the window, with its application, on the screen of the window.
    Origin originOn(OriginType type, const std::shared_ptr<sim::WindowNode>& node,
                    std::size_t screenIndex = 0) const {
        Origin origin;
        origin.type = type;
        origin.location = {300, 600};
        origin.screen = screen(screenIndex);
        origin.window = windowOf(node);
        origin.application = application(node->pid());
        return origin;
    }
    // An origin of the type without objects, on the screen.
    Origin bareOrigin(OriginType type, std::size_t screenIndex = 0) const {
        Origin origin;
        origin.type = type;
        origin.screen = screen(screenIndex);
        return origin;
    }

    std::shared_ptr<Gesture> makeGesture(Origin origin,
                                         std::shared_ptr<ActionResolver> resolver = nullptr) {
        if (!resolver)
            resolver = std::make_shared<DesktopActionResolver>();
        return Gesture::make(std::move(origin), {resolver, performer, tooltips});
    }

    // The lines of the gesture's log that say what it did: phases, actions, chains, cancels.
    std::vector<std::string> gestureLog() const {
        std::vector<std::string> found;
        for (const auto& line : output.lines()) {
            for (const char* prefix : {"Phase:", "Action:", "Gesture: c"}) {
                if (line.rfind(prefix, 0) == 0)
                    found.push_back(line);
            }
        }
        return found;
    }

    std::shared_ptr<RecordingPerformer> performer = std::make_shared<RecordingPerformer>();
    std::shared_ptr<RecordingTooltips> tooltips = std::make_shared<RecordingTooltips>();
};

}  // namespace zoral::engine::testing

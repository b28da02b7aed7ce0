#pragma once

// The simulated desktop for the resolution on the real desktop model: the laptop (screen 0) with
// the external display to its right (screen 1), the editor and the viewer, every setting at its
// default. Origins are made here as the classification would leave them, and the gesture gets
// the recording stand-ins of the executor and the tooltips.

#include <cstddef>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/actions/all_windows_world.h"
#include "engine/gesture/desktop_action_resolver.h"
#include "engine/gesture/gesture.h"
#include "engine/gesture/gesture_services.h"
#include "engine/gesture/gesture_world.h"
#include "engine/model/origin.h"
#include "promises/guarantee.h"

namespace zoral::engine::testing {

class ResolutionWorldTest : public AllWindowsWorldTest {
protected:
    // An execution left waiting holds its gesture, which holds the performer that holds it.
    ~ResolutionWorldTest() override { finishExecutions(); }

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

    // Lets every execution asked for so far finish, as having gone well with the origin unchanged.
    void finishExecutions() {
        for (std::size_t index = finished; index < performer->calls.size(); ++index)
            performer->calls[index].settle({performer->calls[index].origin, true});
        finished = performer->calls.size();
        settle();
    }
    // The executions asked for: the action and the origin's type.
    std::vector<std::string> performed() const {
        std::vector<std::string> found;
        for (const auto& call : performer->calls)
            found.push_back(call.action.description() + " on " +
                            std::string(platform::caseName(call.origin.type)));
        return found;
    }

    std::shared_ptr<RecordingPerformer> performer = std::make_shared<RecordingPerformer>();
    std::shared_ptr<RecordingTooltips> tooltips = std::make_shared<RecordingTooltips>();
    std::size_t finished = 0;
};

}  // namespace zoral::engine::testing

#pragma once

// What the input engines and the core hand their gestures, as recording stand-ins: a resolver that
// counts its runs and, once the gesture has a direction, proposes centring the window (an action
// every origin accepts) and may read an attribute each time; an executor that leaves the origin as
// it was; tooltips that draw nothing.

#include <memory>
#include <optional>
#include <vector>

#include "engine/gesture/gesture.h"
#include "engine/gesture/gesture_services.h"
#include "engine/model/action.h"
#include "engine/tooltips/tooltips.h"
#include "platform/accessibility.h"

namespace zoral::engine::testing {

class ProposingResolver : public ActionResolver {
public:
    promises::Guarantee<promises::Unit> resolveAction(Gesture& gesture) override {
        ++runs;
        // The resolution reads the desktop; a stand-in read, when asked for, costs what one does.
        if (reads)
            (void)platform::ax::copyAttributeValue(*reads, "AXRole");
        if (propose && !gesture.directions().empty() && !gesture.isCancelled())
            return gesture.setAction({.action = Action(Action::Kind::center)});
        return promises::Guarantee<promises::Unit>::initVoid();
    }

    int runs = 0;
    bool propose = true;
    std::optional<platform::ax::Element> reads;
};

class StillPerformer : public ActionPerformer {
public:
    promises::Guarantee<ActionOutcome> perform(const Origin& origin,
                                               const Action& action) override {
        performed.push_back(action);
        return promises::Guarantee<ActionOutcome>::initWithValue({origin, true});
    }

    std::vector<Action> performed;
};

class SilentTooltips : public Tooltips {
public:
    void update(const Action&, TooltipDrawing, platform::CGPoint) override {}
    void hide() override {}
    void fadeTooltips(double) override {}
    void livePreview(const Action&, const std::shared_ptr<desktop::Window>&,
                     const desktop::Screen&) override {}
};

struct StandIns {
    std::shared_ptr<ProposingResolver> resolver = std::make_shared<ProposingResolver>();
    std::shared_ptr<StillPerformer> performer = std::make_shared<StillPerformer>();
    std::shared_ptr<SilentTooltips> tooltips = std::make_shared<SilentTooltips>();

    GestureServices services() const { return {resolver, performer, tooltips}; }
};

}  // namespace zoral::engine::testing

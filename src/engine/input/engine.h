#pragma once

// The engine assembled: the core with its event tap, whose gestures are handed the real action
// resolution, the action executor and the tooltip controller. There is no engine without the
// Accessibility permission; the tap comes with the core (or is missing when the system refuses it)
// and is invalidated before the core goes, since the tap's handler holds the core. Its owner
// replaces it when the permission or a tap-related setting changes. Main thread only.

#include <memory>

#include "engine/actions/action_executor.h"
#include "engine/gesture/gesture_services.h"
#include "engine/input/zoral_core.h"
#include "engine/tooltips/tooltips.h"

namespace zoral::engine {

// The action executor as the gesture asks for it.
class ExecutorPerformer final : public ActionPerformer {
public:
    promises::Guarantee<ActionOutcome> perform(const Origin& origin, const Action& action) override;

private:
    ActionExecutor executor_;
};

class Engine {
    struct Passkey {
        explicit Passkey() = default;
    };

public:
    // The engine, or nothing without the permission; the screens are rebuilt from the displays and
    // the cursor is allowed to change while the program is in the background, as the tooltips
    // need.
    // The tooltips are the process's controller unless others are given.
    static std::unique_ptr<Engine> start(std::shared_ptr<Tooltips> tooltips = nullptr);

    Engine(Passkey, GestureServices services, std::shared_ptr<ZoralCore> core);
    ~Engine();
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    const std::shared_ptr<ZoralCore>& core() const { return core_; }
    const GestureServices& services() const { return services_; }
    // Whether the system gave the core its tap: without it no gesture reaches the engine.
    bool isListening() const { return core_->eventTap() != nullptr; }

private:
    GestureServices services_;
    std::shared_ptr<ZoralCore> core_;
};

}  // namespace zoral::engine

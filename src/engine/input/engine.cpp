#include "engine/input/engine.h"

#include <utility>

#include "engine/gesture/desktop_action_resolver.h"
#include "engine/tooltips/tooltip_controller.h"
#include "engine/windows/screen_rebuild.h"
#include "platform/cursor.h"

namespace zoral::engine {

promises::Guarantee<ActionOutcome> ExecutorPerformer::perform(const Origin& origin,
                                                              const Action& action) {
    return executor_.perform(origin, action);
}

std::unique_ptr<Engine> Engine::start(std::shared_ptr<Tooltips> tooltips) {
    GestureServices services{
        .resolver = std::make_shared<DesktopActionResolver>(),
        .performer = std::make_shared<ExecutorPerformer>(),
        .tooltips = tooltips ? std::move(tooltips) : TooltipController::shared(),
    };
    auto core = ZoralCore::make(services);
    if (!core)
        return nullptr;
    // Snapping and moving between screens need the screens as the displays are now.
    reinitializeScreens();
    // The tooltips hide the cursor while the program is in the background.
    platform::setSetsCursorInBackground(true);
    return std::make_unique<Engine>(Passkey{}, std::move(services), std::move(core));
}

Engine::Engine(Passkey, GestureServices services, std::shared_ptr<ZoralCore> core)
    : services_(std::move(services)), core_(std::move(core)) {}

Engine::~Engine() {
    if (core_->eventTap())
        core_->eventTap()->invalidate();
}

}  // namespace zoral::engine

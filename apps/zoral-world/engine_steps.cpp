#include "engine_steps.h"

#include <cstdlib>
#include <optional>
#include <string>

#include "desktop/screen.h"
#include "desktop_pictures.h"
#include "engine/input/engine.h"
#include "engine/tooltips/live_tooltip_window.h"
#include "engine/tooltips/tooltip_controller.h"
#include "engine/windows/screen_rebuild.h"
#include "platform/output.h"
#include "sim/world.h"

namespace zoral::world_runner {

AttachedEngine::AttachedEngine(std::optional<std::filesystem::path> pictures)
    : pictures_(std::move(pictures)) {}

AttachedEngine::~AttachedEngine() {
    detach();
}

void AttachedEngine::step(const platform::Json& arguments) {
    if (!arguments.is_boolean())
        throw ScriptError("takes true or false");
    if (!arguments.get<bool>()) {
        detach();
        platform::output::printLine("engine: detached");
        return;
    }
    if (engine_)
        throw ScriptError("the engine is attached already");
    sim::World::current().programProcess();
    tooltips_ = engine::TooltipController::make(std::make_shared<engine::LiveTooltipWindow>());
    std::shared_ptr<engine::Tooltips> tooltips = tooltips_;
    if (pictures_) {
        if (!picturing_)
            picturing_ = std::make_shared<pictures::PicturingTooltips>(*pictures_);
        picturing_->drawOver(tooltips_);
        tooltips = picturing_;
    }
    engine_ = engine::Engine::start(tooltips);
    if (!engine_) {
        tooltips_.reset();
        throw ScriptError("the engine needs the Accessibility permission (\"trusted\": true)");
    }
    displays_ = desktop::observeScreenParameters([](bool, bool) { engine::reinitializeScreens(); });
    platform::output::printLine(engine_->isListening() ? "engine: attached"
                                                       : "engine: attached without a tap");
}

void AttachedEngine::detach() {
    if (displays_) {
        platform::NotificationCenter::defaultCenter().removeObserver(*displays_);
        displays_.reset();
    }
    engine_.reset();
    tooltips_.reset();
}

void prepareToolkit(const std::filesystem::path& home) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("QT_LOGGING_RULES", "default.warning=false;qt.qpa.*.warning=false", 0);
    if (std::getenv("XDG_RUNTIME_DIR") == nullptr) {
        const std::filesystem::path runtime = home / "runtime";
        std::filesystem::create_directory(runtime);
        std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);
        setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    }
}

void AttachedEngine::reportPictures() const {
    if (picturing_)
        platform::output::printLine("pictures: " + std::to_string(picturing_->written()) +
                                    " written into " + pictures_->string());
}

ExtraSteps engineSteps(AttachedEngine& engine) {
    return {{"engine", [&engine](const platform::Json& on) { engine.step(on); }}};
}

}  // namespace zoral::world_runner

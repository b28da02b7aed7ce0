#include "engine_steps.h"

#include <cstdlib>
#include <optional>
#include <string>

#include "desktop/screen.h"
#include "engine/input/engine.h"
#include "engine/tooltips/live_tooltip_window.h"
#include "engine/tooltips/tooltip_controller.h"
#include "engine/windows/screen_rebuild.h"
#include "platform/enum_table.h"
#include "platform/output.h"
#include "settings/action_user_type.h"
#include "settings/defaults.h"
#include "settings/defaults_keys.h"
#include "sim/world.h"

namespace zoral::world_runner {

AttachedEngine::AttachedEngine() = default;

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
    engine_ = engine::Engine::start(tooltips_);
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

void enableActions(const platform::Json& arguments) {
    using namespace zoral::settings;
    if (!arguments.is_array())
        throw ScriptError("takes a list of kinds of action");
    auto enabled = Defaults::readValue(Defaults::Keys::actions());
    for (const auto& name : arguments) {
        const auto found =
            name.is_string()
                ? platform::fromRawValue<ActionUserType>(name.get_ref<const std::string&>())
                : std::nullopt;
        if (!found)
            throw ScriptError("no kind of action is named " + name.dump());
        enabled.insert(*found);
    }
    Defaults::writeValue(Defaults::Keys::actions(), enabled);
    platform::output::printLine("enable: " + std::to_string(arguments.size()) + " kinds of action");
}

ExtraSteps engineSteps(AttachedEngine& engine) {
    return {{"engine", [&engine](const platform::Json& on) { engine.step(on); }},
            {"enable", enableActions}};
}

}  // namespace zoral::world_runner

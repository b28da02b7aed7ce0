#pragma once

// The world runner's steps that reach the program's gesture engine, for every runner of scripts:
//   {"engine": true} / {"engine": false}    attach the engine to the world, or detach it

#include <filesystem>
#include <memory>
#include <optional>

#include "platform/json.h"
#include "platform/notification_center.h"
#include "script.h"

namespace zoral::engine {
class Engine;
class TooltipController;
}  // namespace zoral::engine

namespace zoral::pictures {
class PicturingTooltips;
}

namespace zoral::world_runner {

// The program's gesture engine, attached to the world by a step and detached by another or at the
// end of the run, before the world goes. While it is attached, the screens are rebuilt on every
// change of the displays, as the program does. With a folder for pictures, the desktop is drawn
// there when a gesture proposes an action and when it has ended.
class AttachedEngine {
public:
    explicit AttachedEngine(std::optional<std::filesystem::path> pictures = std::nullopt);
    AttachedEngine(const AttachedEngine&) = delete;
    AttachedEngine& operator=(const AttachedEngine&) = delete;
    ~AttachedEngine();

    void step(const platform::Json& arguments);
    void detach();
    engine::Engine* engine() const { return engine_.get(); }
    // How many pictures were written, and into which folder; nothing without pictures.
    void reportPictures() const;

private:
    std::optional<std::filesystem::path> pictures_;
    std::shared_ptr<pictures::PicturingTooltips> picturing_;
    std::shared_ptr<engine::TooltipController> tooltips_;
    std::unique_ptr<engine::Engine> engine_;
    std::optional<platform::ObserverToken> displays_;
};

// Readies the toolkit that draws the tooltips for a run in the home given: offscreen unless a
// display is chosen, quiet about the window features the offscreen platform lacks, and with its
// run-time files in the home when the user has no place for them.
void prepareToolkit(const std::filesystem::path& home);

// The steps above, for runScript.
ExtraSteps engineSteps(AttachedEngine& engine);

}  // namespace zoral::world_runner

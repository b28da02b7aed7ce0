#pragma once

// Pictures of the simulated desktop, for a person who would rather look than read frames: the
// displays as the user sees them (the menu bar, the Dock, the windows in their order with their
// title bars, the program's own windows as the toolkit paints them, the pointer), written as PNG.
// This is the simulated desktop's screen, not something the program shows.
//
// The picturing tooltips stand between a gesture and the program's tooltips: they pass every call
// on and take a picture when the gesture proposes an action and when it has ended, named by the
// gesture's number and the phase ("gesture-003-proposed.png", "gesture-003-ended.png").
// Main thread only.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "engine/tooltips/tooltips.h"

namespace zoral::sim {
class World;
}

namespace zoral::pictures {

// Paints the world's displays and writes them as one PNG; the error says why nothing was written.
// Displays lie where the world places them; the picture is scaled down when they are wider than
// a few thousand pixels.
std::optional<std::string> writeDesktopPicture(sim::World& world,
                                               const std::filesystem::path& file);

class PicturingTooltips final : public engine::Tooltips {
public:
    // Pictures go into the folder, which is made when missing; a picture that cannot be written
    // is reported once on the output and the run goes on.
    // The gestures are numbered across every engine they are drawn over.
    explicit PicturingTooltips(std::filesystem::path folder);

    // The tooltips that the calls go on to: those of the engine attached now.
    void drawOver(std::shared_ptr<engine::Tooltips> tooltips) { tooltips_ = std::move(tooltips); }

    void update(const engine::Action& action, engine::TooltipDrawing drawing,
                platform::CGPoint point) override;
    void hide() override;
    void fadeTooltips(double duration) override;
    void livePreview(const engine::Action& action, const std::shared_ptr<desktop::Window>& window,
                     const desktop::Screen& screen) override;

    // How many pictures were written.
    int written() const { return *written_; }

private:
    // Paints the desktop into the running gesture's picture of the phase, when called.
    std::function<void()> picture(const std::string& phase) const;

    std::shared_ptr<engine::Tooltips> tooltips_;
    std::filesystem::path folder_;
    int gesture_ = 1;
    // Within the running gesture: whether it showed anything, and how many proposals were pictured.
    bool active_ = false;
    int proposals_ = 0;
    std::optional<engine::Action> lastProposed_;
    // Shared with the delayed picture of a gesture's end, which may outlive the tooltips.
    std::shared_ptr<int> written_ = std::make_shared<int>(0);
    std::shared_ptr<bool> failed_ = std::make_shared<bool>(false);
};

}  // namespace zoral::pictures

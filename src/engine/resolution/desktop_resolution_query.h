#pragma once

// The resolution's questions answered from the desktop model for one gesture's origin. Each
// answer is read on first use and kept, so one resolution reads each attribute at most once; make
// a new one for every resolution, since the desktop changes between them.

#include <cstddef>
#include <map>
#include <optional>
#include <vector>

#include "desktop/direction.h"
#include "desktop/tab.h"
#include "engine/model/origin.h"
#include "engine/resolution/resolution_query.h"
#include "settings/action_user_type.h"

namespace zoral::engine {

class DesktopResolutionQuery final : public ResolutionQuery {
public:
    // Keeps a copy of the origin, which shares its elements.
    explicit DesktopResolutionQuery(Origin origin);

    bool isFullscreen() override;
    bool canSetFullscreen() override;
    bool canSetMinimized() override;
    std::size_t displayCount() override;
    std::vector<desktop::Direction> neighbourDirections() override;
    bool isScreenLandscape() override;
    std::optional<desktop::TabAppType> tabAppType() override;
    std::optional<bool> tabWindowFullscreen() override;
    bool tabCanReroute() override;
    std::optional<bool> spaceIsMovable() override;
    std::size_t minimizedWindowCount() override;
    std::size_t openWindowCount() override;
    bool hasSnappedWindows() override;
    bool hasSnappedWindowsOnScreen() override;
    bool isEnabled(settings::ActionUserType kind) override;
    bool chainsScreenMoves() override;

private:
    // "AXFullScreen" of the origin's window; none without a window or a readable state.
    std::optional<bool> windowFullscreen();

    Origin origin_;
    std::optional<std::optional<bool>> windowFullscreen_;
    std::optional<bool> canSetFullscreen_;
    std::optional<bool> canSetMinimized_;
    std::optional<std::size_t> displayCount_;
    std::optional<std::vector<desktop::Direction>> neighbourDirections_;
    std::optional<std::optional<bool>> tabWindowFullscreen_;
    std::optional<std::optional<bool>> spaceIsMovable_;
    std::optional<std::size_t> minimizedWindowCount_;
    std::optional<std::size_t> openWindowCount_;
    std::optional<bool> hasSnappedWindowsOnScreen_;
    std::optional<settings::ActionUserTypeSet> enabledKinds_;
    std::optional<bool> chainsScreenMoves_;
};

}  // namespace zoral::engine

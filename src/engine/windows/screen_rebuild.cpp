#include "engine/windows/screen_rebuild.h"

#include <algorithm>
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "desktop/rect_grid.h"
#include "desktop/system_appearance.h"
#include "engine/windows/snapping_geometry.h"
#include "platform/output.h"
#include "settings/defaults.h"
#include "settings/defaults_keys.h"

namespace zoral::engine {

namespace {

using desktop::DockPosition;
using desktop::StageManagerPosition;
using platform::CGRect;

// The width the Stage Manager strip takes from the snap area.
constexpr double stageManagerStripWidth = 190;

using Cells = std::vector<std::vector<CGRect>>;

Cells reversedRows(Cells cells) {
    std::reverse(cells.begin(), cells.end());
    return cells;
}

}  // namespace

GridOffset currentGridOffset() {
    using settings::Defaults::Keys;
    return GridOffset::fold(settings::Defaults::readValue(Keys::gridOffset()),
                            settings::Defaults::readValue(Keys::gridOffsetEdges()));
}

CGRect stageManagerVisibleFrame(const platform::NSScreen& screen, const GridOffset& offset) {
    const CGRect visible = desktop::flip(screen.visibleFrame());
    double x = visible.origin.x;
    double y = visible.origin.y;
    double w = visible.size.width;
    double h = visible.size.height;

    const DockPosition dock = desktop::dockPosition(screen);
    const StageManagerPosition stage = desktop::stageManagerPosition(screen);
    platform::output::printLine("StageManager: " + std::string(platform::caseName(stage)));

    switch (offset.kind()) {
        case GridOffset::Kind::none:
            break;
        case GridOffset::Kind::minimal:
        case GridOffset::Kind::noEdges:
            // One point off the Dock's side, so a window never sits flush against the Dock.
            switch (dock) {
                case DockPosition::bottom:
                    h -= 1;
                    break;
                case DockPosition::left:
                    x += 1;
                    w -= 1;
                    break;
                case DockPosition::right:
                    w -= 1;
                    break;
                case DockPosition::hidden:
                    break;
            }
            break;
        case GridOffset::Kind::edges: {
            const auto o = static_cast<double>(offset.offset());
            if (desktop::currentSystemAppearance() == desktop::SystemAppearance::light) {
                // The menu bar's edge already leaves one point.
                x += o;
                y += o - 1;
                w -= 2 * o;
                h += 1 - 2 * o;
            } else {
                const double p = o + 1;
                x += p - 1 + (dock == DockPosition::left ? 1 : 0);
                y += p - 1;
                w -=
                    2 * p - 2 + (dock == DockPosition::left || dock == DockPosition::right ? 1 : 0);
                h -= 2 * p - 2 + (dock == DockPosition::bottom ? 1 : 0);
            }
            break;
        }
    }

    switch (stage) {
        case StageManagerPosition::left:
            x += stageManagerStripWidth;
            w -= stageManagerStripWidth;
            break;
        case StageManagerPosition::right:
            w -= stageManagerStripWidth;
            break;
        case StageManagerPosition::disabled:
        case StageManagerPosition::autoHide:
            break;
    }
    return {x, y, w, h};
}

void reinitializeScreens() {
    const GridOffset offset = currentGridOffset();
    const double spacing = gridGap(offset);
    std::vector<desktop::Screen> screens;
    for (const platform::NSScreen& display : platform::NSScreen::screens()) {
        const auto [columns, rows] = desktop::screenSplit(desktop::displayID(display));
        // Row 0 is the bottom row in bottom-left coordinates and the top row in top-left ones;
        // reversing the top-left grids makes row r the same cell in all three.
        const Cells ui = desktop::grid(display.frame(), columns, rows, 0);
        const Cells ax =
            reversedRows(desktop::grid(desktop::flip(display.frame()), columns, rows, 0));
        const Cells snap = reversedRows(
            desktop::grid(stageManagerVisibleFrame(display, offset), columns, rows, spacing));
        // The three grids have the same shape; an empty split yields no screen.
        const std::size_t columnCount = ui.empty() ? 0 : ui.front().size();
        for (std::size_t c = 0; c < columnCount; ++c) {
            for (std::size_t r = 0; r < ui.size(); ++r) {
                screens.push_back({.nsScreen = display,
                                   .uiFrame = ui[r][c],
                                   .axFrame = ax[r][c],
                                   .snapFrame = snap[r][c]});
            }
        }
    }
    const std::size_t count = screens.size();
    desktop::Screen::setScreens(std::move(screens));
    platform::output::printLine("Screens: re-initialized " + std::to_string(count) + " screens");
}

}  // namespace zoral::engine

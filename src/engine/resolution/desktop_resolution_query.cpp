#include "engine/resolution/desktop_resolution_query.h"

#include <utility>

#include "desktop/application.h"
#include "desktop/mission_control_space.h"
#include "desktop/screen.h"
#include "desktop/window.h"
#include "engine/windows/snapped_windows.h"
#include "platform/screens.h"
#include "settings/defaults.h"
#include "settings/defaults_keys.h"

namespace zoral::engine {

namespace {

// The cached answer, computed on first use.
template <class T, class Compute>
const T& once(std::optional<T>& cache, Compute&& compute) {
    if (!cache)
        cache.emplace(std::forward<Compute>(compute)());
    return *cache;
}

}  // namespace

DesktopResolutionQuery::DesktopResolutionQuery(Origin origin) : origin_(std::move(origin)) {}

std::optional<bool> DesktopResolutionQuery::windowFullscreen() {
    return once(windowFullscreen_, [this]() -> std::optional<bool> {
        return origin_.window ? origin_.window->isFullscreen() : std::nullopt;
    });
}

bool DesktopResolutionQuery::isFullscreen() {
    return windowFullscreen().value_or(false);
}

bool DesktopResolutionQuery::canSetFullscreen() {
    return once(canSetFullscreen_,
                [this] { return origin_.window && origin_.window->canFullscreen(); });
}

bool DesktopResolutionQuery::canSetMinimized() {
    return once(canSetMinimized_,
                [this] { return origin_.window && origin_.window->canMinimize(); });
}

std::size_t DesktopResolutionQuery::displayCount() {
    return once(displayCount_, [] { return platform::NSScreen::screens().size(); });
}

std::vector<desktop::Direction> DesktopResolutionQuery::neighbourDirections() {
    return once(neighbourDirections_,
                [this] { return desktop::allNeighbourDirections(origin_.screen); });
}

bool DesktopResolutionQuery::isScreenLandscape() {
    const platform::CGRect& frame = origin_.screen.uiFrame;
    return frame.size.height <= frame.size.width;
}

std::optional<desktop::TabAppType> DesktopResolutionQuery::tabAppType() {
    if (!origin_.tab)
        return std::nullopt;
    return origin_.tab->appType();
}

std::optional<bool> DesktopResolutionQuery::tabWindowFullscreen() {
    if (!origin_.tab)
        return std::nullopt;
    // The origin's window is the tab's: the classification made the tab from the element under
    // the pointer and that element's window. Asking the tab for its window again would walk the
    // tree a second time.
    if (origin_.window)
        return windowFullscreen();
    return once(tabWindowFullscreen_, [this]() -> std::optional<bool> {
        const auto window = origin_.tab->window();
        return window ? window->isFullscreen() : std::nullopt;
    });
}

bool DesktopResolutionQuery::tabCanReroute() {
    return origin_.tab && origin_.tab->canReroute();
}

std::optional<bool> DesktopResolutionQuery::spaceIsMovable() {
    return once(spaceIsMovable_, [this]() -> std::optional<bool> {
        if (!origin_.space)
            return std::nullopt;
        return origin_.space->isMovable(origin_.screen);
    });
}

std::size_t DesktopResolutionQuery::minimizedWindowCount() {
    return once(minimizedWindowCount_, [this]() -> std::size_t {
        return origin_.application ? origin_.application->windowsMinimized(true).size() : 0;
    });
}

std::size_t DesktopResolutionQuery::openWindowCount() {
    return once(openWindowCount_, [this]() -> std::size_t {
        return origin_.application ? origin_.application->windowsMinimized(false).size() : 0;
    });
}

bool DesktopResolutionQuery::hasSnappedWindows() {
    return SnappedWindows::shared().count() > 0;
}

bool DesktopResolutionQuery::hasSnappedWindowsOnScreen() {
    return once(hasSnappedWindowsOnScreen_,
                [this] { return !snappedWindowsOnScreen(origin_.screen).empty(); });
}

bool DesktopResolutionQuery::isEnabled(settings::ActionUserType kind) {
    return once(enabledKinds_,
                [] { return settings::Defaults::readValue(settings::Defaults::Keys::actions()); })
        .contains(kind);
}

bool DesktopResolutionQuery::chainsScreenMoves() {
    return once(chainsScreenMoves_, [] {
        return settings::Defaults::readValue(settings::Defaults::Keys::screensChainGesture());
    });
}

}  // namespace zoral::engine

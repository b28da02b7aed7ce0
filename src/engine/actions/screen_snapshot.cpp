#include "engine/actions/screen_snapshot.h"

#include "desktop/window.h"

namespace zoral::engine {

ScreenSnapshot ScreenSnapshot::current() {
    return {desktop::Screen::screens(), desktop::primaryDisplayHeight()};
}

std::optional<desktop::Screen> ScreenSnapshot::screenOfFrame(const platform::CGRect& frame) const {
    return desktop::Window::screenOfFrame(frame, screens, primaryHeight);
}

}  // namespace zoral::engine

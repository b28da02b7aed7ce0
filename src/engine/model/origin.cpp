#include "engine/model/origin.h"

#include "platform/screens.h"

namespace zoral::engine {

Origin makeOrigin(OriginType type) {
    Origin origin;
    origin.type = type;
    origin.location = platform::mouseLocation();
    // The screen is chosen by the same bottom-left point the location holds, so that displays of
    // different heights or stacked vertically give the screen under the pointer.
    if (auto screen = desktop::screenContainingPoint(origin.location))
        origin.screen = std::move(*screen);
    return origin;
}

}  // namespace zoral::engine

#include "desktop/app_cycle_state.h"

#include "platform/process_state.h"

namespace zoral::desktop {

AppCycleState& AppCycleState::shared() {
    return platform::processPart<AppCycleState>();
}

}  // namespace zoral::desktop

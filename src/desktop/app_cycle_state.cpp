#include "desktop/app_cycle_state.h"

namespace zoral::desktop {

AppCycleState& AppCycleState::shared() {
    static AppCycleState state;
    return state;
}

}  // namespace zoral::desktop

#include "shortcuts/shortcut_state.h"

#include "platform/process_state.h"

namespace zoral::shortcuts {

namespace detail {

State& state() {
    return platform::processPart<State>();
}

}  // namespace detail

}  // namespace zoral::shortcuts

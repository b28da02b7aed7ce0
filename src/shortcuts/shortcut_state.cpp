#include "shortcuts/shortcut_state.h"

namespace zoral::shortcuts {

namespace detail {

State& state() {
    static State instance;
    return instance;
}

}  // namespace detail

void resetForTesting() {
    detail::State& state = detail::state();
    for (const auto& [id, hotKey] : state.hotKeys)
        platform::carbon::unregisterEventHotKey(hotKey.carbonHotKey);
    state = detail::State();
}

}  // namespace zoral::shortcuts

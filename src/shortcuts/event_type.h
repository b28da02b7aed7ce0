#pragma once

// What an event stream of a shortcut delivers: the press, or the release.

#include <ostream>

namespace zoral::shortcuts::GlobalShortcuts {

enum class EventType { keyDown, keyUp };

inline std::ostream& operator<<(std::ostream& stream, EventType type) {
    return stream << (type == EventType::keyDown ? "keyDown" : "keyUp");
}

}  // namespace zoral::shortcuts::GlobalShortcuts

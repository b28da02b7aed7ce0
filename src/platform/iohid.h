#pragma once

// The input-monitoring permission: whether the program may post events into the input stream
// and listen to it. Values as on the system.

#include <cstdint>

namespace zoral::platform::iohid {

enum class RequestType : std::uint32_t { postEvent = 0, listenEvent = 1 };
enum class AccessType : std::uint32_t { granted = 0, denied = 1, unknown = 2 };

AccessType checkAccess(RequestType request);

}  // namespace zoral::platform::iohid

#include "desktop/ax_error.h"

#include <string>

namespace zoral::desktop {

AXError::AXError(std::int32_t code)
    : platform::Error(std::string(errorDomain), code, "AXError." + std::string(axErrorName(code))),
      code_(code) {}

void AXError::raise(std::int32_t code) {
    throw AXError(code);
}

}  // namespace zoral::desktop

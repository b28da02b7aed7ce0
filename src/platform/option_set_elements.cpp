#include "platform/option_set_elements.h"

#include <cstdio>
#include <cstdlib>

namespace zoral::platform {

void optionSetPreconditionFailure(const char* message) {
    std::fprintf(stderr, "Precondition failed: %s\n", message);
    std::fflush(stderr);
    std::abort();
}

}  // namespace zoral::platform

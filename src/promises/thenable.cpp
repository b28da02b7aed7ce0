#include "promises/thenable.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace zoral::promises::detail {

void contractViolation(std::string_view message) {
    std::fprintf(stderr, "Promises: %.*s\n", static_cast<int>(message.size()), message.data());
    std::fflush(stderr);
    std::abort();
}

std::string describeCurrentException() {
    const ErrorRef error = platform::currentError();
    return error ? error->description() : std::string("unknown error");
}

}  // namespace zoral::promises::detail

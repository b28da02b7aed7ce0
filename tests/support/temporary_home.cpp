#include "support/temporary_home.h"

#include "platform/user_defaults.h"

namespace zoral::testing {

TemporaryHome::TemporaryHome() {
    platform::UserDefaults::resetForTesting();
}

TemporaryHome::~TemporaryHome() {
    // Reset while the home is still ours, so that nothing is saved into the one before.
    platform::UserDefaults::resetForTesting();
}

TemporaryHome::Without::Without() {
    none_.emplace(std::nullopt);
    platform::UserDefaults::resetForTesting();
}

TemporaryHome::Without::~Without() {
    none_.reset();
    platform::UserDefaults::resetForTesting();
}

}  // namespace zoral::testing

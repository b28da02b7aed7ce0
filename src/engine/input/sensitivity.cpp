#include "engine/input/sensitivity.h"

#include "settings/defaults.h"
#include "settings/defaults_keys.h"

namespace zoral::engine {

using settings::Defaults::Keys;
using settings::Defaults::readValue;

SensitivityParameters currentSensitivity() {
    return sensitivityParameters(readValue(Keys::scrollingSensitivity()));
}

double currentCancelTimeout() {
    return static_cast<double>(readValue(Keys::cancelTimeout())) / 1000;
}

}  // namespace zoral::engine

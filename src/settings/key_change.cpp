#include "settings/key_change.h"

namespace zoral::settings::Defaults {

using platform::KeyValueObservingOptions;

KeyValueObservingOptions platformOptions(const ObservationOptions& options) {
    auto result = KeyValueObservingOptions::new_ | KeyValueObservingOptions::old;
    if (options.contains(ObservationOption::initial))
        return result | KeyValueObservingOptions::initial;
    if (options.contains(ObservationOption::prior))
        return result | KeyValueObservingOptions::prior;
    return result;
}

BaseChange BaseChange::fromChange(const platform::KeyValueChange& change) {
    return BaseChange{change.kind, change.isPrior, change.newValue, change.oldValue};
}

}  // namespace zoral::settings::Defaults

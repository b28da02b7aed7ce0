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
    // Indexes come only with changes of ordered to-many properties, and user defaults have none:
    // their key-value observing never reports any.
    return BaseChange{change.kind, std::nullopt, change.isPrior, change.newValue, change.oldValue};
}

}  // namespace zoral::settings::Defaults

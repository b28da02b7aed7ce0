#pragma once

// Key-value observation of stored values: the options an observer asks for, and the change record
// it receives. The numbers are the system's own, so that code which computes options from a table
// passes them through unchanged.

#include <cstdint>
#include <functional>
#include <optional>

#include "platform/option_set.h"
#include "platform/plist_object.h"

namespace zoral::platform {

// A set of options; combine with |. "new" is a keyword, hence new_.
class KeyValueObservingOptions : public OptionSet<KeyValueObservingOptions, unsigned> {
public:
    using OptionSet::OptionSet;

    static const KeyValueObservingOptions none;
    // Changes carry the value after the change.
    static const KeyValueObservingOptions new_;
    // Changes carry the value before the change.
    static const KeyValueObservingOptions old;
    // One change is delivered at once, while the observer is added.
    static const KeyValueObservingOptions initial;
    // A change is also delivered before each change, with isPrior set.
    static const KeyValueObservingOptions prior;
};

inline constexpr KeyValueObservingOptions KeyValueObservingOptions::none{0u};
inline constexpr KeyValueObservingOptions KeyValueObservingOptions::new_{1u};
inline constexpr KeyValueObservingOptions KeyValueObservingOptions::old{2u};
inline constexpr KeyValueObservingOptions KeyValueObservingOptions::initial{4u};
inline constexpr KeyValueObservingOptions KeyValueObservingOptions::prior{8u};

enum class KeyValueChangeKind : unsigned {
    setting = 1,
    insertion = 2,
    removal = 3,
    replacement = 4
};

struct KeyValueChange {
    KeyValueChangeKind kind = KeyValueChangeKind::setting;
    // Absent when the option was not asked for, on a prior change (new), on the initial change
    // (old), and when there is no value.
    std::optional<PlistObject> newValue;
    std::optional<PlistObject> oldValue;
    bool isPrior = false;

    friend bool operator==(const KeyValueChange&, const KeyValueChange&) = default;
};

using KeyValueObserver = std::function<void(const KeyValueChange&)>;

// Names one registered observer, to remove it again.
struct KeyValueObserverToken {
    std::uint64_t id = 0;

    friend bool operator==(const KeyValueObserverToken&, const KeyValueObserverToken&) = default;
};

}  // namespace zoral::platform

#pragma once

// Key-value observation of stored values: the options an observer asks for, and the change record
// it receives. The numbers are the system's own, so that code which computes options from a table
// passes them through unchanged.

#include <cstdint>
#include <functional>
#include <optional>

#include "platform/plist_object.h"

namespace zoral::platform {

// A set of options; combine with |. "new" is a keyword, hence new_.
enum class KeyValueObservingOptions : unsigned {
    none = 0,
    // Changes carry the value after the change.
    new_ = 1,
    // Changes carry the value before the change.
    old = 2,
    // One change is delivered at once, while the observer is added.
    initial = 4,
    // A change is also delivered before each change, with isPrior set.
    prior = 8,
};

constexpr KeyValueObservingOptions operator|(KeyValueObservingOptions a,
                                             KeyValueObservingOptions b) {
    return static_cast<KeyValueObservingOptions>(static_cast<unsigned>(a) |
                                                 static_cast<unsigned>(b));
}

constexpr bool contains(KeyValueObservingOptions set, KeyValueObservingOptions option) {
    return (static_cast<unsigned>(set) & static_cast<unsigned>(option)) != 0;
}

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

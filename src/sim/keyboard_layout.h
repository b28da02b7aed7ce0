#pragma once

// The simulated keyboard layouts: what each key types, unshifted and with Shift, under the U.S.
// layout (the default) and the French one, and which of them the user types with. The text-input
// calls of the platform translate key codes through the current one.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/text_input_sources.h"
#include "platform/thread_safety.h"

namespace zoral::platform::tis {

// One layout's table: the UTF-16 text of each key that types something, plain and with Shift.
// Keys without a row type nothing.
class KeyboardLayoutData {
public:
    struct Row {
        std::u16string plain;
        std::u16string shifted;
    };

    explicit KeyboardLayoutData(std::map<std::uint16_t, Row> rows) : rows_(std::move(rows)) {}

    const Row* row(std::uint16_t keyCode) const {
        const auto found = rows_.find(keyCode);
        return found == rows_.end() ? nullptr : &found->second;
    }

private:
    std::map<std::uint16_t, Row> rows_;
};

}  // namespace zoral::platform::tis

namespace zoral::sim {

class World;

class KeyboardLayouts {
public:
    static constexpr const char* usLayout = "US";
    static constexpr const char* frenchLayout = "French";
    // The keyboard the simulated machine has (an ANSI one).
    static constexpr std::uint8_t keyboardType = 40;

    KeyboardLayouts();

    static KeyboardLayouts& of(World& world);
    static KeyboardLayouts& current();

    // The identifiers of the layouts the system has.
    std::vector<std::string> layoutIdentifiers() const;
    // Makes the layout with the identifier the current one; none leaves the system without an
    // ASCII-capable layout. False, changing nothing, for an identifier the system does not have.
    bool selectLayout(std::optional<std::string> identifier);
    platform::tis::InputSourceRef currentLayout() const;

private:
    mutable platform::Mutex mutex_;
    std::map<std::string, platform::tis::InputSourceRef> layouts_ ZORAL_GUARDED_BY(mutex_);
    platform::tis::InputSourceRef current_ ZORAL_GUARDED_BY(mutex_);
};

}  // namespace zoral::sim

#pragma once

// The set of modifier keys, as the system's bit masks; the modifier settings hold one set each.
// Stored as its raw mask, one unsigned number.

#include <cstdint>

#include "platform/json.h"
#include "platform/option_set.h"
#include "settings/json_coding.h"

namespace zoral::settings {

class ModifierFlags : public platform::OptionSet<ModifierFlags, std::uint64_t> {
public:
    using OptionSet::OptionSet;

    static const ModifierFlags capsLock;
    static const ModifierFlags shift;
    static const ModifierFlags control;
    static const ModifierFlags option;
    static const ModifierFlags command;
    static const ModifierFlags numericPad;
    static const ModifierFlags help;
    static const ModifierFlags function;
    // Every bit that does not depend on the device.
    static const ModifierFlags deviceIndependentFlagsMask;
};

inline constexpr ModifierFlags ModifierFlags::capsLock{1u << 16};
inline constexpr ModifierFlags ModifierFlags::shift{1u << 17};
inline constexpr ModifierFlags ModifierFlags::control{1u << 18};
inline constexpr ModifierFlags ModifierFlags::option{1u << 19};
inline constexpr ModifierFlags ModifierFlags::command{1u << 20};
inline constexpr ModifierFlags ModifierFlags::numericPad{1u << 21};
inline constexpr ModifierFlags ModifierFlags::help{1u << 22};
inline constexpr ModifierFlags ModifierFlags::function{1u << 23};
inline constexpr ModifierFlags ModifierFlags::deviceIndependentFlagsMask{0xFFFF'0000u};

template <>
struct JsonCoding<ModifierFlags> {
    static platform::Json encode(const ModifierFlags& flags) {
        return platform::Json(flags.rawValue());
    }
    static ModifierFlags decode(const platform::Json& json) {
        return ModifierFlags(platform::exactValue<std::uint64_t>(json));
    }
};

}  // namespace zoral::settings

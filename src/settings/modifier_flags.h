#pragma once

// The set of modifier keys, as the system's bit masks; the modifier settings hold one set each.
// Stored as its raw mask, one unsigned number.

#include <cstdint>

#include "platform/json.h"
#include "settings/json_coding.h"

namespace zoral::settings {

class ModifierFlags {
public:
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

    constexpr ModifierFlags() = default;
    explicit constexpr ModifierFlags(std::uint64_t rawValue) : rawValue_(rawValue) {}

    constexpr std::uint64_t rawValue() const { return rawValue_; }
    constexpr bool isEmpty() const { return rawValue_ == 0; }
    // True when every flag of other is set here.
    constexpr bool contains(ModifierFlags other) const {
        return (rawValue_ & other.rawValue_) == other.rawValue_;
    }

    friend constexpr ModifierFlags operator|(ModifierFlags a, ModifierFlags b) {
        return ModifierFlags(a.rawValue_ | b.rawValue_);
    }
    friend constexpr ModifierFlags operator&(ModifierFlags a, ModifierFlags b) {
        return ModifierFlags(a.rawValue_ & b.rawValue_);
    }
    friend constexpr bool operator==(ModifierFlags, ModifierFlags) = default;

private:
    std::uint64_t rawValue_ = 0;
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

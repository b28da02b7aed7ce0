#pragma once

// A set of options held as the system's bit mask. Each kind of set derives from OptionSet with
// itself as the first argument, so that two kinds of set never mix, and declares its options as
// static constants:
//
//   class DispatchWorkItemFlags : public OptionSet<DispatchWorkItemFlags, std::uint32_t> {
//   public:
//       using OptionSet::OptionSet;
//       static const DispatchWorkItemFlags barrier;
//   };
//   inline constexpr DispatchWorkItemFlags DispatchWorkItemFlags::barrier{1u << 0};
//
// The raw value is the mask itself, so a stored or passed-on set keeps the system's numbers.

#include <concepts>

namespace zoral::platform {

template <class Set, std::unsigned_integral Raw>
class OptionSet {
public:
    using RawValue = Raw;

    constexpr OptionSet() = default;
    explicit constexpr OptionSet(Raw rawValue) : rawValue_(rawValue) {}

    constexpr Raw rawValue() const { return rawValue_; }
    constexpr bool isEmpty() const { return rawValue_ == 0; }
    // True when every option of other is in the set (so always for the empty set).
    constexpr bool contains(Set other) const {
        return (rawValue_ & other.rawValue()) == other.rawValue();
    }
    // True when the sets share an option.
    constexpr bool intersects(Set other) const { return (rawValue_ & other.rawValue()) != 0; }

    friend constexpr Set operator|(Set a, Set b) {
        return Set(static_cast<Raw>(a.rawValue() | b.rawValue()));
    }
    friend constexpr Set operator&(Set a, Set b) {
        return Set(static_cast<Raw>(a.rawValue() & b.rawValue()));
    }
    friend constexpr Set operator~(Set a) { return Set(static_cast<Raw>(~a.rawValue())); }
    friend constexpr Set& operator|=(Set& a, Set b) { return a = a | b; }
    friend constexpr Set& operator&=(Set& a, Set b) { return a = a & b; }
    friend constexpr bool operator==(Set a, Set b) { return a.rawValue() == b.rawValue(); }

private:
    Raw rawValue_ = 0;
};

}  // namespace zoral::platform

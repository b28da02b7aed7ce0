#pragma once

// An option set walked as a collection of its set bits: each element is the option of one bit, in
// ascending bit order. Works for any type with an integral rawValue() that can be made from a raw
// value: every OptionSet (option_set.h) among them.

#include <bit>
#include <compare>
#include <concepts>
#include <cstddef>
#include <iterator>
#include <type_traits>

#include "platform/option_set.h"

namespace zoral::platform {

// Stops the program with the message: stepping past or reading at the end index is a programming
// error.
[[noreturn]] void optionSetPreconditionFailure(const char* message);

// A position in the walk: the raw value of one set bit, or the end, which comes after every bit.
template <std::unsigned_integral Bits>
class IndexWithEnd {
public:
    static constexpr IndexWithEnd element(Bits bit) { return IndexWithEnd(false, bit); }
    static constexpr IndexWithEnd end() { return IndexWithEnd(true, 0); }

    constexpr bool isEnd() const { return isEnd_; }
    // The bit of an element index; 0 for the end.
    constexpr Bits bit() const { return bit_; }

    friend constexpr bool operator==(IndexWithEnd, IndexWithEnd) = default;
    friend constexpr std::strong_ordering operator<=>(IndexWithEnd a, IndexWithEnd b) {
        if (a.isEnd_ || b.isEnd_)
            return a.isEnd_ <=> b.isEnd_;
        return a.bit_ <=> b.bit_;
    }

private:
    constexpr IndexWithEnd(bool isEnd, Bits bit) : isEnd_(isEnd), bit_(bit) {}

    bool isEnd_;
    Bits bit_;
};

template <class Option>
concept BitMaskSet = requires(const Option& option) {
    { option.rawValue() } -> std::integral;
}
&&std::constructible_from<Option, decltype(std::declval<const Option&>().rawValue())>;

template <BitMaskSet Option>
class OptionSetElements {
public:
    using Raw = std::remove_cvref_t<decltype(std::declval<const Option&>().rawValue())>;
    using Bits = std::make_unsigned_t<Raw>;
    using Index = IndexWithEnd<Bits>;

    constexpr OptionSetElements() = default;
    explicit constexpr OptionSetElements(Option options)
        : bits_(static_cast<Bits>(options.rawValue())) {}

    constexpr std::size_t count() const { return static_cast<std::size_t>(std::popcount(bits_)); }
    constexpr bool isEmpty() const { return bits_ == 0; }

    constexpr Index startIndex() const { return lowestFrom(bits_); }
    constexpr Index endIndex() const { return Index::end(); }

    constexpr Index indexAfter(Index index) const {
        if (index.isEnd())
            optionSetPreconditionFailure("Can't advance past endIndex");
        const Bits bit = index.bit();
        // Every bit up to and including the highest bit of the index.
        // Shifted at least as wide as unsigned, so that narrow types do not turn into int.
        using Wide = std::common_type_t<Bits, unsigned>;
        const Bits passed =
            bit == 0 ? Bits{0}
                     : static_cast<Bits>((static_cast<Wide>(std::bit_floor(bit)) << 1) - 1u);
        return lowestFrom(static_cast<Bits>(bits_ & static_cast<Bits>(~passed)));
    }

    constexpr Option operator[](Index index) const {
        if (index.isEnd())
            optionSetPreconditionFailure("Can't subscript with endIndex");
        return Option(static_cast<Raw>(index.bit()));
    }

    // Holds the set by value, so that it stays valid whatever happens to the collection.
    class Iterator {
    public:
        using iterator_concept = std::forward_iterator_tag;
        using iterator_category = std::input_iterator_tag;
        using value_type = Option;
        using difference_type = std::ptrdiff_t;

        constexpr Iterator() = default;
        constexpr Iterator(OptionSetElements elements, Index index)
            : elements_(elements), index_(index) {}

        constexpr Option operator*() const { return elements_[index_]; }
        constexpr Iterator& operator++() {
            index_ = elements_.indexAfter(index_);
            return *this;
        }
        constexpr Iterator operator++(int) {
            Iterator before = *this;
            ++*this;
            return before;
        }
        constexpr Index index() const { return index_; }

        friend constexpr bool operator==(const Iterator& a, const Iterator& b) {
            return a.index_ == b.index_;
        }

    private:
        OptionSetElements elements_{};
        Index index_ = Index::end();
    };

    constexpr Iterator begin() const { return Iterator(*this, startIndex()); }
    constexpr Iterator end() const { return Iterator(*this, endIndex()); }

private:
    static constexpr Index lowestFrom(Bits bits) {
        if (bits == 0)
            return Index::end();
        return Index::element(static_cast<Bits>(Bits{1} << std::countr_zero(bits)));
    }

    Bits bits_ = 0;
};

template <BitMaskSet Option>
constexpr OptionSetElements<Option> elementsOf(Option options) {
    return OptionSetElements<Option>(options);
}

}  // namespace zoral::platform

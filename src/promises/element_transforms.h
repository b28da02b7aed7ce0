#pragma once

// What the element-wise operations of promises and guarantees do to a
// sequence once it is there: map, keep the present results, flatten, filter
// and sort. Each walks the elements in order and gives a new vector.

#include <algorithm>
#include <functional>
#include <ranges>
#include <type_traits>
#include <utility>
#include <vector>

namespace zoral::promises::detail {

template <class S>
using ElementOf = std::ranges::range_value_t<const S>;

template <class S, class F>
auto mapElements(const S& sequence, F& body) {
    using U = std::remove_cvref_t<std::invoke_result_t<F&, const ElementOf<S>&>>;
    std::vector<U> mapped;
    for (const auto& element : sequence)
        mapped.push_back(std::invoke(body, element));
    return mapped;
}

// The bodies' results that are present (the body returns an optional).
template <class S, class F>
auto mapPresentElements(const S& sequence, F& body) {
    using U =
        typename std::remove_cvref_t<std::invoke_result_t<F&, const ElementOf<S>&>>::value_type;
    std::vector<U> mapped;
    for (const auto& element : sequence) {
        if (auto result = std::invoke(body, element))
            mapped.push_back(std::move(*result));
    }
    return mapped;
}

// The bodies' sequences concatenated.
template <class S, class F>
auto flatMapElements(const S& sequence, F& body) {
    using Inner = std::remove_cvref_t<std::invoke_result_t<F&, const ElementOf<S>&>>;
    std::vector<std::ranges::range_value_t<Inner>> flat;
    for (const auto& element : sequence) {
        Inner inner = std::invoke(body, element);
        for (auto& item : inner)
            flat.push_back(std::move(item));
    }
    return flat;
}

template <class S, class F>
auto filterElements(const S& sequence, F& test) {
    std::vector<ElementOf<S>> kept;
    for (const auto& element : sequence) {
        if (std::invoke(test, element))
            kept.push_back(element);
    }
    return kept;
}

// A stable sort: equal elements keep their order.
template <class S, class Before = std::less<>>
auto sortElements(const S& sequence, Before before = {}) {
    std::vector<ElementOf<S>> sorted(std::ranges::begin(sequence), std::ranges::end(sequence));
    std::stable_sort(sorted.begin(), sorted.end(), std::ref(before));
    return sorted;
}

}  // namespace zoral::promises::detail

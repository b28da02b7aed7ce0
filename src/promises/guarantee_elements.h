#pragma once

// The element-wise operations of a guarantee whose value is a sequence: each returns a guarantee of
// an array derived from the elements, with the queue and flags of the single-value operations.

#include <algorithm>
#include <iterator>
#include <optional>
#include <ranges>
#include <type_traits>
#include <utility>
#include <vector>

#include "promises/chaining.h"
#include "promises/configuration.h"
#include "promises/element_transforms.h"
#include "promises/result.h"
#include "promises/thenable.h"

namespace zoral::promises {

template <class Self, class T>
class GuaranteeElementOperations {
    template <class S>
    using ElementOf = std::ranges::range_value_t<const S>;

public:
    // Every element mapped, in order.
    template <class F, class S = T>
    auto transformEach(QueueArg queue, FlagsArg flags,
                       F body) const requires std::ranges::input_range<const S> {
        return self().transformValue(std::move(queue), flags,
                                     [body = std::move(body)](const T& sequence) mutable {
                                         return detail::mapElements(sequence, body);
                                     });
    }
    template <class F>
    auto transformEach(F body) const {
        return transformEach(promiseConfiguration().mapQueue, std::nullopt, std::move(body));
    }

    // The present results, in order.
    template <class F, class S = T>
    auto transformEachOptional(QueueArg queue, FlagsArg flags,
                               F body) const requires std::ranges::input_range<const S> {
        return self().transformValue(std::move(queue), flags,
                                     [body = std::move(body)](const T& sequence) mutable {
                                         return detail::mapPresentElements(sequence, body);
                                     });
    }
    template <class F>
    auto transformEachOptional(F body) const {
        return transformEachOptional(promiseConfiguration().mapQueue, std::nullopt,
                                     std::move(body));
    }

    // The bodies' sequences concatenated in order.
    template <class F, class S = T>
    auto transformEachFlattening(QueueArg queue, FlagsArg flags,
                                 F body) const requires std::ranges::input_range<const S> {
        return self().transformValue(std::move(queue), flags,
                                     [body = std::move(body)](const T& sequence) mutable {
                                         return detail::flatMapElements(sequence, body);
                                     });
    }
    template <class F>
    auto transformEachFlattening(F body) const {
        return transformEachFlattening(promiseConfiguration().mapQueue, std::nullopt,
                                       std::move(body));
    }

    // The elements for which the body is true, in order.
    template <class F, class S = T>
    auto filterEach(QueueArg queue, FlagsArg flags,
                    F test) const requires std::ranges::input_range<const S> {
        return self().transformValue(std::move(queue), flags,
                                     [test = std::move(test)](const T& sequence) mutable {
                                         return detail::filterElements(sequence, test);
                                     });
    }
    template <class F>
    auto filterEach(F test) const {
        return filterEach(promiseConfiguration().mapQueue, std::nullopt, std::move(test));
    }

    // The elements ordered by `before` (true when the first goes before the second).
    template <class F, class S = T>
    auto sortedElementsBy(QueueArg queue, FlagsArg flags,
                          F before) const requires std::ranges::input_range<const S> {
        return self().transformValue(std::move(queue), flags,
                                     [before = std::move(before)](const T& sequence) mutable {
                                         return detail::sortElements(sequence, std::ref(before));
                                     });
    }
    template <class F>
    auto sortedElementsBy(F before) const {
        return sortedElementsBy(promiseConfiguration().mapQueue, std::nullopt, std::move(before));
    }

    // The elements in ascending order.
    template <class S = T>
    auto sortedElements(QueueArg queue, FlagsArg flags = std::nullopt)
        const requires std::ranges::input_range<const S> {
        return sortedElementsBy(std::move(queue), flags, std::less<>{});
    }
    template <class S = T>
    auto sortedElements() const requires std::ranges::input_range<const S> {
        return sortedElements(promiseConfiguration().mapQueue);
    }

    // The values of the bodies' guarantees, in element order.
    template <class F, class S = T>
    auto chainEach(QueueArg queue, FlagsArg flags,
                   F body) const requires std::ranges::input_range<const S> {
        using Inner = std::remove_cvref_t<std::invoke_result_t<F&, const ElementOf<S>&>>;
        static_assert(isGuarantee<Inner>, "an element body returns a guarantee");
        using U = ValueOf<Inner>;
        auto joined = asThenable().chain(std::move(queue), flags,
                                         [body = std::move(body)](const T& sequence) mutable {
                                             std::vector<Inner> guarantees;
                                             for (const auto& element : sequence)
                                                 guarantees.push_back(std::invoke(body, element));
                                             return detail::ValueJoin<Inner>::all(guarantees);
                                         });
        return backToGuarantee<std::vector<U>>(joined);
    }
    template <class F>
    auto chainEach(F body) const {
        return chainEach(promiseConfiguration().mapQueue, std::nullopt, std::move(body));
    }

    // The values' sequences concatenated in element order.
    template <class F, class S = T>
    auto chainEachFlattening(QueueArg queue, FlagsArg flags,
                             F body) const requires std::ranges::input_range<const S> {
        using Inner = std::remove_cvref_t<std::invoke_result_t<F&, const ElementOf<S>&>>;
        static_assert(isGuarantee<Inner>, "an element body returns a guarantee");
        using Sequence = ValueOf<Inner>;
        using V = std::ranges::range_value_t<const Sequence>;
        auto joined = asThenable().chain(std::move(queue), flags,
                                         [body = std::move(body)](const T& sequence) mutable {
                                             std::vector<Inner> guarantees;
                                             for (const auto& element : sequence)
                                                 guarantees.push_back(std::invoke(body, element));
                                             return detail::ValueJoin<Inner>::all(guarantees);
                                         });
        auto flat = joined.transformValue(
            std::nullopt, std::nullopt, [](const std::vector<Sequence>& sequences) {
                std::vector<V> out;
                for (const auto& inner : sequences)
                    out.insert(out.end(), std::ranges::begin(inner), std::ranges::end(inner));
                return out;
            });
        return backToGuarantee<std::vector<V>>(flat);
    }
    template <class F>
    auto chainEachFlattening(F body) const {
        return chainEachFlattening(promiseConfiguration().mapQueue, std::nullopt, std::move(body));
    }

private:
    const Self& self() const { return static_cast<const Self&>(*this); }
    // The chaining of every thenable, whose bodies may return promises.
    const ChainingOperations<Self, T>& asThenable() const { return self(); }

    // Neither the source nor the bodies' guarantees can fail, so an error here is a fault.
    template <class V, class P>
    static auto backToGuarantee(const P& promise) {
        return promise.recoverWithGuarantee(
            promiseConfiguration().mapQueue, std::nullopt,
            [](const ErrorRef& error) -> detail::DependentT<Guarantee<V>, P> {
                detail::contractViolation(error->description());
            });
    }
};

}  // namespace zoral::promises

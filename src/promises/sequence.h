#pragma once

// The element-wise operations of a promise whose value is a sequence: map, filter, flatten or pick
// elements once it is fulfilled. The element bodies run one after another, in element order,
// inside one unit of work; the first body that throws stops the walk and rejects the result.

#include <algorithm>
#include <iterator>
#include <optional>
#include <ranges>
#include <type_traits>
#include <utility>
#include <vector>

#include "platform/error.h"
#include "promises/chaining.h"
#include "promises/configuration.h"
#include "promises/element_transforms.h"
#include "promises/promises_error.h"
#include "promises/result.h"
#include "promises/thenable.h"

namespace zoral::promises {

template <class Self, class T>
class SequenceOperations {
    template <class S>
    using ElementOf = std::ranges::range_value_t<const S>;

public:
    // Every element mapped, in order.
    template <class F, class S = T>
    auto transformEach(QueueArg queue, FlagsArg flags,
                       F body) const requires std::ranges::input_range<const S> {
        return chaining().transformValue(std::move(queue), flags,
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
        return chaining().transformValue(std::move(queue), flags,
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
        return chaining().transformValue(std::move(queue), flags,
                                         [body = std::move(body)](const T& sequence) mutable {
                                             return detail::flatMapElements(sequence, body);
                                         });
    }
    template <class F>
    auto transformEachFlattening(F body) const {
        return transformEachFlattening(promiseConfiguration().mapQueue, std::nullopt,
                                       std::move(body));
    }

    // The values of the bodies' thenables, in element order, once all are fulfilled.
    template <class F, class S = T>
    auto chainEach(QueueArg queue, FlagsArg flags,
                   F body) const requires std::ranges::input_range<const S> {
        using Inner = std::remove_cvref_t<std::invoke_result_t<F&, const ElementOf<S>&>>;
        static_assert(Thenable<Inner>, "an element body returns a promise or a guarantee");
        return chaining().chain(std::move(queue), flags,
                                [body = std::move(body)](const T& sequence) mutable {
                                    std::vector<Inner> thenables;
                                    for (const auto& element : sequence)
                                        thenables.push_back(std::invoke(body, element));
                                    return allFulfilledList(thenables);
                                });
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
        using Sequence = ValueOf<Inner>;
        using V = std::ranges::range_value_t<const Sequence>;
        return chainEach(std::move(queue), flags, std::move(body))
            .transformValue(std::nullopt, std::nullopt, [](const std::vector<Sequence>& sequences) {
                std::vector<V> flat;
                for (const auto& inner : sequences)
                    flat.insert(flat.end(), std::ranges::begin(inner), std::ranges::end(inner));
                return flat;
            });
    }
    template <class F>
    auto chainEachFlattening(F body) const {
        return chainEachFlattening(promiseConfiguration().mapQueue, std::nullopt, std::move(body));
    }

    // The elements for which the test is true, in order.
    template <class F, class S = T>
    auto filterEach(QueueArg queue, FlagsArg flags,
                    F test) const requires std::ranges::input_range<const S> {
        return chaining().transformValue(std::move(queue), flags,
                                         [test = std::move(test)](const T& sequence) mutable {
                                             return detail::filterElements(sequence, test);
                                         });
    }
    template <class F>
    auto filterEach(F test) const {
        return filterEach(promiseConfiguration().mapQueue, std::nullopt, std::move(test));
    }

    // The first element; an empty collection rejects with emptySequence. No queue hop.
    template <class S = T>
    auto firstElement() const requires std::ranges::forward_range<const S> {
        return chaining().transformValue(
            std::nullopt, std::nullopt, [](const T& collection) -> ElementOf<S> {
                if (std::ranges::empty(collection))
                    platform::throwError(PromisesError::emptySequence());
                return *std::ranges::begin(collection);
            });
    }

    // The first element for which the test is true; none rejects with emptySequence.
    template <class F, class S = T>
    auto firstMatching(QueueArg queue, FlagsArg flags,
                       F test) const requires std::ranges::input_range<const S> {
        return chaining().transformValue(
            std::move(queue), flags,
            [test = std::move(test)](const T& sequence) mutable -> ElementOf<S> {
                for (const auto& element : sequence) {
                    if (std::invoke(test, element))
                        return element;
                }
                platform::throwError(PromisesError::emptySequence());
            });
    }
    template <class F>
    auto firstMatching(F test) const {
        return firstMatching(promiseConfiguration().mapQueue, std::nullopt, std::move(test));
    }

    // The last element of a collection that can step backwards from its end. No queue hop.
    template <class S = T>
    auto lastElement() const requires std::ranges::bidirectional_range<const S> &&
        std::ranges::common_range<const S> {
        return chaining().transformValue(
            std::nullopt, std::nullopt, [](const T& collection) -> ElementOf<S> {
                if (std::ranges::empty(collection))
                    platform::throwError(PromisesError::emptySequence());
                return *std::ranges::prev(std::ranges::end(collection));
            });
    }

    // The elements in ascending order.
    template <class S = T>
    auto sortedElements(QueueArg queue, FlagsArg flags = std::nullopt)
        const requires std::ranges::input_range<const S> {
        return chaining().transformValue(std::move(queue), flags, [](const T& sequence) {
            return detail::sortElements(sequence);
        });
    }
    template <class S = T>
    auto sortedElements() const requires std::ranges::input_range<const S> {
        return sortedElements(promiseConfiguration().mapQueue);
    }

private:
    const ChainingOperations<Self, T>& chaining() const { return static_cast<const Self&>(*this); }

    // The all-fulfilled barrier, always giving the list of values.
    template <class P>
    static auto allFulfilledList(const std::vector<P>& thenables) {
        return detail::ValueJoin<P>::all(thenables);
    }
};

}  // namespace zoral::promises

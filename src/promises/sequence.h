#pragma once

// The element-wise operations of a promise or a guarantee whose value is a sequence: map, filter,
// flatten, sort or pick elements once the value is there. Each is one step of the thenable's own
// transformValue or chain, so its result is of the same kind: a promise, which the first element
// body that throws rejects, or a guarantee, whose bodies cannot fail. The element bodies run one
// after another, in element order, inside that one step.

#include <functional>
#include <optional>
#include <ranges>
#include <type_traits>
#include <utility>
#include <vector>

#include "platform/error.h"
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

    // The elements for which the test is true, in order.
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

    // The elements in ascending order.
    template <class S = T>
    auto sortedElements(QueueArg queue, FlagsArg flags = std::nullopt)
        const requires std::ranges::input_range<const S> {
        return sortBy(std::move(queue), flags, std::less<>{});
    }
    template <class S = T>
    auto sortedElements() const requires std::ranges::input_range<const S> {
        return sortedElements(promiseConfiguration().mapQueue);
    }

    // A guarantee's elements ordered by `before` (true when the first goes before the second).
    template <class F, class S = T>
    auto sortedElementsBy(QueueArg queue, FlagsArg flags, F before) const requires
        isGuarantee<Self> && std::ranges::input_range<const S> {
        return sortBy(std::move(queue), flags, std::move(before));
    }
    template <class F>
    auto sortedElementsBy(F before) const requires isGuarantee<Self> {
        return sortedElementsBy(promiseConfiguration().mapQueue, std::nullopt, std::move(before));
    }

    // The values of the bodies' thenables (a guarantee's bodies give guarantees), in element
    // order, once all are fulfilled.
    template <class F, class S = T>
    auto chainEach(QueueArg queue, FlagsArg flags,
                   F body) const requires std::ranges::input_range<const S> {
        using Inner = std::remove_cvref_t<std::invoke_result_t<F&, const ElementOf<S>&>>;
        return asOwnKind(joinEach(std::move(queue), flags, std::move(body)),
                         std::type_identity<std::vector<ValueOf<Inner>>>());
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
        auto flat = joinEach(std::move(queue), flags, std::move(body))
                        .transformValue(std::nullopt, std::nullopt,
                                        [](const std::vector<Sequence>& sequences) {
                                            std::vector<V> out;
                                            for (const auto& inner : sequences) {
                                                out.insert(out.end(), std::ranges::begin(inner),
                                                           std::ranges::end(inner));
                                            }
                                            return out;
                                        });
        return asOwnKind(flat, std::type_identity<std::vector<V>>());
    }
    template <class F>
    auto chainEachFlattening(F body) const {
        return chainEachFlattening(promiseConfiguration().mapQueue, std::nullopt, std::move(body));
    }

    // A promise's first element; an empty collection rejects with emptySequence. No queue hop.
    template <class S = T>
    auto firstElement() const requires isPromise<Self> && std::ranges::forward_range<const S> {
        return self().transformValue(std::nullopt, std::nullopt,
                                     [](const T& collection) -> ElementOf<S> {
                                         if (std::ranges::empty(collection))
                                             platform::throwError(PromisesError::emptySequence());
                                         return *std::ranges::begin(collection);
                                     });
    }

    // The first element for which the test is true; none rejects with emptySequence.
    template <class F, class S = T>
    auto firstMatching(QueueArg queue, FlagsArg flags,
                       F test) const requires isPromise<Self> && std::ranges::input_range<const S> {
        return self().transformValue(
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
    auto firstMatching(F test) const requires isPromise<Self> {
        return firstMatching(promiseConfiguration().mapQueue, std::nullopt, std::move(test));
    }

    // The last element of a collection that can step backwards from its end. No queue hop.
    template <class S = T>
    auto lastElement() const requires isPromise<Self> &&
        std::ranges::bidirectional_range<const S> && std::ranges::common_range<const S> {
        return self().transformValue(std::nullopt, std::nullopt,
                                     [](const T& collection) -> ElementOf<S> {
                                         if (std::ranges::empty(collection))
                                             platform::throwError(PromisesError::emptySequence());
                                         return *std::ranges::prev(std::ranges::end(collection));
                                     });
    }

private:
    const Self& self() const { return static_cast<const Self&>(*this); }

    template <class F>
    auto sortBy(QueueArg queue, FlagsArg flags, F before) const {
        return self().transformValue(std::move(queue), flags,
                                     [before = std::move(before)](const T& sequence) mutable {
                                         return detail::sortElements(sequence, std::ref(before));
                                     });
    }

    // Chains a step that maps every element to a thenable and joins them all: a promise of
    // their values, in element order.
    template <class F>
    auto joinEach(QueueArg queue, FlagsArg flags, F body) const {
        using Inner = std::remove_cvref_t<std::invoke_result_t<F&, const ElementOf<T>&>>;
        static_assert(Thenable<Inner>, "an element body returns a promise or a guarantee");
        static_assert(!isGuarantee<Self> || isGuarantee<Inner>,
                      "a guarantee's element body returns a guarantee");
        return self().chain(std::move(queue), flags,
                            [body = std::move(body)](const T& sequence) mutable {
                                std::vector<Inner> thenables;
                                for (const auto& element : sequence)
                                    thenables.push_back(std::invoke(body, element));
                                return detail::ValueJoin<Inner>::all(thenables);
                            });
    }

    // A joined promise as a thenable of this one's kind. A guarantee's source and bodies cannot
    // fail, so its joined promise failing is a fault.
    template <class P, class V>
    static auto asOwnKind(const P& joined, std::type_identity<V>) {
        if constexpr (isGuarantee<Self>) {
            return joined.recoverWithGuarantee(
                promiseConfiguration().mapQueue, std::nullopt,
                [](const ErrorRef& error) -> detail::DependentT<Guarantee<V>, P> {
                    detail::contractViolation(error->description());
                });
        } else {
            return joined;
        }
    }
};

}  // namespace zoral::promises

#pragma once

// Barriers combine several promises or guarantees into one: the first to resolve (race), the first
// to fulfil (raceFulfilled), all fulfilled (countdownJoin, allFulfilled, allGuaranteed), all
// fulfilled with a limit on how many are in flight (allFulfilledLimited), all resolved whatever
// their outcome (allResolved, allResolvedLimited). Each call that counts keeps its counters under a
// lock of its own. Decisions are taken under that lock and results settled after it is released,
// so that no handler runs while it is held (a handler may well settle another input of the same
// call). Values are collected as the inputs deliver them, so that a join does not keep its inputs
// alive through their own handlers.

#include <concepts>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include "platform/error.h"
#include "platform/thread_safety.h"
#include "promises/guarantee.h"
#include "promises/progress.h"
#include "promises/promise.h"
#include "promises/promises_error.h"
#include "promises/result.h"
#include "promises/thenable.h"

namespace zoral::promises {

namespace detail {

// The counters of one joining call.
struct JoinState {
    explicit JoinState(std::int64_t count)
        : countdown(count), progress(Progress::withTotalUnitCount(count)) {
        progress->setCancellable(false);
        progress->setPausable(false);
    }
    platform::Mutex mutex;
    std::int64_t countdown ZORAL_GUARDED_BY(mutex);
    bool sealed ZORAL_GUARDED_BY(mutex) = false;
    std::shared_ptr<Progress> progress ZORAL_GUARDED_BY(mutex);
};

// Attaches the join's handler to one input: `store` keeps a value (under the lock); `finish` runs
// once every input is fulfilled and `fail` at the first rejection, both after the lock.
template <Thenable P, class Store, class Finish, class Fail>
void joinInput(const std::shared_ptr<JoinState>& state, const P& input, Store store, Finish finish,
               Fail fail) {
    input.attachHandler([state, store = std::move(store), finish = std::move(finish),
                         fail = std::move(fail)](const Result<ValueOf<P>>& outcome) mutable {
        bool done = false;
        {
            const platform::MutexLock lock(state->mutex);
            if (state->sealed)
                return;
            if (!outcome.holdsValue()) {
                state->sealed = true;
                state->progress->setCompletedUnitCount(state->progress->totalUnitCount());
            } else {
                store(outcome.value());
                state->progress->complete(1);
                done = --state->countdown == 0;
                state->sealed = done;
            }
        }
        if (!outcome.holdsValue()) {
            fail(outcome.error());
        } else if (done) {
            finish();
        }
    });
}

template <Thenable P>
Promise<Unit> countdownPromise(const std::vector<P>& inputs) {
    if (inputs.empty())
        return Promise<Unit>::initVoid();
    auto result = Promise<Unit>::initPending();
    auto state = std::make_shared<JoinState>(static_cast<std::int64_t>(inputs.size()));
    auto box = result.box();
    for (const P& input : inputs) {
        joinInput(
            state, input, [](const ValueOf<P>&) {},
            [box] { box->settle(Result<Unit>::fulfilled(Unit{})); },
            [box](const ErrorRef& error) { box->settle(Result<Unit>::rejected(error)); });
    }
    return result;
}

template <class T>
Guarantee<Unit> countdownGuarantee(const std::vector<Guarantee<T>>& inputs) {
    if (inputs.empty())
        return Guarantee<Unit>::initVoid();
    auto result = Guarantee<Unit>::initPending();
    auto state = std::make_shared<JoinState>(static_cast<std::int64_t>(inputs.size()));
    auto box = result.box();
    for (const auto& input : inputs)
        joinInput(
            state, input, [](const T&) {}, [box] { box->settle(Unit{}); }, [](const ErrorRef&) {});
    return result;
}

// Values of a list join, one slot per input in input order.
template <class V>
using Slots = std::shared_ptr<std::vector<std::optional<V>>>;

template <class V>
std::vector<V> takeSlots(std::vector<std::optional<V>>& slots) {
    std::vector<V> values;
    values.reserve(slots.size());
    for (auto& slot : slots)
        values.push_back(std::move(*slot));
    return values;
}

template <class P>
struct ValueJoin {
    using V = ValueOf<P>;

    static Promise<std::vector<V>> all(const std::vector<P>& inputs) {
        if (inputs.empty())
            return Promise<std::vector<V>>::initFulfilled({});
        auto result = Promise<std::vector<V>>::initPending();
        auto state = std::make_shared<JoinState>(static_cast<std::int64_t>(inputs.size()));
        auto slots = std::make_shared<std::vector<std::optional<V>>>(inputs.size());
        auto box = result.box();
        for (std::size_t i = 0; i < inputs.size(); ++i) {
            joinInput(
                state, inputs[i], [slots, i](const V& value) { (*slots)[i] = value; },
                [box, slots] { box->settle(Result<std::vector<V>>::fulfilled(takeSlots(*slots))); },
                [box](const ErrorRef& error) {
                    box->settle(Result<std::vector<V>>::rejected(error));
                });
        }
        return result;
    }

    static Guarantee<std::vector<V>> allGuaranteed(const std::vector<P>& inputs) {
        if (inputs.empty())
            return Guarantee<std::vector<V>>::initWithValue({});
        auto result = Guarantee<std::vector<V>>::initPending();
        auto state = std::make_shared<JoinState>(static_cast<std::int64_t>(inputs.size()));
        auto slots = std::make_shared<std::vector<std::optional<V>>>(inputs.size());
        auto box = result.box();
        for (std::size_t i = 0; i < inputs.size(); ++i) {
            joinInput(
                state, inputs[i], [slots, i](const V& value) { (*slots)[i] = value; },
                [box, slots] { box->settle(takeSlots(*slots)); }, [](const ErrorRef&) {});
        }
        return result;
    }
};

// Joins inputs of independent value types into one tuple, in argument order. `settle` receives
// the tuple, `fail` the first error.
template <class Settle, class Fail, Thenable... Ps>
void joinTuple(Settle settle, Fail fail, const Ps&... inputs) {
    using Values = std::tuple<std::optional<ValueOf<Ps>>...>;
    auto state = std::make_shared<JoinState>(static_cast<std::int64_t>(sizeof...(Ps)));
    auto values = std::make_shared<Values>();
    auto finish = [values, settle = std::move(settle)]() mutable {
        settle(std::apply(
            [](auto&... slots) { return std::tuple<ValueOf<Ps>...>(std::move(*slots)...); },
            *values));
    };
    [&]<std::size_t... I>(std::index_sequence<I...>) {
        (joinInput(
             state, inputs, [values](const auto& value) { std::get<I>(*values) = value; }, finish,
             fail),
         ...);
    }
    (std::index_sequence_for<Ps...>{});
}

// The state of one limited join. Inputs are taken from `next` lazily, at most `limit` in flight;
// a result is kept for every input taken, in the order taken.
template <Thenable P, bool untilResolved>
struct LimitedJoin : std::enable_shared_from_this<LimitedJoin<P, untilResolved>> {
    using V = ValueOf<P>;
    using Settle = std::function<void(std::optional<std::vector<Result<V>>>, ErrorRef)>;

    LimitedJoin(std::function<std::optional<P>()> generator, std::int64_t maximum, Settle settler)
        : next(std::move(generator)), limit(maximum), settle(std::move(settler)) {}

    // Takes inputs while fewer than the limit are in flight. A pass that finds another pass
    // running leaves the work to it, so that inputs that are already settled neither recurse
    // nor let two threads exceed the limit.
    void takeNext() {
        {
            const platform::MutexLock lock(mutex);
            if (taking) {
                anotherPass = true;
                return;
            }
            taking = true;
        }
        for (;;) {
            std::optional<P> input;
            std::size_t index = 0;
            {
                const platform::MutexLock lock(mutex);
                if (!sealed && !exhausted && inFlight < limit) {
                    input = next();
                    if (input) {
                        ++inFlight;
                        index = taken.size();
                        taken.emplace_back();
                    } else {
                        exhausted = true;
                        next = nullptr;
                    }
                }
                if (!input) {
                    if (anotherPass) {
                        anotherPass = false;
                        continue;
                    }
                    taking = false;
                    break;
                }
            }
            input->attachHandler(
                [self = this->shared_from_this(), index](const Result<V>& outcome) {
                    self->delivered(index, outcome);
                });
        }
        completionTest();
    }

    void delivered(std::size_t index, const Result<V>& outcome) {
        if (!untilResolved && !outcome.holdsValue()) {
            bool reject = false;
            {
                // Sealed with the count lowered in one step: the completion test can never
                // fulfil past this rejection.
                const platform::MutexLock lock(mutex);
                --inFlight;
                reject = !sealed;
                sealed = true;
                next = nullptr;
            }
            if (reject)
                settle(std::nullopt, outcome.error());
            return;
        }
        {
            const platform::MutexLock lock(mutex);
            taken[index] = outcome;
            --inFlight;
        }
        takeNext();
    }

    void completionTest() {
        std::vector<Result<V>> results;
        {
            const platform::MutexLock lock(mutex);
            if (sealed || !exhausted || inFlight != 0 || taking)
                return;
            for (const auto& slot : taken) {
                if (!slot || (!untilResolved && !slot->holdsValue()))
                    return;
            }
            sealed = true;
            results.reserve(taken.size());
            for (auto& slot : taken)
                results.push_back(std::move(*slot));
            taken.clear();
        }
        settle(std::move(results), nullptr);
    }

    platform::Mutex mutex;
    std::function<std::optional<P>()> next ZORAL_GUARDED_BY(mutex);
    const std::int64_t limit;
    Settle settle;
    std::int64_t inFlight ZORAL_GUARDED_BY(mutex) = 0;
    bool exhausted ZORAL_GUARDED_BY(mutex) = false;
    bool sealed ZORAL_GUARDED_BY(mutex) = false;
    bool taking ZORAL_GUARDED_BY(mutex) = false;
    bool anotherPass ZORAL_GUARDED_BY(mutex) = false;
    std::vector<std::optional<Result<V>>> taken ZORAL_GUARDED_BY(mutex);
};

// Hands out the elements of a list one by one, letting go of each as it is taken.
template <class P>
std::function<std::optional<P>()> listGenerator(const std::vector<P>& inputs) {
    auto remaining = std::make_shared<std::vector<std::optional<P>>>(inputs.begin(), inputs.end());
    return [remaining, index = std::size_t{0}]() mutable -> std::optional<P> {
        if (index >= remaining->size())
            return std::nullopt;
        std::optional<P> input = std::move((*remaining)[index]);
        (*remaining)[index].reset();
        ++index;
        return input;
    };
}

template <class Next>
using GeneratedThenable = typename std::invoke_result_t<Next&>::value_type;

}  // namespace detail

// --- race: the first input to resolve, whatever its outcome.

template <Thenable P>
Promise<ValueOf<P>> race(const std::vector<P>& inputs) {
    using T = ValueOf<P>;
    if (inputs.empty())
        return Promise<T>::initRejected(PromisesError::badInput());
    auto result = Promise<T>::initPending();
    for (const P& input : inputs)
        input.attachHandler(
            [box = result.box()](const Result<T>& outcome) { box->settle(outcome); });
    return result;
}

template <class T>
Guarantee<T> race(const std::vector<Guarantee<T>>& inputs) {
    auto result = Guarantee<T>::initPending();
    for (const auto& input : inputs)
        input.attachValueHandler([box = result.box()](const T& value) { box->settle(value); });
    return result;
}

// The argument-list forms; given no input (race<Promise<int>>()), the result stays pending.
template <Thenable P, class... Ps>
requires(std::same_as<P, Ps>&&...) auto race(const P& first, const Ps&... rest) {
    using T = ValueOf<P>;
    if constexpr (isGuarantee<P>) {
        return race(std::vector<Guarantee<T>>{first, rest...});
    } else {
        auto result = Promise<T>::initPending();
        for (const P& input : {first, rest...})
            input.attachHandler(
                [box = result.box()](const Result<T>& outcome) { box->settle(outcome); });
        return result;
    }
}
template <Thenable P>
auto race() {
    if constexpr (isGuarantee<P>) {
        return Guarantee<ValueOf<P>>::initPending();
    } else {
        return Promise<ValueOf<P>>::initPending();
    }
}

// --- raceFulfilled: the first input to fulfil; noWinner when every input rejects.

template <Thenable P>
Promise<ValueOf<P>> raceFulfilled(const std::vector<P>& inputs) {
    using T = ValueOf<P>;
    if (inputs.empty())
        return Promise<T>::initRejected(PromisesError::badInput());
    struct State {
        explicit State(std::int64_t count) : countdown(count) {}
        platform::Mutex mutex;
        std::int64_t countdown ZORAL_GUARDED_BY(mutex);
        bool sealed ZORAL_GUARDED_BY(mutex) = false;
    };
    auto state = std::make_shared<State>(static_cast<std::int64_t>(inputs.size()));
    auto result = Promise<T>::initPending();
    for (const P& input : inputs) {
        input.attachHandler([state, box = result.box()](const Result<T>& outcome) {
            bool allRejected = false;
            {
                const platform::MutexLock lock(state->mutex);
                if (state->sealed)
                    return;
                if (outcome.holdsValue()) {
                    state->countdown = 0;
                    state->sealed = true;
                } else {
                    allRejected = --state->countdown == 0;
                    state->sealed = allRejected;
                    if (!allRejected)
                        return;
                }
            }
            box->settle(allRejected ? Result<T>::rejected(PromisesError::noWinner()) : outcome);
        });
    }
    return result;
}

// --- countdownJoin: fulfilled once every input is, rejected with the first rejection.

template <Thenable P>
Promise<Unit> countdownJoin(const std::vector<P>& inputs) {
    return detail::countdownPromise(inputs);
}
template <class T>
Guarantee<Unit> countdownJoin(const std::vector<Guarantee<T>>& inputs) {
    return detail::countdownGuarantee(inputs);
}

// --- allFulfilled: every input's value, in input order.

template <Thenable P>
auto allFulfilled(const std::vector<P>& inputs) {
    if constexpr (std::is_same_v<ValueOf<P>, Unit>) {
        return detail::countdownPromise(inputs);
    } else {
        return detail::ValueJoin<P>::all(inputs);
    }
}

// Inputs of no value give a promise of no value; others a promise of the tuple of their values.
template <Thenable... Ps>
requires(sizeof...(Ps) >= 1) auto allFulfilled(const Ps&... inputs) {
    if constexpr ((std::is_same_v<ValueOf<Ps>, Unit> && ...)) {
        auto result = Promise<Unit>::initPending();
        detail::joinTuple(
            [box = result.box()](auto&&) { box->settle(Result<Unit>::fulfilled(Unit{})); },
            [box = result.box()](const ErrorRef& error) {
                box->settle(Result<Unit>::rejected(error));
            },
            inputs...);
        return result;
    } else {
        static_assert(sizeof...(Ps) >= 2, "the tuple form joins two inputs or more");
        using Tuple = std::tuple<ValueOf<Ps>...>;
        auto result = Promise<Tuple>::initPending();
        detail::joinTuple(
            [box = result.box()](Tuple values) {
                box->settle(Result<Tuple>::fulfilled(std::move(values)));
            },
            [box = result.box()](const ErrorRef& error) {
                box->settle(Result<Tuple>::rejected(error));
            },
            inputs...);
        return result;
    }
}

// --- allFulfilledLimited: every value, in the order taken, with at most `limit` in flight.
// `next` hands out the inputs one by one (none when there are no more).

template <class Next>
requires std::invocable<Next&> && Thenable<detail::GeneratedThenable<Next>>
    Promise<std::vector<ValueOf<detail::GeneratedThenable<Next>>>> allFulfilledLimited(
        Next next, std::int64_t limit) {
    using P = detail::GeneratedThenable<Next>;
    using V = ValueOf<P>;
    using Out = std::vector<V>;
    if (limit < 1)
        return Promise<Out>::initRejected(PromisesError::badInput());
    auto pending = Promise<Out>::makePendingPair();
    auto join = std::make_shared<detail::LimitedJoin<P, false>>(
        std::function<std::optional<P>()>(std::move(next)), limit,
        [resolver = pending.resolver](std::optional<std::vector<Result<V>>> results,
                                      ErrorRef error) {
            if (error) {
                resolver.rejectWith(std::move(error));
                return;
            }
            Out values;
            for (const auto& result : *results)
                values.push_back(result.value());
            resolver.fulfilWith(std::move(values));
        });
    join->takeNext();
    return pending.promise;
}
template <Thenable P>
Promise<std::vector<ValueOf<P>>> allFulfilledLimited(const std::vector<P>& inputs,
                                                     std::int64_t limit) {
    return allFulfilledLimited(detail::listGenerator(inputs), limit);
}

// --- allResolved: every input's outcome, in input order; it never fails.

template <Thenable P>
Guarantee<std::vector<Result<ValueOf<P>>>> allResolved(const std::vector<P>& inputs) {
    using V = ValueOf<P>;
    using Out = std::vector<Result<V>>;
    if (inputs.empty())
        return Guarantee<Out>::initWithValue({});
    struct State {
        explicit State(std::size_t count)
            : countdown(static_cast<std::int64_t>(count)), results(count) {}
        platform::Mutex mutex;
        std::int64_t countdown ZORAL_GUARDED_BY(mutex);
        std::vector<std::optional<Result<V>>> results ZORAL_GUARDED_BY(mutex);
    };
    auto state = std::make_shared<State>(inputs.size());
    auto result = Guarantee<Out>::initPending();
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        inputs[i].attachHandler([state, i, box = result.box()](const Result<V>& outcome) {
            Out all;
            {
                const platform::MutexLock lock(state->mutex);
                state->results[i] = outcome;
                if (--state->countdown != 0)
                    return;
                for (auto& slot : state->results)
                    all.push_back(std::move(*slot));
            }
            box->settle(std::move(all));
        });
    }
    return result;
}
template <Thenable P, class... Ps>
requires(std::same_as<P, Ps>&&...) auto allResolved(const P& first, const Ps&... rest) {
    return allResolved(std::vector<P>{first, rest...});
}

// --- allResolvedLimited: every outcome, in the order taken, with at most `limit` in flight.

template <class Next>
requires std::invocable<Next&> && Thenable<detail::GeneratedThenable<Next>>
    Guarantee<std::vector<Result<ValueOf<detail::GeneratedThenable<Next>>>>> allResolvedLimited(
        Next next, std::int64_t limit) {
    using P = detail::GeneratedThenable<Next>;
    using V = ValueOf<P>;
    using Out = std::vector<Result<V>>;
    if (limit < 1)
        return Guarantee<Out>::initWithValue(Out{Result<V>::rejected(PromisesError::badInput())});
    auto pending = Guarantee<Out>::makePendingPair();
    auto join = std::make_shared<detail::LimitedJoin<P, true>>(
        std::function<std::optional<P>()>(std::move(next)), limit,
        [resolve = pending.resolve](std::optional<Out> results, const ErrorRef&) {
            resolve(std::move(*results));
        });
    join->takeNext();
    return pending.guarantee;
}
template <Thenable P>
Guarantee<std::vector<Result<ValueOf<P>>>> allResolvedLimited(const std::vector<P>& inputs,
                                                              std::int64_t limit) {
    return allResolvedLimited(detail::listGenerator(inputs), limit);
}

// --- allGuaranteed: the guarantees' values, in input order.

template <class T>
auto allGuaranteed(const std::vector<Guarantee<T>>& inputs) {
    if constexpr (std::is_same_v<T, Unit>) {
        return detail::countdownGuarantee(inputs);
    } else {
        return detail::ValueJoin<Guarantee<T>>::allGuaranteed(inputs);
    }
}

template <class... Ts>
requires(sizeof...(Ts) >= 1) auto allGuaranteed(const Guarantee<Ts>&... inputs) {
    if constexpr ((std::is_same_v<Ts, Unit> && ...)) {
        return allGuaranteed(std::vector<Guarantee<Unit>>{inputs...});
    } else {
        static_assert(sizeof...(Ts) >= 2, "the tuple form joins two inputs or more");
        using Tuple = std::tuple<Ts...>;
        auto result = Guarantee<Tuple>::initPending();
        detail::joinTuple([box = result.box()](Tuple values) { box->settle(std::move(values)); },
                          [](const ErrorRef&) {}, inputs...);
        return result;
    }
}

}  // namespace zoral::promises

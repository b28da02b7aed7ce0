#pragma once

// The skeleton of every operation that runs a caller's body: one step attached to the source.
// When the outcome arrives, the step either passes something on to the operation's result at once
// (a rejection passing down a chain, a value passing an error handler), or runs the work under the
// dispatch rule: in place without a queue, else submitted to the queue with no group, quality of
// service unspecified and the flags given (none when absent). The work runs the body and gives
// what settles the result: a value, or a Follow of a thenable whose outcome the result takes on.
// A throwing body rejects a promise's result; a guarantee's body that throws stops the process.
//
// In place, a step hands back the run of its result's waiting bodies rather than running them
// itself (box.h), so that a chain of steps settles from one loop whatever its length.

#include <functional>
#include <memory>
#include <optional>
#include <type_traits>
#include <utility>

#include "platform/dispatch.h"
#include "platform/error.h"
#include "promises/box.h"
#include "promises/promises_error.h"
#include "promises/result.h"
#include "promises/thenable.h"

namespace zoral::promises::detail {

// The result of a step: a box of Result<U> for a promise, of U for a guarantee.
template <class V>
using OutBox = std::shared_ptr<Box<V>>;

template <class X>
inline constexpr bool isResult = false;
template <class T>
inline constexpr bool isResult<Result<T>> = true;

// What a work gives when the result is to take on another thenable's outcome.
template <class Inner>
struct Follow {
    Inner inner;
};
template <class Inner>
Follow(Inner) -> Follow<Inner>;

template <class X>
inline constexpr bool isFollow = false;
template <class Inner>
inline constexpr bool isFollow<Follow<Inner>> = true;

// What a step passes on without running its work.
struct PassNothing {};

// A rejection passes down a promise chain unchanged, the same error object.
template <class U>
struct PassRejection {
    template <class T>
    std::optional<Result<U>> operator()(const Result<T>& outcome) const {
        if (outcome.holdsValue())
            return std::nullopt;
        return Result<U>::rejected(outcome.error());
    }
};

// Settles `out` with what the thenable delivers, on the thread that delivers it: a guarantee's
// value as the result's value when their types agree, else the outcome as it is. A body that
// handed back the very promise it settles would wait for ever, so that is an error.
template <class V, class Inner>
Next follow(const Inner& inner, const OutBox<V>& out) {
    if constexpr (std::is_same_v<ValueOf<Inner>, V>) {
        static_assert(isGuarantee<Inner>, "only a guarantee's value cannot fail");
        return inner.attachValueStep([out](const V& value) { return out->seal(value); });
    } else {
        static_assert(std::is_same_v<Result<ValueOf<Inner>>, V>,
                      "the thenable's outcome is the result's");
        if constexpr (isPromise<Inner>) {
            if (inner.box() == out)
                return out->seal(V::rejected(PromisesError::returnedSelf()));
        }
        return inner.attachStep([out](const V& delivered) { return out->seal(delivered); });
    }
}

template <class V, class Given>
Next settleWith(const OutBox<V>& out, Given&& given) {
    using G = std::remove_cvref_t<Given>;
    if constexpr (isFollow<G>) {
        return follow<V>(given.inner, out);
    } else if constexpr (std::is_same_v<G, V>) {
        return out->seal(std::forward<Given>(given));
    } else {
        static_assert(isResult<V>, "a guarantee's result is settled with its own value type");
        return out->seal(V::fulfilled(std::forward<Given>(given)));
    }
}

// Runs the work and settles `out` with what it gives. Only the work can throw: settling runs no
// caller's code.
template <class V, class Work>
Next complete(const OutBox<V>& out, Work& work) noexcept {
    try {
        return settleWith(out, work());
    } catch (...) {
        if constexpr (isResult<V>) {
            return out->seal(V::rejected(platform::currentError()));
        } else {
            contractViolation("a guarantee body threw: " + describeCurrentException());
        }
    }
}

// Work submitted to a queue. It runs once, and its run goes to a loop of its own there. Dropped
// unrun, because the scheduler went before its turn came, it releases what it holds as dropped
// work (box.h).
template <class Work>
class QueuedWork {
public:
    explicit QueuedWork(Work work) : work_(std::move(work)) {}
    // Made in place by the factory, so that the work is not moved on its way in.
    template <class Make>
    QueuedWork(std::in_place_t, Make&& make) : work_(std::forward<Make>(make)()) {}
    QueuedWork(QueuedWork&& other) noexcept
        : work_(std::move(other.work_)), ran_(std::exchange(other.ran_, true)) {}
    QueuedWork(const QueuedWork& other) : work_(other.work_), ran_(other.ran_) {}
    QueuedWork& operator=(const QueuedWork&) = delete;
    ~QueuedWork() {
        if (!ran_)
            droppedRelease_.emplace();  // ends after work_ is destroyed
    }

    void operator()() {
        ran_ = true;
        runAll(work_());
    }

private:
    // Declared first, so that it is destroyed last.
    std::optional<DroppedWorkRelease> droppedRelease_;
    Work work_;
    bool ran_ = false;
};

// Submits the work that `make` makes, with no group, quality of service unspecified and the
// flags given.
template <class Make>
void submit(const platform::DispatchQueue& queue, const FlagsArg& flags, Make&& make) {
    using Work = std::invoke_result_t<Make&>;
    queue.async(
        QueuedWork<Work>(std::in_place, std::forward<Make>(make)),
        platform::DispatchSubmission{.group = std::nullopt,
                                     .qos = platform::DispatchQoS::unspecified,
                                     .flags = flags.value_or(platform::DispatchWorkItemFlags{})});
}

// The step of an operation whose result is `out`: `pass` may settle it at once from the outcome;
// otherwise `work` runs with the outcome (which it may change: it is the work's own copy) and
// gives what settles it, at once (its run handed back) or later on the queue.
template <class In, class V, class Pass, class Work>
auto makeStep(QueueArg queue, FlagsArg flags, OutBox<V> out, Pass pass, Work work) {
    return [queue = std::move(queue), flags, out = std::move(out), pass = std::move(pass),
            work = std::move(work)](const In& outcome) mutable -> Next {
        if constexpr (!std::is_same_v<Pass, PassNothing>) {
            if (std::optional<V> passed = pass(outcome))
                return out->seal(std::move(*passed));
        }
        if (!queue) {
            In own = outcome;
            auto run = [&] { return work(own); };
            return complete(out, run);
        }
        submit(*queue, flags, [&] {
            return [work = std::move(work), outcome = In(outcome), out = std::move(out)]() mutable {
                auto run = [&] { return work(outcome); };
                return complete(out, run);
            };
        });
        return nullptr;
    };
}

// Runs a body that takes nothing on the queue as submitted; what it gives settles `out`.
template <class V, class F>
void runOnQueue(const platform::DispatchQueue& queue, platform::DispatchSubmission submission,
                OutBox<V> out, F body) {
    queue.async(QueuedWork([body = std::move(body), out = std::move(out)]() mutable {
                    auto work = [&] {
                        Unit none;
                        return callForValue(body, none);
                    };
                    return complete(out, work);
                }),
                std::move(submission));
}

// Attaches an operation's step to the source's outcome (a guarantee's is always a value).
template <class Source, class V, class Pass, class Work>
void attachToOutcome(const Source& source, OutBox<V> out, QueueArg queue, FlagsArg flags, Pass pass,
                     Work work) {
    runAll(source.attachStep(makeStep<Result<ValueOf<Source>>>(
        std::move(queue), flags, std::move(out), std::move(pass), std::move(work))));
}

// Attaches a guarantee's operation to its value.
template <class Source, class V, class Work>
void attachToValue(const Source& source, OutBox<V> out, QueueArg queue, FlagsArg flags, Work work) {
    runAll(source.attachValueStep(makeStep<ValueOf<Source>>(std::move(queue), flags, std::move(out),
                                                            PassNothing{}, std::move(work))));
}

}  // namespace zoral::promises::detail

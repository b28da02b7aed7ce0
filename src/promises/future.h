#pragma once

// A small future of a reactive kind, and the conversions between it and promises. A Future runs
// its attempt at once with a function that completes it; a completion is kept, and every
// subscriber (`sink`) receives it: a value followed by `finished`, or a failure. A subscription
// lasts until it is cancelled or its AnyCancellable is destroyed.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

#include "platform/error.h"
#include "platform/thread_safety.h"
#include "promises/configuration.h"
#include "promises/guarantee.h"
#include "promises/promise.h"
#include "promises/resolver.h"
#include "promises/result.h"

namespace zoral::promises {

// The failure type of a future that cannot fail.
struct Never {
    Never() = delete;
};

template <class Failure>
class FutureCompletion {
public:
    static FutureCompletion finished() { return FutureCompletion(std::nullopt); }
    static FutureCompletion failure(Failure error) { return FutureCompletion(std::move(error)); }

    bool isFinished() const { return !failure_; }
    // Only for a failure.
    const Failure& error() const { return *failure_; }

private:
    explicit FutureCompletion(std::optional<Failure> failure) : failure_(std::move(failure)) {}
    std::optional<Failure> failure_;
};

// Cancels its subscription when cancelled or destroyed.
class AnyCancellable {
public:
    AnyCancellable() = default;
    explicit AnyCancellable(std::function<void()> cancel) : cancel_(std::move(cancel)) {}
    AnyCancellable(AnyCancellable&& other) noexcept : cancel_(std::exchange(other.cancel_, {})) {}
    AnyCancellable& operator=(AnyCancellable&& other) noexcept {
        if (this != &other) {
            cancel();
            cancel_ = std::exchange(other.cancel_, {});
        }
        return *this;
    }
    AnyCancellable(const AnyCancellable&) = delete;
    AnyCancellable& operator=(const AnyCancellable&) = delete;
    ~AnyCancellable() { cancel(); }

    void cancel() {
        if (auto cancel = std::exchange(cancel_, {}))
            cancel();
    }

private:
    std::function<void()> cancel_;
};

template <class T, class Failure = ErrorRef>
class Future {
public:
    static constexpr bool canFail = !std::is_same_v<Failure, Never>;
    using Outcome = std::variant<T, Failure>;
    // Completes the future; only the first call counts.
    using Fulfil = std::function<void(Outcome)>;
    using ReceiveValue = std::function<void(const T&)>;
    using ReceiveCompletion = std::function<void(const FutureCompletion<Failure>&)>;

    explicit Future(const std::function<void(Fulfil)>& attempt)
        : state_(std::make_shared<State>()) {
        attempt([state = state_](Outcome outcome) { state->complete(std::move(outcome)); });
    }

    AnyCancellable sink(ReceiveCompletion receiveCompletion, ReceiveValue receiveValue) const {
        return state_->subscribe(Subscriber{std::move(receiveValue), std::move(receiveCompletion)});
    }
    AnyCancellable sink(ReceiveValue receiveValue) const requires(!canFail) {
        return state_->subscribe(Subscriber{std::move(receiveValue), {}});
    }

    // A promise settled by the future's value or failure. It holds the future weakly: a future
    // that is gone by then leaves it pending.
    Promise<T> makePromise() const {
        std::weak_ptr<State> weak = state_;
        return Promise<T>::initWithResolver([&weak](const Resolver<T>& resolver) {
            auto cell = std::make_shared<std::optional<AnyCancellable>>();
            auto state = weak.lock();
            if (!state)
                return;
            AnyCancellable subscription = state->subscribe(
                Subscriber{[cell, resolver](const T& value) {
                               release(*cell);
                               resolver.fulfilWith(value);
                           },
                           [cell, resolver](const FutureCompletion<Failure>& completion) {
                               release(*cell);
                               if (!completion.isFinished())
                                   resolver.rejectWith(asError(completion.error()));
                           }});
            cell->emplace(std::move(subscription));
        });
    }

    // A guarantee settled by the value of a future that cannot fail.
    Guarantee<T> makeGuarantee() const requires(!canFail) {
        std::weak_ptr<State> weak = state_;
        return Guarantee<T>::initWithResolver([&weak](const std::function<void(T)>& resolve) {
            auto cell = std::make_shared<std::optional<AnyCancellable>>();
            auto state = weak.lock();
            if (!state)
                return;
            AnyCancellable subscription =
                state->subscribe(Subscriber{[cell, resolve](const T& value) {
                                                release(*cell);
                                                resolve(value);
                                            },
                                            {}});
            cell->emplace(std::move(subscription));
        });
    }

private:
    struct Subscriber {
        ReceiveValue receiveValue;
        ReceiveCompletion receiveCompletion;
    };

    struct State : std::enable_shared_from_this<State> {
        platform::Mutex mutex;
        std::optional<Outcome> outcome ZORAL_GUARDED_BY(mutex);
        std::uint64_t nextId ZORAL_GUARDED_BY(mutex) = 0;
        std::vector<std::pair<std::uint64_t, Subscriber>> subscribers ZORAL_GUARDED_BY(mutex);

        void complete(Outcome completed) {
            std::vector<std::pair<std::uint64_t, Subscriber>> waiting;
            // The outcome is kept once and never changes after: it is read without the lock.
            const Outcome* kept = nullptr;
            {
                const platform::MutexLock lock(mutex);
                if (outcome)
                    return;
                outcome = std::move(completed);
                kept = &*outcome;
                waiting.swap(subscribers);
            }
            for (auto& entry : waiting)
                deliver(entry.second, *kept);
        }

        AnyCancellable subscribe(Subscriber subscriber) {
            std::uint64_t id = 0;
            const Outcome* kept = nullptr;
            {
                const platform::MutexLock lock(mutex);
                if (!outcome) {
                    id = nextId++;
                    subscribers.emplace_back(id, std::move(subscriber));
                    std::weak_ptr<State> weak = this->shared_from_this();
                    return AnyCancellable([weak, id] {
                        if (auto state = weak.lock())
                            state->unsubscribe(id);
                    });
                }
                kept = &*outcome;
            }
            // Completed already: the subscriber receives the outcome at once.
            deliver(subscriber, *kept);
            return AnyCancellable();
        }

        void unsubscribe(std::uint64_t id) {
            // Destroyed after the lock: a subscriber's closures may cancel again.
            std::vector<std::pair<std::uint64_t, Subscriber>> removed;
            const platform::MutexLock lock(mutex);
            for (auto it = subscribers.begin(); it != subscribers.end(); ++it) {
                if (it->first == id) {
                    removed.push_back(std::move(*it));
                    subscribers.erase(it);
                    break;
                }
            }
        }

        static void deliver(const Subscriber& subscriber, const Outcome& completed) {
            if (completed.index() == 0) {
                if (subscriber.receiveValue)
                    subscriber.receiveValue(std::get<0>(completed));
                if (subscriber.receiveCompletion)
                    subscriber.receiveCompletion(FutureCompletion<Failure>::finished());
            } else if constexpr (canFail) {
                if (subscriber.receiveCompletion)
                    subscriber.receiveCompletion(
                        FutureCompletion<Failure>::failure(std::get<1>(completed)));
            }
        }
    };

    static void release(std::optional<AnyCancellable>& cell) {
        if (cell) {
            cell->cancel();
            cell.reset();
        }
    }

    static ErrorRef asError(const Failure& failure) {
        if constexpr (std::is_convertible_v<const Failure&, ErrorRef>) {
            return failure;
        } else if constexpr (std::is_base_of_v<platform::Error, Failure>) {
            return std::make_shared<const Failure>(failure);
        } else {
            return nullptr;
        }
    }

    std::shared_ptr<State> state_;
};

// A future completed with the guarantee's value on the configuration's returnQueue. It holds
// the guarantee weakly.
template <class T>
Future<T, Never> makeFuture(const Guarantee<T>& guarantee) {
    std::weak_ptr<typename Guarantee<T>::BoxType> weak = guarantee.box();
    return Future<T, Never>([weak](const typename Future<T, Never>::Fulfil& fulfil) {
        auto box = weak.lock();
        if (!box)
            return;
        Guarantee<T>(box).runOnValue(promiseConfiguration().returnQueue, std::nullopt,
                                     [fulfil](const T& value) { fulfil(value); });
    });
}

// A future completed with the promise's value or error on the configuration's returnQueue.
// Under allErrorsExceptCancellation a cancellation never completes it.
template <class T>
Future<T, ErrorRef> makeFuture(const Promise<T>& promise) {
    using F = Future<T, ErrorRef>;
    std::weak_ptr<typename Promise<T>::BoxType> weak = promise.box();
    return F([weak](const typename F::Fulfil& fulfil) {
        auto box = weak.lock();
        if (!box)
            return;
        const auto configuration = promiseConfiguration();
        Promise<T>(box)
            .runOnValue(configuration.returnQueue, std::nullopt,
                        [fulfil](const T& value) {
                            fulfil(typename F::Outcome(std::in_place_index<0>, value));
                        })
            .handleError(configuration.returnQueue, std::nullopt, configuration.catchPolicy,
                         [fulfil](const ErrorRef& error) {
                             fulfil(typename F::Outcome(std::in_place_index<1>, error));
                         });
    });
}

}  // namespace zoral::promises

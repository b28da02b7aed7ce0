#pragma once

// The value holders that promises and guarantees share. A box is resolved from the start (a sealed
// box) or pending until its first settle (an empty box); the bodies that waited on a pending box
// then run in the order they were attached, on the settling thread, after the box's lock is
// released. The lock is a plain mutex: every section under it is a few instructions long, so
// letting readers share it would cost more than it saves.
//
// Chains of any length take a bounded stack, both ways:
// - settling: a body of a step that runs in place settles the step's result as its last act. It
//   hands back the run of the result's waiting bodies (`seal`) instead of running them inside
//   itself, and `runAll` runs such runs from one loop, in the order nested calls would have taken;
// - dropping: a pending box holds its waiting bodies, which hold the boxes of the steps after it.
//   Those are released through `releaseLater`, which drains them from one loop as well.

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <variant>
#include <vector>

#include "platform/thread_safety.h"

namespace zoral::promises {

namespace detail {

// The bodies of a box that was just settled, still to run; never empty.
class PendingRun {
public:
    virtual ~PendingRun() = default;
    // Runs the next body, and says whether more are left. The run that the body hands back goes
    // to `next`.
    virtual bool runNext(std::shared_ptr<PendingRun>& next) = 0;
};

// A run handed back to the caller, or none.
using Next = std::shared_ptr<PendingRun>;

// Runs the run and every run that its bodies hand back, depth first: the bodies of a box that a
// body settled run before the next body of the box that body waited on, as if nested.
void runAll(Next run) noexcept;

// Releases what a pending box held when the box goes. On a thread already releasing, it is queued
// and released by the outermost call's loop.
void releaseLater(std::shared_ptr<const void> held) noexcept;

// While one lives on a thread, what is released is work that was dropped without running (the
// scheduler was torn down before its turn came), not a promise that the program let go: the boxes
// released with it, and with whatever they held, give no warning.
class DroppedWorkRelease {
public:
    DroppedWorkRelease() noexcept;
    ~DroppedWorkRelease();
    DroppedWorkRelease(const DroppedWorkRelease&) = delete;
    DroppedWorkRelease& operator=(const DroppedWorkRelease&) = delete;
};

// Whether a pending box released now should warn that it was dropped.
bool warnsOfDroppedBoxes() noexcept;

}  // namespace detail

template <class R>
class Handlers final : public detail::PendingRun {
public:
    // A body may hand back the run of a box it settled as its last act.
    using Body = std::function<detail::Next(const R&)>;

    void addBody(Body body) { bodies.push_back(std::move(body)); }

    // Once the box is settled: the value the bodies are run with.
    void start(R value) { value_.emplace(std::move(value)); }

    bool runNext(detail::Next& next) override {
        next = bodies[next_++](*value_);
        return next_ < bodies.size();
    }

    std::vector<Body> bodies;

private:
    std::optional<R> value_;
    std::size_t next_ = 0;
};

// The state of a box: pending with the bodies that wait, or resolved with the value.
template <class R>
class Sealant {
public:
    static Sealant pending(std::shared_ptr<Handlers<R>> handlers) {
        return Sealant(std::in_place_index<0>, std::move(handlers));
    }
    static Sealant resolved(R value) { return Sealant(std::in_place_index<1>, std::move(value)); }

    bool isPending() const { return state_.index() == 0; }
    // Only while pending. Copies of one pending state share its handlers.
    Handlers<R>& handlers() const { return *std::get<0>(state_); }
    std::shared_ptr<Handlers<R>> takeHandlers() { return std::move(std::get<0>(state_)); }
    // Only once resolved.
    const R& value() const { return std::get<1>(state_); }

private:
    template <std::size_t I, class V>
    Sealant(std::in_place_index_t<I> index, V&& v) : state_(index, std::forward<V>(v)) {}

    std::variant<std::shared_ptr<Handlers<R>>, R> state_;
};

template <class R>
class Box {
public:
    Box() = default;
    virtual ~Box() = default;
    Box(const Box&) = delete;
    Box& operator=(const Box&) = delete;

    virtual Sealant<R> readState() const = 0;
    // Runs the body with the current state: under the box's lock while pending (so that adding
    // a handler and settling exclude each other), without it once resolved. The body must not
    // use the box itself.
    virtual void withState(const std::function<void(const Sealant<R>&)>& body) = 0;

    // Stores the final value and runs the bodies that waited for it.
    void settle(R value) { detail::runAll(seal(std::move(value))); }
    // Stores the final value and hands back the run of the bodies that waited, for the caller to
    // run. The base ignores the value.
    virtual detail::Next seal(R /*value*/) { return nullptr; }
};

template <class R>
class SealedBox : public Box<R> {
public:
    explicit SealedBox(R value) : value_(std::move(value)) {}

    Sealant<R> readState() const override { return Sealant<R>::resolved(value_); }
    // Never pending, so the body always runs at once.
    void withState(const std::function<void(const Sealant<R>&)>& body) override {
        body(readState());
    }
    const R& value() const { return value_; }

private:
    const R value_;
};

template <class R>
class EmptyBox : public Box<R> {
public:
    EmptyBox() : sealant_(Sealant<R>::pending(std::make_shared<Handlers<R>>())) {}

    ~EmptyBox() override {
        if (sealant_.isPending())
            detail::releaseLater(sealant_.takeHandlers());
    }

    Sealant<R> readState() const override {
        const platform::MutexLock lock(mutex_);
        return sealant_;
    }

    void withState(const std::function<void(const Sealant<R>&)>& body) override {
        bool resolved = false;
        {
            const platform::MutexLock lock(mutex_);
            resolved = !sealant_.isPending();
            if (!resolved)
                body(sealant_);
        }
        if (resolved)
            body(settledState());
    }

    detail::Next seal(R value) override {
        std::shared_ptr<Handlers<R>> waiting;
        {
            const platform::MutexLock lock(mutex_);
            if (!sealant_.isPending())
                return nullptr;  // settled once already: dropped without a word
            waiting = sealant_.takeHandlers();
            sealant_ = Sealant<R>::resolved(value);
        }
        if (waiting->bodies.empty())
            return nullptr;
        waiting->start(std::move(value));
        return waiting;
    }

protected:
    bool isPending() const {
        const platform::MutexLock lock(mutex_);
        return sealant_.isPending();
    }

private:
    // A resolved state never changes again, so it is read without the lock; the analysis cannot
    // know that the state was seen resolved under the lock before.
    const Sealant<R>& settledState() const ZORAL_NO_THREAD_SAFETY_ANALYSIS { return sealant_; }

    mutable platform::Mutex mutex_;
    Sealant<R> sealant_ ZORAL_GUARDED_BY(mutex_);
};

namespace detail {

// Gives the body the box's value once it is there: at once when the box is resolved, the run it
// hands back going back to the caller; else from the loop of the thread that settles the box.
template <class R>
Next attachBody(Box<R>& box, typename Handlers<R>::Body body) {
    Sealant<R> state = box.readState();
    if (!state.isPending())
        return body(state.value());
    Next next;
    box.withState([&](const Sealant<R>& current) {
        if (current.isPending()) {
            current.handlers().addBody(std::move(body));
        } else {
            next = body(current.value());
        }
    });
    return next;
}

}  // namespace detail

}  // namespace zoral::promises

#pragma once

// The value holders that promises and guarantees share. A box is resolved from the start (a sealed
// box) or pending until its first settle (an empty box); the bodies that waited on a pending box
// then run in the order they were attached, on the settling thread, after the box's lock is
// released. The lock is a plain mutex: every section under it is a few instructions long, so
// letting readers share it would cost more than it saves.

#include <functional>
#include <memory>
#include <mutex>
#include <utility>
#include <variant>
#include <vector>

namespace zoral::promises {

template <class R>
class Handlers {
public:
    using Body = std::function<void(const R&)>;

    void addBody(Body body) { bodies.push_back(std::move(body)); }

    std::vector<Body> bodies;
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
    // Stores the final value; the base ignores it.
    virtual void settle(R /*value*/) {}
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

namespace detail {
// A handler that throws would leave the later ones unrun; handlers are made not to throw.
template <class R>
void runHandlers(const Handlers<R>& handlers, const R& value) noexcept {
    for (const auto& body : handlers.bodies)
        body(value);
}
}  // namespace detail

template <class R>
class EmptyBox : public Box<R> {
public:
    EmptyBox() : sealant_(Sealant<R>::pending(std::make_shared<Handlers<R>>())) {}

    Sealant<R> readState() const override {
        std::lock_guard lock(mutex_);
        return sealant_;
    }

    void withState(const std::function<void(const Sealant<R>&)>& body) override {
        bool resolved = false;
        {
            std::lock_guard lock(mutex_);
            resolved = !sealant_.isPending();
            if (!resolved)
                body(sealant_);
        }
        // A resolved state never changes again, so it is read without the lock.
        if (resolved)
            body(sealant_);
    }

    void settle(R value) override {
        std::shared_ptr<Handlers<R>> waiting;
        {
            std::lock_guard lock(mutex_);
            if (!sealant_.isPending())
                return;  // settled once already: dropped without a word
            waiting = sealant_.takeHandlers();
            sealant_ = Sealant<R>::resolved(value);
        }
        detail::runHandlers(*waiting, value);
    }

protected:
    bool isPending() const {
        std::lock_guard lock(mutex_);
        return sealant_.isPending();
    }

private:
    mutable std::mutex mutex_;
    Sealant<R> sealant_;
};

}  // namespace zoral::promises

#pragma once

// Execution contexts: stacks of their own that one thread switches between, so that work which
// blocks can be set aside where it stopped while other work runs, and resumed later. Switching is
// cooperative and explicit: a context runs until it switches to another, and only the thread that
// made a context's stack ever runs it.
//
// Each switch carries the thread's exception-handling state with the context (the exceptions being
// handled and the count of those in flight), so a context that blocks inside a catch block finds
// its own exception again, whatever the others threw meanwhile. Under the address sanitizer each
// switch is announced to it, so that it follows the stacks.

#include <cstddef>
#include <functional>

#include <boost/context/detail/fcontext.hpp>

#if defined(__SANITIZE_ADDRESS__)
#define ZORAL_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ZORAL_ADDRESS_SANITIZER 1
#endif
#endif

#ifdef ZORAL_ADDRESS_SANITIZER
#include <sanitizer/common_interface_defs.h>
#endif

namespace zoral::platform {

class ExecutionContext {
public:
    // Reserved address space; pages are only backed once touched, as on a thread's own stack.
    static constexpr std::size_t defaultStackSize = std::size_t{8} << 20;

    // The calling thread's own stack, as a context that others switch back to.
    ExecutionContext();
    // A context that runs `body` on a stack of its own when it is first switched to. The body
    // returns the context to go on with; this one has then finished and is only destroyed. An
    // exception that leaves the body stops the process: the body handles its own.
    explicit ExecutionContext(std::function<ExecutionContext&()> body,
                              std::size_t stackSize = defaultStackSize);
    // A context that started and has not finished holds live frames on its stack: destroying it
    // stops the process rather than leaking what they own.
    ~ExecutionContext();
    ExecutionContext(const ExecutionContext&) = delete;
    ExecutionContext& operator=(const ExecutionContext&) = delete;

    // Suspends this context, which must be the one running, and runs `next` until something
    // switches back to this one. Inline, so that a switch costs little more than the jump.
    void switchTo(ExecutionContext& next) { leaveFor(next, false); }

    bool hasStarted() const { return started_; }
    bool hasFinished() const { return finished_; }

private:
    // The thread's exception-handling state as the Itanium C++ ABI lays it out: the exceptions
    // being handled, innermost first, and the count of those thrown and not yet caught.
    struct ExceptionState {
        void* caught = nullptr;
        unsigned int uncaught = 0;
    };
    struct Handoff {
        ExecutionContext* from;
        ExecutionContext* to;
    };
    void leaveFor(ExecutionContext& next, bool finishing);
    void arrive(const Handoff& handoff, void* fromHandle);
    [[noreturn]] static void refuse(const char* message);
    static ExceptionState* threadExceptionState();

    ExceptionState* threadExceptions_;  // the state of the thread that runs this context
    void* handle_ = nullptr;            // where the context goes on when switched to
    void* stack_ = nullptr;  // the mapping, guard page first; none for a thread's own stack
    std::size_t mappedSize_ = 0;
    // The usable stack, for the sanitizer: learnt on the first switch for a thread's own stack.
    const void* stackBottom_ = nullptr;
    std::size_t stackSize_ = 0;
#ifdef ZORAL_ADDRESS_SANITIZER
    void* fakeStack_ = nullptr;  // the sanitizer's record of the stack this context left
#endif
    ExceptionState exceptions_;
    Handoff outgoing_{};
    std::function<ExecutionContext&()> body_;
    bool started_ = false;
    bool finished_ = false;
};

inline void ExecutionContext::leaveFor(ExecutionContext& next, bool finishing) {
    if (&next == this || next.finished_)
        refuse("switch to a context that cannot run");
    next.started_ = true;
    // Both contexts belong to this thread, so either's pointer will do.
    exceptions_ = *threadExceptions_;
    *threadExceptions_ = next.exceptions_;
    // Read by `next` on arrival. Not a local: a finishing context's frames may lie on a fake
    // stack that the sanitizer frees as soon as it is told.
    outgoing_ = {this, &next};
#ifdef ZORAL_ADDRESS_SANITIZER
    // A finishing context gives no place for its fake stack: the sanitizer frees it.
    __sanitizer_start_switch_fiber(finishing ? nullptr : &fakeStack_, next.stackBottom_,
                                   next.stackSize_);
#else
    (void)finishing;
#endif
    const auto back = boost::context::detail::jump_fcontext(next.handle_, &outgoing_);
    arrive(*static_cast<const Handoff*>(back.data), back.fctx);
}

inline void ExecutionContext::arrive(const Handoff& handoff, void* fromHandle) {
    handoff.from->handle_ = fromHandle;
#ifdef ZORAL_ADDRESS_SANITIZER
    const void* bottom = nullptr;
    std::size_t size = 0;
    __sanitizer_finish_switch_fiber(fakeStack_, &bottom, &size);
    // A thread's own stack is only known once it has been left.
    if (handoff.from->stack_ == nullptr) {
        handoff.from->stackBottom_ = bottom;
        handoff.from->stackSize_ = size;
    }
#endif
}

}  // namespace zoral::platform

#include "platform/execution_context.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include <cxxabi.h>
#include <sys/mman.h>
#include <unistd.h>

#ifdef ZORAL_ADDRESS_SANITIZER
#include <sanitizer/asan_interface.h>
#endif

namespace zoral::platform {

namespace {

[[noreturn]] void fatal(const char* message) {
    std::fprintf(stderr, "ExecutionContext: %s\n", message);
    std::abort();
}

std::size_t pageSize() {
    static const auto size = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    return size;
}

}  // namespace

ExecutionContext::ExceptionState* ExecutionContext::threadExceptionState() {
    return reinterpret_cast<ExceptionState*>(abi::__cxa_get_globals());
}

ExecutionContext::ExecutionContext() : threadExceptions_(threadExceptionState()), started_(true) {}

ExecutionContext::ExecutionContext(std::function<ExecutionContext&()> body, std::size_t stackSize)
    : threadExceptions_(threadExceptionState()), body_(std::move(body)) {
    const std::size_t page = pageSize();
    stackSize_ = (stackSize + page - 1) / page * page;
    mappedSize_ = stackSize_ + page;
    stack_ = mmap(nullptr, mappedSize_, PROT_READ | PROT_WRITE,
                  MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE | MAP_STACK, -1, 0);
    if (stack_ == MAP_FAILED)
        fatal("no memory for a stack");
    // The stack grows down: an overflow runs into the guard page and faults at once.
    if (mprotect(stack_, page, PROT_NONE) != 0)
        fatal("cannot protect a stack's guard page");
    stackBottom_ = static_cast<char*>(stack_) + page;
    void* top = static_cast<char*>(stack_) + mappedSize_;
    handle_ = boost::context::detail::make_fcontext(
        top, stackSize_, [](boost::context::detail::transfer_t transfer) {
            const auto* handoff = static_cast<const Handoff*>(transfer.data);
            ExecutionContext& self = *handoff->to;
            self.arrive(*handoff, transfer.fctx);
            ExecutionContext* next = nullptr;
            try {
                next = &self.body_();
            } catch (...) {
                fatal("an exception left an execution context's body");
            }
            // The body's captures die on this stack, before it is left for good.
            self.body_ = nullptr;
            self.finished_ = true;
            self.leaveFor(*next, true);
            fatal("a finished execution context was resumed");
        });
}

ExecutionContext::~ExecutionContext() {
    if (stack_ == nullptr)
        return;
    if (started_ && !finished_)
        fatal("an execution context was destroyed while suspended");
#ifdef ZORAL_ADDRESS_SANITIZER
    // Frames left on a finished stack keep their poisoned red zones; the next mapping at these
    // addresses must not inherit them.
    __asan_unpoison_memory_region(stackBottom_, stackSize_);
#endif
    munmap(stack_, mappedSize_);
}

void ExecutionContext::refuse(const char* message) {
    fatal(message);
}

}  // namespace zoral::platform

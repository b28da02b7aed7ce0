#pragma once

// The promise module's one process-wide configuration: the queues that callers hand to the
// operations that run a body (intermediate steps on mapQueue, final steps on returnQueue), the
// policy that decides whether error handlers see cancellations, and the sink of the module's
// warnings.

#include <functional>
#include <optional>
#include <string>

#include "platform/dispatch.h"
#include "platform/error.h"

namespace zoral::promises {

using platform::ErrorRef;

enum class CatchPolicy { allErrors, allErrorsExceptCancellation };

class LogEvent {
public:
    enum class Kind {
        cauterized,
        waitOnMainThread,
        pendingPromiseDeallocated,
        pendingGuaranteeDeallocated
    };

    // An error that reached the end of a chain and was only reported.
    static LogEvent cauterized(ErrorRef error) {
        return LogEvent(Kind::cauterized, std::move(error));
    }
    static LogEvent waitOnMainThread() { return LogEvent(Kind::waitOnMainThread, nullptr); }
    static LogEvent pendingPromiseDeallocated() {
        return LogEvent(Kind::pendingPromiseDeallocated, nullptr);
    }
    static LogEvent pendingGuaranteeDeallocated() {
        return LogEvent(Kind::pendingGuaranteeDeallocated, nullptr);
    }

    Kind kind() const { return kind_; }
    // The cauterized error; null for the other kinds.
    const ErrorRef& error() const { return error_; }

    // The line the default handler prints for this event.
    std::string line() const;

private:
    LogEvent(Kind kind, ErrorRef error) : kind_(kind), error_(std::move(error)) {}
    Kind kind_;
    ErrorRef error_;
};

using LogHandler = std::function<void(const LogEvent&)>;

// Prints the event's line through the output sink.
void defaultLogHandler(const LogEvent& event);

struct PromisesConfiguration {
    // An absent queue makes an operation run its body in place.
    std::optional<platform::DispatchQueue> mapQueue = platform::DispatchQueue::main();
    std::optional<platform::DispatchQueue> returnQueue = platform::DispatchQueue::main();
    CatchPolicy catchPolicy = CatchPolicy::allErrorsExceptCancellation;
    LogHandler logHandler = defaultLogHandler;
};

// A copy of the shared configuration as it is now. Reads and assignments are safe from any
// thread; an assignment takes effect for operations started afterwards.
PromisesConfiguration promiseConfiguration();
void setPromiseConfiguration(PromisesConfiguration configuration);

// Hands the event to the log handler that the configuration holds now, on the calling thread.
void reportLogEvent(const LogEvent& event);

}  // namespace zoral::promises

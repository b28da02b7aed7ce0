#include "promises/configuration.h"

#include <utility>

#include "platform/output.h"
#include "platform/process_state.h"
#include "platform/thread_safety.h"

namespace zoral::promises {

namespace {

struct Shared {
    platform::Mutex mutex;
    PromisesConfiguration configuration ZORAL_GUARDED_BY(mutex);
};

Shared& shared() {
    return platform::processPart<Shared>();
}

}  // namespace

std::string LogEvent::line() const {
    switch (kind_) {
        case Kind::waitOnMainThread:
            return "Promises: warning: `wait()` called on main thread!";
        case Kind::pendingPromiseDeallocated:
            return "Promises: warning: pending promise deallocated";
        case Kind::pendingGuaranteeDeallocated:
            return "Promises: warning: pending guarantee deallocated";
        case Kind::cauterized:
            return "Promises:cauterized-error: " + (error_ ? error_->description() : std::string());
    }
    return "";
}

void defaultLogHandler(const LogEvent& event) {
    platform::output::printLine(event.line());
}

PromisesConfiguration promiseConfiguration() {
    Shared& s = shared();
    const platform::MutexLock lock(s.mutex);
    return s.configuration;
}

void setPromiseConfiguration(PromisesConfiguration configuration) {
    Shared& s = shared();
    const platform::MutexLock lock(s.mutex);
    // The replaced configuration dies with the parameter, after the lock is released.
    std::swap(s.configuration, configuration);
}

void reportLogEvent(const LogEvent& event) {
    LogHandler handler;
    {
        Shared& s = shared();
        const platform::MutexLock lock(s.mutex);
        handler = s.configuration.logHandler;
    }
    if (handler)
        handler(event);
}

}  // namespace zoral::promises

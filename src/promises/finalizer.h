#pragma once

// What an end-of-chain error handler returns: a guarantee of no value, resolved once the handling
// is over, with the function that resolves it.

#include <utility>

#include "promises/configuration.h"
#include "promises/guarantee.h"
#include "promises/result.h"
#include "promises/thenable.h"

namespace zoral::promises {

class PromisesFinalizer {
public:
    PromisesFinalizer() : pending(Guarantee<Unit>::makePendingPair()) {}

    // Runs the body once the handling is over.
    template <class F>
    void afterHandling(QueueArg queue, FlagsArg flags, F body) const {
        pending.guarantee.runOnValue(std::move(queue), flags, std::move(body));
    }
    template <class F>
    void afterHandling(F body) const {
        afterHandling(promiseConfiguration().returnQueue, std::nullopt, std::move(body));
    }

    PendingGuarantee<Unit> pending;
};

}  // namespace zoral::promises

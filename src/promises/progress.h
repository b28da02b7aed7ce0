#pragma once

// Counted progress of a piece of work: a total and a completed count of units. A progress made
// while another is current on the same thread becomes that one's child, and counts towards it with
// the units the parent set aside when it became current.

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/thread_safety.h"

namespace zoral::promises {

class Progress : public std::enable_shared_from_this<Progress> {
public:
    // A new progress, attached as a child to the progress current on the calling thread, if any.
    static std::shared_ptr<Progress> withTotalUnitCount(std::int64_t total);
    // The progress current on the calling thread, if any.
    static std::shared_ptr<Progress> current();

    explicit Progress(std::int64_t total);
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    // Makes this the calling thread's current progress; the next child made on this thread
    // stands for `pendingUnitCount` of its units. Resign on the same thread.
    void becomeCurrent(std::int64_t pendingUnitCount);
    void resignCurrent();

    std::int64_t totalUnitCount() const;
    std::int64_t completedUnitCount() const;
    void setCompletedUnitCount(std::int64_t completed);
    // Adds to the completed count.
    void complete(std::int64_t units);

    bool isCancellable() const;
    void setCancellable(bool cancellable);
    bool isPausable() const;
    void setPausable(bool pausable);

    // Completed over total, with each child counting for its share of the units it stands for.
    double fractionCompleted() const;
    std::vector<std::shared_ptr<Progress>> children() const;

private:
    struct Child {
        std::shared_ptr<Progress> progress;
        std::int64_t units;
    };

    void adopt(const std::shared_ptr<Progress>& child);

    mutable platform::Mutex mutex_;
    std::int64_t total_ ZORAL_GUARDED_BY(mutex_);
    std::int64_t completed_ ZORAL_GUARDED_BY(mutex_) = 0;
    bool cancellable_ ZORAL_GUARDED_BY(mutex_) = true;
    bool pausable_ ZORAL_GUARDED_BY(mutex_) = false;
    std::int64_t pendingUnits_ ZORAL_GUARDED_BY(mutex_) = 0;
    std::vector<Child> children_ ZORAL_GUARDED_BY(mutex_);
};

}  // namespace zoral::promises

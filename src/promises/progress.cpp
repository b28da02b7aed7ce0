#include "promises/progress.h"

#include <algorithm>

namespace zoral::promises {

namespace {
thread_local std::vector<std::shared_ptr<Progress>> currentStack;
}  // namespace

std::shared_ptr<Progress> Progress::withTotalUnitCount(std::int64_t total) {
    auto progress = std::make_shared<Progress>(total);
    if (auto parent = current())
        parent->adopt(progress);
    return progress;
}

std::shared_ptr<Progress> Progress::current() {
    return currentStack.empty() ? nullptr : currentStack.back();
}

Progress::Progress(std::int64_t total) : total_(std::max<std::int64_t>(total, 0)) {}

void Progress::becomeCurrent(std::int64_t pendingUnitCount) {
    {
        const platform::MutexLock lock(mutex_);
        pendingUnits_ = pendingUnitCount;
    }
    currentStack.push_back(shared_from_this());
}

void Progress::resignCurrent() {
    const auto it = std::find(currentStack.rbegin(), currentStack.rend(), shared_from_this());
    if (it != currentStack.rend())
        currentStack.erase(std::next(it).base());
    const platform::MutexLock lock(mutex_);
    pendingUnits_ = 0;
}

void Progress::adopt(const std::shared_ptr<Progress>& child) {
    const platform::MutexLock lock(mutex_);
    // Only the first child made while current takes the pending units.
    children_.push_back(Child{child, pendingUnits_});
    pendingUnits_ = 0;
}

std::int64_t Progress::totalUnitCount() const {
    const platform::MutexLock lock(mutex_);
    return total_;
}

std::int64_t Progress::completedUnitCount() const {
    const platform::MutexLock lock(mutex_);
    return completed_;
}

void Progress::setCompletedUnitCount(std::int64_t completed) {
    const platform::MutexLock lock(mutex_);
    completed_ = completed;
}

void Progress::complete(std::int64_t units) {
    const platform::MutexLock lock(mutex_);
    completed_ += units;
}

bool Progress::isCancellable() const {
    const platform::MutexLock lock(mutex_);
    return cancellable_;
}

void Progress::setCancellable(bool cancellable) {
    const platform::MutexLock lock(mutex_);
    cancellable_ = cancellable;
}

bool Progress::isPausable() const {
    const platform::MutexLock lock(mutex_);
    return pausable_;
}

void Progress::setPausable(bool pausable) {
    const platform::MutexLock lock(mutex_);
    pausable_ = pausable;
}

double Progress::fractionCompleted() const {
    std::vector<Child> children;
    std::int64_t total = 0;
    std::int64_t completed = 0;
    {
        const platform::MutexLock lock(mutex_);
        children = children_;
        total = total_;
        completed = completed_;
    }
    if (total <= 0)
        return 0;
    double done = static_cast<double>(std::min(completed, total));
    for (const Child& child : children)
        done += child.progress->fractionCompleted() * static_cast<double>(child.units);
    return std::min(done / static_cast<double>(total), 1.0);
}

std::vector<std::shared_ptr<Progress>> Progress::children() const {
    const platform::MutexLock lock(mutex_);
    std::vector<std::shared_ptr<Progress>> result;
    result.reserve(children_.size());
    for (const Child& child : children_)
        result.push_back(child.progress);
    return result;
}

}  // namespace zoral::promises

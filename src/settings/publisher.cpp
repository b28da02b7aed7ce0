#include "settings/publisher.h"

namespace zoral::settings::detail {

void MergedSubscription::add(const std::shared_ptr<Subscription>& upstream) {
    bool cancelled = false;
    {
        const platform::MutexLock lock(mutex_);
        cancelled = cancelled_;
        if (!cancelled)
            upstream_.push_back(upstream);
    }
    // Cancelled while the upstream publishers were still being subscribed to.
    if (cancelled)
        upstream->cancel();
}

void MergedSubscription::request(Demand demand) {
    std::vector<std::shared_ptr<Subscription>> upstream;
    {
        const platform::MutexLock lock(mutex_);
        upstream = upstream_;
    }
    for (const auto& subscription : upstream)
        subscription->request(demand);
}

void MergedSubscription::cancel() {
    std::vector<std::shared_ptr<Subscription>> upstream;
    {
        const platform::MutexLock lock(mutex_);
        cancelled_ = true;
        upstream = std::exchange(upstream_, {});
    }
    for (const auto& subscription : upstream)
        subscription->cancel();
}

}  // namespace zoral::settings::detail

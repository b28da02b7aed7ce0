#pragma once

// The owner of a work item submitted to run later: the work is cancelled when the owner holds
// another item instead, is reset, or is destroyed, so that work nobody owns any more never runs.
// The item stays readable after it ran or was cancelled, until it is replaced or reset. One thread
// uses an owner at a time; moving it hands the item over.

#include <optional>
#include <utility>

#include "platform/dispatch.h"

namespace zoral::platform {

class PendingWorkItem {
public:
    PendingWorkItem() = default;
    ~PendingWorkItem() { cancel(); }
    PendingWorkItem(const PendingWorkItem&) = delete;
    PendingWorkItem& operator=(const PendingWorkItem&) = delete;
    PendingWorkItem(PendingWorkItem&& other) noexcept
        : item_(std::exchange(other.item_, std::nullopt)) {}
    PendingWorkItem& operator=(PendingWorkItem&& other) noexcept {
        if (this != &other)
            replace(std::exchange(other.item_, std::nullopt));
        return *this;
    }

    // Cancels the item held, unless it is this one, and holds this one.
    PendingWorkItem& operator=(DispatchWorkItem item) {
        replace(std::move(item));
        return *this;
    }

    // Cancels the item held and keeps it.
    void cancel() const {
        if (item_)
            item_->cancel();
    }
    // Cancels the item held and lets it go.
    void reset() { replace(std::nullopt); }

    explicit operator bool() const { return item_.has_value(); }
    const DispatchWorkItem& operator*() const { return *item_; }
    const DispatchWorkItem* operator->() const { return &*item_; }

private:
    void replace(std::optional<DispatchWorkItem> item) {
        if (item_ && !(item && *item == *item_))
            item_->cancel();
        item_ = std::move(item);
    }

    std::optional<DispatchWorkItem> item_;
};

}  // namespace zoral::platform

#pragma once

// Notification centres. The local centre delivers a posted notification synchronously, on the
// posting thread, to every observer whose name and sender match. The distributed centre carries
// named system-wide notifications and calls its observers later, on the main queue.

#include <any>
#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/thread_safety.h"

namespace zoral::platform {

using UserInfo = std::map<std::string, std::any, std::less<>>;

// Identifies one registration; given back to removeObserver.
class ObserverToken {
public:
    ObserverToken() = default;
    explicit operator bool() const { return id_ != 0; }
    friend bool operator==(ObserverToken, ObserverToken) = default;

private:
    friend class NotificationCenter;
    friend class DistributedNotificationCenter;
    explicit ObserverToken(std::uint64_t id) : id_(id) {}
    std::uint64_t id_ = 0;
};

struct Notification {
    std::string name;
    // The sender, by identity only: never dereferenced. Null when the poster names none.
    const void* object = nullptr;
    UserInfo userInfo;
};

class NotificationCenter {
public:
    using Block = std::function<void(const Notification&)>;

    // The process's centre.
    static NotificationCenter& defaultCenter();

    NotificationCenter() = default;
    NotificationCenter(const NotificationCenter&) = delete;
    NotificationCenter& operator=(const NotificationCenter&) = delete;

    // Calls the block for each notification with this name (every name when none is given) from
    // this sender (every sender when object is null).
    ObserverToken addObserver(std::optional<std::string> name, const void* object, Block block);
    // The block is not called again, also when an observer removes itself, or another observer, in
    // the middle of a delivery. Removal does not wait for a delivery that another thread is making
    // at the same moment, which may still call the block once. Unknown tokens are ignored.
    void removeObserver(ObserverToken token);

    // Delivers to the observers registered when the post began, in the order of registration.
    // Observers may post and add or remove observers from their blocks.
    void post(const Notification& notification);
    void post(std::string name, const void* object = nullptr, UserInfo userInfo = {});

private:
    struct Entry {
        std::uint64_t id;
        std::optional<std::string> name;
        const void* object;
        Block block;
        std::atomic<bool> removed{false};
    };

    Mutex mutex_;
    std::uint64_t nextId_ ZORAL_GUARDED_BY(mutex_) = 1;
    std::vector<std::shared_ptr<Entry>> entries_ ZORAL_GUARDED_BY(mutex_);
};

struct DistributedNotification {
    std::string name;
    // Distributed notifications name their sender by a string, if at all.
    std::optional<std::string> object;
    UserInfo userInfo;
};

class DistributedNotificationCenter {
public:
    using Block = std::function<void(const DistributedNotification&)>;

    static DistributedNotificationCenter& defaultCenter();

    DistributedNotificationCenter() = default;
    DistributedNotificationCenter(const DistributedNotificationCenter&) = delete;
    DistributedNotificationCenter& operator=(const DistributedNotificationCenter&) = delete;

    // Calls the block on the main queue for each notification with this name (every name when
    // none is given) from this sender (every sender when none is given).
    ObserverToken addObserver(std::optional<std::string> name, std::optional<std::string> object,
                              Block block);
    // The block is not called again, not even for deliveries already queued.
    void removeObserver(ObserverToken token);

    // Queues the delivery on the main queue, to the observers registered now; no observer is
    // called before this returns.
    void post(const DistributedNotification& notification);
    void post(std::string name, std::optional<std::string> object = std::nullopt,
              UserInfo userInfo = {});

private:
    struct Entry {
        std::uint64_t id;
        std::optional<std::string> name;
        std::optional<std::string> object;
        Block block;
        std::atomic<bool> removed{false};
    };

    Mutex mutex_;
    std::uint64_t nextId_ ZORAL_GUARDED_BY(mutex_) = 1;
    std::vector<std::shared_ptr<Entry>> entries_ ZORAL_GUARDED_BY(mutex_);
};

}  // namespace zoral::platform

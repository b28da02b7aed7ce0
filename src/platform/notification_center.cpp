#include "platform/notification_center.h"

#include <algorithm>
#include <utility>

#include "platform/dispatch.h"
#include "platform/process_state.h"

namespace zoral::platform {
namespace {

// Takes the entry out of the list and marks it, so that snapshots taken earlier skip it. The
// caller holds the list's lock.
template <class Entry>
void removeEntry(std::vector<std::shared_ptr<Entry>>& entries, std::uint64_t id) {
    auto it = std::find_if(entries.begin(), entries.end(),
                           [id](const auto& entry) { return entry->id == id; });
    if (it != entries.end()) {
        (*it)->removed = true;
        entries.erase(it);
    }
}

bool nameMatches(const std::optional<std::string>& wanted, const std::string& name) {
    return !wanted || *wanted == name;
}

}  // namespace

namespace {

struct DefaultCenter {
    NotificationCenter center;
};

struct DefaultDistributedCenter {
    DistributedNotificationCenter center;
};

}  // namespace

NotificationCenter& NotificationCenter::defaultCenter() {
    return processPart<DefaultCenter>().center;
}

ObserverToken NotificationCenter::addObserver(std::optional<std::string> name, const void* object,
                                              Block block) {
    const MutexLock lock(mutex_);
    auto entry = std::make_shared<Entry>();
    entry->id = nextId_++;
    entry->name = std::move(name);
    entry->object = object;
    entry->block = std::move(block);
    entries_.push_back(entry);
    return ObserverToken(entry->id);
}

void NotificationCenter::removeObserver(ObserverToken token) {
    const MutexLock lock(mutex_);
    removeEntry(entries_, token.id_);
}

void NotificationCenter::post(const Notification& notification) {
    std::vector<std::shared_ptr<Entry>> snapshot;
    {
        const MutexLock lock(mutex_);
        for (const auto& entry : entries_) {
            if (nameMatches(entry->name, notification.name) &&
                (entry->object == nullptr || entry->object == notification.object)) {
                snapshot.push_back(entry);
            }
        }
    }
    for (const auto& entry : snapshot) {
        if (!entry->removed && entry->block) {
            entry->block(notification);
        }
    }
}

void NotificationCenter::post(std::string name, const void* object, UserInfo userInfo) {
    post(Notification{std::move(name), object, std::move(userInfo)});
}

DistributedNotificationCenter& DistributedNotificationCenter::defaultCenter() {
    return processPart<DefaultDistributedCenter>().center;
}

ObserverToken DistributedNotificationCenter::addObserver(std::optional<std::string> name,
                                                         std::optional<std::string> object,
                                                         Block block) {
    const MutexLock lock(mutex_);
    auto entry = std::make_shared<Entry>();
    entry->id = nextId_++;
    entry->name = std::move(name);
    entry->object = std::move(object);
    entry->block = std::move(block);
    entries_.push_back(entry);
    return ObserverToken(entry->id);
}

void DistributedNotificationCenter::removeObserver(ObserverToken token) {
    const MutexLock lock(mutex_);
    removeEntry(entries_, token.id_);
}

void DistributedNotificationCenter::post(const DistributedNotification& notification) {
    std::vector<std::shared_ptr<Entry>> matching;
    {
        const MutexLock lock(mutex_);
        for (const auto& entry : entries_) {
            if (nameMatches(entry->name, notification.name) &&
                (!entry->object || entry->object == notification.object)) {
                matching.push_back(entry);
            }
        }
    }
    if (matching.empty()) {
        return;
    }
    // One work item delivers to every observer in registration order, and checks each one for
    // removal at the moment of its call.
    auto shared = std::make_shared<const DistributedNotification>(notification);
    DispatchQueue::main().async([matching = std::move(matching), shared] {
        for (const auto& entry : matching) {
            if (!entry->removed && entry->block) {
                entry->block(*shared);
            }
        }
    });
}

void DistributedNotificationCenter::post(std::string name, std::optional<std::string> object,
                                         UserInfo userInfo) {
    post(DistributedNotification{std::move(name), std::move(object), std::move(userInfo)});
}

}  // namespace zoral::platform

#include "sim/login_items.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "platform/hot_keys.h"
#include "platform/login_items.h"
#include "sim/world.h"

namespace zoral::sim {

using platform::SMAppServiceStatus;

namespace {

bool fail(platform::ErrorRef* out, platform::ErrorRef error) {
    if (out != nullptr)
        *out = std::move(error);
    return false;
}

platform::ErrorRef serviceError(std::int64_t code, std::string description) {
    return platform::makeError(platform::smAppServiceErrorDomain, code, std::move(description));
}

}  // namespace

LoginItems& LoginItems::of(World& world) {
    return world.component<LoginItems>();
}

LoginItems& LoginItems::current() {
    return of(World::current());
}

SMAppServiceStatus LoginItems::serviceStatus() const {
    const platform::MutexLock lock(mutex_);
    return status_;
}

void LoginItems::setServiceStatus(SMAppServiceStatus status) {
    const platform::MutexLock lock(mutex_);
    status_ = status;
}

void LoginItems::injectRegisterFailure(platform::ErrorRef error) {
    const platform::MutexLock lock(mutex_);
    registerFailure_ = std::move(error);
}

void LoginItems::injectUnregisterFailure(platform::ErrorRef error) {
    const platform::MutexLock lock(mutex_);
    unregisterFailure_ = std::move(error);
}

platform::ErrorRef LoginItems::registerFailure() const {
    const platform::MutexLock lock(mutex_);
    return registerFailure_;
}

platform::ErrorRef LoginItems::unregisterFailure() const {
    const platform::MutexLock lock(mutex_);
    return unregisterFailure_;
}

std::vector<LoginItems::ServiceCall> LoginItems::serviceCalls() const {
    const platform::MutexLock lock(mutex_);
    return calls_;
}

bool LoginItems::registerService(platform::ErrorRef* error) {
    const platform::MutexLock lock(mutex_);
    calls_.push_back(ServiceCall::registerService);
    if (registerFailure_)
        return fail(error, registerFailure_);
    if (status_ == SMAppServiceStatus::enabled)
        return fail(error,
                    serviceError(alreadyRegisteredError, "The service is already registered."));
    if (status_ == SMAppServiceStatus::notFound)
        return fail(error, serviceError(jobPlistNotFoundError, "The service cannot be found."));
    status_ = SMAppServiceStatus::enabled;
    return true;
}

bool LoginItems::unregisterService(platform::ErrorRef* error) {
    const platform::MutexLock lock(mutex_);
    calls_.push_back(ServiceCall::unregisterService);
    if (unregisterFailure_)
        return fail(error, unregisterFailure_);
    if (status_ == SMAppServiceStatus::notRegistered || status_ == SMAppServiceStatus::notFound)
        return fail(error, serviceError(jobNotFoundError, "The service is not registered."));
    status_ = SMAppServiceStatus::notRegistered;
    return true;
}

std::vector<SessionLoginItem> LoginItems::sessionItems() const {
    const platform::MutexLock lock(mutex_);
    return items_;
}

std::uint64_t LoginItems::addSessionItem(std::string url, platform::PlistDictionary properties,
                                         bool resolves) {
    const platform::MutexLock lock(mutex_);
    const std::uint64_t identifier = nextItem_++;
    items_.push_back({identifier, std::move(url), std::move(properties), resolves});
    return identifier;
}

void LoginItems::setSessionListAvailable(bool available) {
    const platform::MutexLock lock(mutex_);
    listAvailable_ = available;
}

bool LoginItems::sessionListAvailable() const {
    const platform::MutexLock lock(mutex_);
    return listAvailable_;
}

void LoginItems::setSnapshotFails(bool fails) {
    const platform::MutexLock lock(mutex_);
    snapshotFails_ = fails;
}

bool LoginItems::snapshotFails() const {
    const platform::MutexLock lock(mutex_);
    return snapshotFails_;
}

std::optional<std::vector<std::uint64_t>> LoginItems::snapshot() const {
    const platform::MutexLock lock(mutex_);
    if (snapshotFails_)
        return std::nullopt;
    std::vector<std::uint64_t> identifiers;
    std::ranges::transform(items_, std::back_inserter(identifiers), &SessionLoginItem::identifier);
    return identifiers;
}

std::optional<SessionLoginItem> LoginItems::sessionItem(std::uint64_t identifier) const {
    const platform::MutexLock lock(mutex_);
    const auto found = std::ranges::find(items_, identifier, &SessionLoginItem::identifier);
    if (found == items_.end())
        return std::nullopt;
    return *found;
}

std::uint64_t LoginItems::insertSessionItem(std::uint64_t after, const std::string& url,
                                            const platform::PlistDictionary& properties) {
    const platform::MutexLock lock(mutex_);
    SessionLoginItem item{nextItem_, url, {}, true};
    std::optional<std::ptrdiff_t> formerPlace;
    if (const auto existing = std::ranges::find(items_, url, &SessionLoginItem::url);
        existing != items_.end()) {
        formerPlace = existing - items_.begin();
        item = std::move(*existing);
        items_.erase(existing);
    } else {
        ++nextItem_;
    }
    for (const auto& [name, value] : properties)
        item.properties.insert_or_assign(name, value);
    auto position = items_.begin();
    if (after == item.identifier && formerPlace) {
        // After itself: it keeps its place.
        position += *formerPlace;
    } else if (after != 0) {
        const auto predecessor = std::ranges::find(items_, after, &SessionLoginItem::identifier);
        position = predecessor == items_.end() ? items_.end() : std::next(predecessor);
    }
    const std::uint64_t identifier = item.identifier;
    items_.insert(position, std::move(item));
    return identifier;
}

bool LoginItems::removeSessionItem(std::uint64_t identifier) {
    const platform::MutexLock lock(mutex_);
    return std::erase_if(items_, [&](const SessionLoginItem& item) {
               return item.identifier == identifier;
           }) > 0;
}

}  // namespace zoral::sim

namespace zoral::platform {

using sim::LoginItems;

SMAppService SMAppService::mainAppService() {
    return SMAppService();
}

SMAppServiceStatus SMAppService::status() const {
    return LoginItems::current().serviceStatus();
}

bool SMAppService::registerAndReturnError(ErrorRef* error) const {
    return LoginItems::current().registerService(error);
}

bool SMAppService::unregisterAndReturnError(ErrorRef* error) const {
    return LoginItems::current().unregisterService(error);
}

namespace ls {

// The session's list; its entries live in the world.
class SharedFileList {};

SharedFileListRef sharedFileListCreateSessionLoginItems() {
    if (!LoginItems::current().sessionListAvailable())
        return nullptr;
    return std::make_shared<SharedFileList>();
}

std::optional<std::vector<SharedFileListItem>> sharedFileListCopySnapshot(
    const SharedFileListRef& list) {
    if (!list)
        return std::nullopt;
    const auto identifiers = LoginItems::current().snapshot();
    if (!identifiers)
        return std::nullopt;
    std::vector<SharedFileListItem> items;
    for (const std::uint64_t identifier : *identifiers)
        items.emplace_back(identifier);
    return items;
}

std::optional<std::string> sharedFileListItemCopyResolvedURL(SharedFileListItem item,
                                                             std::uint32_t flags) {
    // The flags only keep the system from asking the user while it resolves.
    (void)flags;
    const auto entry = LoginItems::current().sessionItem(item.identifier());
    if (!entry || !entry->resolves)
        return std::nullopt;
    return entry->url;
}

std::optional<PlistObject> sharedFileListItemCopyProperty(SharedFileListItem item,
                                                          std::string_view name) {
    const auto entry = LoginItems::current().sessionItem(item.identifier());
    if (!entry)
        return std::nullopt;
    const auto found = entry->properties.find(name);
    if (found == entry->properties.end())
        return std::nullopt;
    return found->second;
}

SharedFileListItem sharedFileListInsertItemURL(const SharedFileListRef& list,
                                               SharedFileListItem insertAfter,
                                               const std::string& url,
                                               const PlistDictionary& properties) {
    if (!list)
        return {};
    return SharedFileListItem(
        LoginItems::current().insertSessionItem(insertAfter.identifier(), url, properties));
}

OSStatus sharedFileListItemRemove(const SharedFileListRef& list, SharedFileListItem item) {
    if (!list || !LoginItems::current().removeSessionItem(item.identifier()))
        return carbon::paramErr;
    return carbon::noErr;
}

}  // namespace ls
}  // namespace zoral::platform

#pragma once

// What makes applications start at login on the simulated system, in both of the system's forms:
// the main application's service of newer systems (its status, registering and unregistering,
// with failures a test can inject), and the session's login-items list of older ones (entries
// with their URL and properties). Which one the program uses follows the system's version.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/error.h"
#include "platform/plist_object.h"
#include "platform/service_management.h"
#include "platform/thread_safety.h"

namespace zoral::sim {

class World;

struct SessionLoginItem {
    std::uint64_t identifier = 0;
    std::string url;
    platform::PlistDictionary properties;
    // False for an entry whose application is gone from the disk: its URL does not resolve.
    bool resolves = true;

    friend bool operator==(const SessionLoginItem&, const SessionLoginItem&) = default;
};

class LoginItems {
public:
    // The codes of the service's errors.
    static constexpr std::int64_t jobNotFoundError = 6;
    static constexpr std::int64_t jobPlistNotFoundError = 8;
    static constexpr std::int64_t alreadyRegisteredError = 12;

    enum class ServiceCall { registerService, unregisterService };

    static LoginItems& of(World& world);
    static LoginItems& current();

    // --- The main application's service
    platform::SMAppServiceStatus serviceStatus() const;
    void setServiceStatus(platform::SMAppServiceStatus status);
    // Every register (or unregister) call fails with the error until it is set to null; the
    // status stays as it was.
    void injectRegisterFailure(platform::ErrorRef error);
    void injectUnregisterFailure(platform::ErrorRef error);
    platform::ErrorRef registerFailure() const;
    platform::ErrorRef unregisterFailure() const;
    // The calls the program made, in order.
    std::vector<ServiceCall> serviceCalls() const;

    // Registering makes the service enabled; registering an enabled service fails (it is
    // registered already), as does registering one the system cannot find. Unregistering makes
    // it not registered; unregistering one that is not registered, or cannot be found, fails.
    bool registerService(platform::ErrorRef* error);
    bool unregisterService(platform::ErrorRef* error);

    // --- The session's login items
    std::vector<SessionLoginItem> sessionItems() const;
    // Appends an entry as the user or another program made it; unlike the list's own insertion
    // this may add a URL the list holds already.
    std::uint64_t addSessionItem(std::string url, platform::PlistDictionary properties,
                                 bool resolves = true);
    // Without the list the system opens none; a failing snapshot gives none.
    void setSessionListAvailable(bool available);
    bool sessionListAvailable() const;
    void setSnapshotFails(bool fails);
    bool snapshotFails() const;

    // Used by the platform calls.
    std::optional<std::vector<std::uint64_t>> snapshot() const;
    std::optional<SessionLoginItem> sessionItem(std::uint64_t identifier) const;
    // Inserts after the entry (at the front for 0, at the end for an entry the list does not
    // hold); a URL the list holds already moves there and takes the properties.
    std::uint64_t insertSessionItem(std::uint64_t after, const std::string& url,
                                    const platform::PlistDictionary& properties);
    bool removeSessionItem(std::uint64_t identifier);

private:
    mutable platform::Mutex mutex_;
    platform::SMAppServiceStatus status_ ZORAL_GUARDED_BY(mutex_) =
        platform::SMAppServiceStatus::notRegistered;
    platform::ErrorRef registerFailure_ ZORAL_GUARDED_BY(mutex_);
    platform::ErrorRef unregisterFailure_ ZORAL_GUARDED_BY(mutex_);
    std::vector<ServiceCall> calls_ ZORAL_GUARDED_BY(mutex_);
    std::vector<SessionLoginItem> items_ ZORAL_GUARDED_BY(mutex_);
    std::uint64_t nextItem_ ZORAL_GUARDED_BY(mutex_) = 1;
    bool listAvailable_ ZORAL_GUARDED_BY(mutex_) = true;
    bool snapshotFails_ ZORAL_GUARDED_BY(mutex_) = false;
};

}  // namespace zoral::sim

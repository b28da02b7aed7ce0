#pragma once

// The service-management interface of newer systems (13 and later): the main application's own
// service, which, registered, makes the system start the application when the user logs in.
//
// Only the declarations live here; the simulated desktop (sim/) defines them.

#include <cstdint>

#include "platform/error.h"

namespace zoral::platform {

// The statuses, with the system's numbers.
enum class SMAppServiceStatus : std::int64_t {
    notRegistered = 0,
    enabled = 1,
    requiresApproval = 2,
    notFound = 3,
};

// The domain of the errors that registering and unregistering report.
inline constexpr const char* smAppServiceErrorDomain = "SMAppServiceErrorDomain";

class SMAppService {
public:
    // The service of the running application.
    static SMAppService mainAppService();

    SMAppServiceStatus status() const;
    // True on success; otherwise false, with the system's error in *error when it is given.
    bool registerAndReturnError(ErrorRef* error) const;
    bool unregisterAndReturnError(ErrorRef* error) const;

private:
    SMAppService() = default;
};

}  // namespace zoral::platform

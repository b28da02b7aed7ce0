// The platform's input-monitoring check, answered from the simulated world.

#include "sim/iohid.h"

#include "sim/world.h"

namespace zoral::platform::iohid {

AccessType checkAccess(RequestType request) {
    const auto& access = sim::World::current().component<sim::InputMonitoringAccess>();
    switch (request) {
        case RequestType::postEvent:
            return access.post;
        case RequestType::listenEvent:
            return access.listen;
    }
    // A request type the system does not know is refused.
    return AccessType::denied;
}

}  // namespace zoral::platform::iohid

#include "desktop/ax_access.h"

#include <string>

#include "desktop/run_after_delay.h"
#include "platform/accessibility.h"
#include "platform/dispatch.h"
#include "platform/iohid.h"
#include "platform/output.h"
#include "platform/process_state.h"
#include "platform/screens.h"

namespace zoral::desktop {

namespace {

const char* grantedText(platform::iohid::RequestType request) {
    return platform::iohid::checkAccess(request) == platform::iohid::AccessType::granted ? "true"
                                                                                         : "false";
}

}  // namespace

namespace {

// The monitor listens as long as the process's state lasts.
struct SharedAccess {
    std::shared_ptr<AXAccess> access = AXAccess::make();
};

}  // namespace

AXAccess& AXAccess::shared() {
    return *platform::processPart<SharedAccess>().access;
}

std::shared_ptr<AXAccess> AXAccess::make() {
    auto access = std::make_shared<AXAccess>(Passkey{});
    // Older systems have no input-monitoring access to report.
    if (platform::isOperatingSystemAtLeast({10, 15, 0})) {
        platform::output::printLine(
            std::string("IOHID: Post ") + grantedText(platform::iohid::RequestType::postEvent) +
            ", Listen " + grantedText(platform::iohid::RequestType::listenEvent));
    }
    access->recheck();
    access->changeToken_ = platform::DistributedNotificationCenter::defaultCenter().addObserver(
        changeNotification, std::nullopt,
        [weak = std::weak_ptr<AXAccess>(access)](const platform::DistributedNotification&) {
            runAfterDelay(platform::DispatchQueue::main(), recheckDelay, [weak] {
                if (auto self = weak.lock())
                    self->recheck();
            });
        });
    return access;
}

AXAccess::AXAccess(Passkey) {}

AXAccess::~AXAccess() {
    platform::DistributedNotificationCenter::defaultCenter().removeObserver(changeToken_);
}

void AXAccess::recheck() {
    setIsTrusted(platform::ax::isProcessTrusted());
    onChange_.fire(isTrusted());
}

void AXAccess::promptForAccess() {
    (void)platform::ax::isProcessTrustedWithOptions(true);
}

}  // namespace zoral::desktop

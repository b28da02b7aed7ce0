// What starts at login on the simulated system: the main application's service and the
// session's login-items list.

#include "platform/login_items.h"

#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/service_management.h"
#include "sim/login_items.h"
#include "sim/world.h"

namespace zoral::sim {
namespace {

namespace ls = platform::ls;
using platform::PlistObject;
using platform::SMAppService;
using platform::SMAppServiceStatus;

TEST(LoginItemsService, RegisteringAndUnregisteringMoveTheStatusOrFail) {
    ScopedWorld world;
    const SMAppService service = SMAppService::mainAppService();
    struct Step {
        bool registering;
        SMAppServiceStatus before;
        std::optional<std::int64_t> error;
        SMAppServiceStatus after;
    };
    using enum SMAppServiceStatus;
    const Step steps[] = {
        {true, notRegistered, std::nullopt, enabled},
        {true, requiresApproval, std::nullopt, enabled},
        {true, enabled, LoginItems::alreadyRegisteredError, enabled},
        {true, notFound, LoginItems::jobPlistNotFoundError, notFound},
        {false, enabled, std::nullopt, notRegistered},
        {false, requiresApproval, std::nullopt, notRegistered},
        {false, notRegistered, LoginItems::jobNotFoundError, notRegistered},
        {false, notFound, LoginItems::jobNotFoundError, notFound},
    };
    for (const Step& step : steps) {
        LoginItems::of(*world).setServiceStatus(step.before);
        platform::ErrorRef error;
        const bool succeeded = step.registering ? service.registerAndReturnError(&error)
                                                : service.unregisterAndReturnError(&error);
        SCOPED_TRACE(std::to_string(step.registering) + " " +
                     std::to_string(static_cast<int>(step.before)));
        EXPECT_EQ(succeeded, !step.error);
        EXPECT_EQ(error ? std::optional(error->code()) : std::nullopt, step.error);
        if (error) {
            EXPECT_EQ(error->domain(), platform::smAppServiceErrorDomain);
        }
        EXPECT_EQ(service.status(), step.after);
    }
}

TEST(LoginItemsService, AnInjectedFailureLeavesTheStatus) {
    ScopedWorld world;
    LoginItems& items = LoginItems::of(*world);
    const auto failure = platform::makeError("test", 7, "no");
    items.injectRegisterFailure(failure);
    platform::ErrorRef error;
    EXPECT_FALSE(SMAppService::mainAppService().registerAndReturnError(&error));
    EXPECT_EQ(error, failure);
    EXPECT_FALSE(SMAppService::mainAppService().registerAndReturnError(nullptr));
    EXPECT_EQ(items.serviceStatus(), SMAppServiceStatus::notRegistered);
    items.injectRegisterFailure(nullptr);
    EXPECT_TRUE(SMAppService::mainAppService().registerAndReturnError(nullptr));
    EXPECT_EQ(items.serviceCalls().size(), 3u);
}

TEST(SessionLoginItems, InsertingAUrlAgainUpdatesItsEntry) {
    ScopedWorld world;
    LoginItems& items = LoginItems::of(*world);
    const ls::SharedFileListRef list = ls::sharedFileListCreateSessionLoginItems();
    ASSERT_TRUE(list);
    const auto urls = [&] {
        std::vector<std::string> result;
        const auto snapshot = ls::sharedFileListCopySnapshot(list);
        for (const ls::SharedFileListItem item : snapshot.value())
            result.push_back(*ls::sharedFileListItemCopyResolvedURL(item, 0));
        return result;
    };
    const auto hidden = PlistObject::boolean(true);

    const auto mail = ls::sharedFileListInsertItemURL(list, {}, "file:///Mail.app/", {});
    const auto zoral = ls::sharedFileListInsertItemURL(list, {}, "file:///Zoral.app/",
                                                       {{"LoginItemHidden", hidden}});
    EXPECT_EQ(urls(), (std::vector<std::string>{"file:///Zoral.app/", "file:///Mail.app/"}))
        << "no predecessor: at the front";
    ls::sharedFileListInsertItemURL(list, mail, "file:///Notes.app/", {});

    // Again: the same entry, moved and given the properties.
    const auto again = ls::sharedFileListInsertItemURL(
        list, mail, "file:///Zoral.app/", {{"LoginItemHidden", PlistObject::boolean(false)}});
    EXPECT_EQ(again, zoral);
    EXPECT_EQ(urls(), (std::vector<std::string>{"file:///Mail.app/", "file:///Zoral.app/",
                                                "file:///Notes.app/"}));
    EXPECT_EQ(ls::sharedFileListItemCopyProperty(zoral, "LoginItemHidden"),
              PlistObject::boolean(false));
    EXPECT_EQ(ls::sharedFileListInsertItemURL(list, zoral, "file:///Zoral.app/", {}), zoral);
    EXPECT_EQ(urls()[1], "file:///Zoral.app/") << "after itself: it stays";

    EXPECT_EQ(ls::sharedFileListItemRemove(list, zoral), platform::carbon::noErr);
    EXPECT_EQ(ls::sharedFileListItemRemove(list, zoral), platform::carbon::paramErr);
    EXPECT_EQ(ls::sharedFileListItemCopyProperty(zoral, "LoginItemHidden"), std::nullopt);
    EXPECT_EQ(ls::sharedFileListItemCopyResolvedURL(zoral, 0), std::nullopt);
    EXPECT_EQ(items.sessionItems().size(), 2u);
}

TEST(SessionLoginItems, TheWorldCanTakeAwayTheListItsSnapshotOrAnEntrysTarget) {
    ScopedWorld world;
    LoginItems& items = LoginItems::of(*world);
    const auto gone = items.addSessionItem("file:///Gone.app/", {}, false);
    EXPECT_EQ(ls::sharedFileListItemCopyResolvedURL(ls::SharedFileListItem(gone), 0), std::nullopt);

    items.setSnapshotFails(true);
    const auto list = ls::sharedFileListCreateSessionLoginItems();
    EXPECT_EQ(ls::sharedFileListCopySnapshot(list), std::nullopt);
    items.setSessionListAvailable(false);
    EXPECT_EQ(ls::sharedFileListCreateSessionLoginItems(), nullptr);
}

}  // namespace
}  // namespace zoral::sim

#include "loginitems/login_items.h"

#include <filesystem>
#include <optional>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "platform/bundle.h"
#include "platform/login_items.h"
#include "platform/output.h"
#include "platform/screens.h"
#include "platform/service_management.h"
#include "plist/url.h"

namespace zoral::loginitems::LoginItems {

namespace {

namespace ls = platform::ls;

bool usesService() {
    return platform::isOperatingSystemAtLeast({13, 0, 0});
}

// The unified log's error line of the "LoginItems" category.
void logFailure(std::string_view verb, const platform::ErrorRef& error) {
    platform::output::printLine("Failed to " + std::string(verb) +
                                " launch at login: " + (error ? error->description() : ""));
}

struct SessionLoginItems {
    ls::SharedFileListRef list;
    std::vector<ls::SharedFileListItem> items;
};

// None without a list; a snapshot that cannot be taken counts as an empty one.
std::optional<SessionLoginItems> sessionLoginItems() {
    ls::SharedFileListRef list = ls::sharedFileListCreateSessionLoginItems();
    if (!list)
        return std::nullopt;
    auto items =
        ls::sharedFileListCopySnapshot(list).value_or(std::vector<ls::SharedFileListItem>());
    return SessionLoginItems{std::move(list), std::move(items)};
}

// The first entry whose URL resolves to the program's.
std::optional<ls::SharedFileListItem> firstAppItem(const SessionLoginItems& session) {
    const std::string url = appURL();
    for (const ls::SharedFileListItem& item : session.items) {
        if (ls::sharedFileListItemCopyResolvedURL(item, 0) == url)
            return item;
    }
    return std::nullopt;
}

}  // namespace

LaunchState launchState() {
    return queryLaunchState();
}

void setLaunchState(LaunchState state) {
    if (usesService()) {
        setServiceRegistered(state != LaunchState::none);
    } else if (state == LaunchState::none) {
        removeSessionLoginItem();
    } else {
        addSessionLoginItem(state == LaunchState::hide);
    }
}

bool isLaunchAtLogin() {
    return launchState() != LaunchState::none;
}

void setLaunchAtLogin(bool enabled) {
    if (usesService()) {
        setServiceRegistered(enabled);
    } else if (enabled) {
        addSessionLoginItem(false);
    } else {
        removeSessionLoginItem();
    }
}

LaunchState queryLaunchState() {
    if (usesService()) {
        return platform::SMAppService::mainAppService().status() ==
                       platform::SMAppServiceStatus::enabled
                   ? LaunchState::show
                   : LaunchState::none;
    }
    const auto session = sessionLoginItems();
    if (!session)
        return LaunchState::none;
    const auto item = firstAppItem(*session);
    if (!item)
        return LaunchState::none;
    const auto hidden =
        ls::sharedFileListItemCopyProperty(*item, ls::kLSSharedFileListLoginItemHidden);
    return hidden && hidden->boolValue() == true ? LaunchState::hide : LaunchState::show;
}

void setServiceRegistered(bool enabled) {
    const auto service = platform::SMAppService::mainAppService;
    platform::ErrorRef error;
    if (!enabled) {
        if (!service().unregisterAndReturnError(&error))
            logFailure("disable", error);
        return;
    }
    // An enabled service is registered anew, which the system refuses without unregistering it
    // first.
    if (service().status() == platform::SMAppServiceStatus::enabled)
        service().unregisterAndReturnError(nullptr);
    if (!service().registerAndReturnError(&error))
        logFailure("enable", error);
}

void addSessionLoginItem(bool hidden) {
    const auto session = sessionLoginItems();
    if (!session)
        return;
    const ls::SharedFileListItem after =
        session->items.empty() ? ls::SharedFileListItem() : session->items.back();
    ls::sharedFileListInsertItemURL(session->list, after, appURL(),
                                    {{std::string(ls::kLSSharedFileListLoginItemHidden),
                                      platform::PlistObject::boolean(hidden)}});
}

void removeSessionLoginItem() {
    const auto session = sessionLoginItems();
    if (!session)
        return;
    if (const auto item = firstAppItem(*session))
        ls::sharedFileListItemRemove(session->list, *item);
}

std::string appURL() {
    const std::string path = platform::Bundle::main().bundlePath();
    std::string url = plist::Url::fileUrl(path).absoluteString();
    // A directory's file URL ends in a slash, as the system makes it for an existing one.
    std::error_code error;
    if (std::filesystem::is_directory(path, error) && !url.ends_with('/'))
        url += '/';
    return url;
}

}  // namespace zoral::loginitems::LoginItems

// Launch at login on both of the system's back ends, read back after every change.

#include "loginitems/login_items.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <unistd.h>

#include "platform/bundle.h"
#include "platform/error.h"
#include "platform/plist_object.h"
#include "platform/service_management.h"
#include "sim/displays.h"
#include "sim/login_items.h"
#include "sim/world.h"
#include "support/captured_output.h"
#include "support/virtual_clock.h"

namespace zoral::loginitems::LoginItems {

// For readable failures: found by argument-dependent lookup beside the type.
void PrintTo(LaunchState state, std::ostream* stream);
void PrintTo(LaunchState state, std::ostream* stream) {
    constexpr const char* names[] = {"none", "hide", "show"};
    *stream << names[static_cast<int>(state)];
}

namespace {

namespace fs = std::filesystem;
using platform::PlistObject;
using platform::SMAppServiceStatus;
using Call = sim::LoginItems::ServiceCall;

class LaunchAtLogin : public zoral::testing::VirtualClockTest {
protected:
    LaunchAtLogin() {
        bundle_ = fs::temp_directory_path() / ("Zoral-" + std::to_string(::getpid()) + ".app");
        fs::create_directories(bundle_);
        previousBundle_ = platform::Bundle::setMainBundlePath(bundle_.string());
    }
    ~LaunchAtLogin() override {
        platform::Bundle::setMainBundlePath(previousBundle_);
        std::error_code ignored;
        fs::remove_all(bundle_, ignored);
    }

    struct SessionState {
        std::string url;
        std::optional<bool> hidden;
        friend bool operator==(const SessionState&, const SessionState&) = default;
    };

    sim::LoginItems& system() { return sim::LoginItems::of(*world); }
    void onSystem(std::int64_t major) { sim::SystemVersion::of(*world).setVersion({major, 0, 0}); }

    std::vector<SessionState> sessionEntries() {
        std::vector<SessionState> entries;
        for (const auto& item : system().sessionItems()) {
            const auto hidden = item.properties.find("LoginItemHidden");
            entries.push_back({item.url, hidden == item.properties.end()
                                             ? std::nullopt
                                             : hidden->second.boolValue()});
        }
        return entries;
    }

    fs::path bundle_;
    std::optional<std::string> previousBundle_;
    sim::ScopedWorld world;
    zoral::testing::ScopedOutputCapture output;
};

TEST_F(LaunchAtLogin, TheAppsUrlIsItsBundleDirectoryAsAFileUrl) {
    EXPECT_EQ(appURL(), "file://" + bundle_.string() + "/");
}

TEST_F(LaunchAtLogin, TheServiceRegistersForHideAndShowAlikeAndReadsShow) {
    onSystem(13);
    struct Step {
        const char* what;
        std::function<void()> set;
        LaunchState expected;
    };
    const Step steps[] = {
        {"hide", [] { setLaunchState(LaunchState::hide); }, LaunchState::show},
        {"none", [] { setLaunchState(LaunchState::none); }, LaunchState::none},
        {"show", [] { setLaunchState(LaunchState::show); }, LaunchState::show},
        {"off", [] { setLaunchAtLogin(false); }, LaunchState::none},
        {"on", [] { setLaunchAtLogin(true); }, LaunchState::show},
    };
    for (const Step& step : steps) {
        step.set();
        EXPECT_EQ(launchState(), step.expected) << step.what;
        EXPECT_EQ(isLaunchAtLogin(), step.expected != LaunchState::none) << step.what;
    }
    EXPECT_TRUE(output.lines().empty());
    EXPECT_EQ(system().sessionItems().size(), 0u) << "the old list is not used";
}

TEST_F(LaunchAtLogin, OnlyAnEnabledServiceIsUnregisteredBeforeRegistering) {
    onSystem(14);
    struct Case {
        SMAppServiceStatus status;
        LaunchState reads;
        std::vector<Call> calls;
    };
    const Case cases[] = {
        {SMAppServiceStatus::notRegistered, LaunchState::none, {Call::registerService}},
        {SMAppServiceStatus::requiresApproval, LaunchState::none, {Call::registerService}},
        {SMAppServiceStatus::enabled,
         LaunchState::show,
         {Call::unregisterService, Call::registerService}},
    };
    for (const Case& c : cases) {
        sim::ScopedWorld fresh;
        sim::SystemVersion::of(*fresh).setVersion({14, 0, 0});
        sim::LoginItems& service = sim::LoginItems::of(*fresh);
        service.setServiceStatus(c.status);
        EXPECT_EQ(launchState(), c.reads);
        setLaunchAtLogin(true);
        EXPECT_EQ(service.serviceCalls(), c.calls);
        EXPECT_EQ(launchState(), LaunchState::show);
    }
    EXPECT_TRUE(output.lines().empty());
}

TEST_F(LaunchAtLogin, FailuresOfTheServiceAreLoggedWithTheSystemsDescription) {
    onSystem(13);
    system().setServiceStatus(SMAppServiceStatus::enabled);
    system().injectUnregisterFailure(
        platform::makeError(platform::smAppServiceErrorDomain, 1, "Operation not permitted"));
    system().injectRegisterFailure(
        platform::makeError(platform::smAppServiceErrorDomain, 11, "Denied by the user"));

    // The unregister before registering anew fails silently; the register is logged.
    setLaunchAtLogin(true);
    EXPECT_EQ(output.lines(),
              std::vector<std::string>{"Failed to enable launch at login: Denied by the user"});
    output.clear();
    setLaunchAtLogin(false);
    EXPECT_EQ(output.lines(), std::vector<std::string>{
                                  "Failed to disable launch at login: Operation not permitted"});
    EXPECT_EQ(launchState(), LaunchState::show) << "nothing changed";

    // Turning off a service that is not registered: the system's own refusal is logged too.
    system().injectUnregisterFailure(nullptr);
    system().setServiceStatus(SMAppServiceStatus::notRegistered);
    output.clear();
    setLaunchAtLogin(false);
    EXPECT_EQ(output.lines(),
              std::vector<std::string>{
                  "Failed to disable launch at login: The service is not registered."});
}

TEST_F(LaunchAtLogin, TheSessionListHoldsTheAppHiddenOrShownAndOnlyOnce) {
    onSystem(12);
    const std::string url = appURL();
    EXPECT_EQ(launchState(), LaunchState::none);

    struct Step {
        const char* what;
        std::function<void()> set;
        LaunchState expected;
        std::vector<SessionState> entries;
    };
    const Step steps[] = {
        {"on adds it shown", [] { setLaunchAtLogin(true); }, LaunchState::show, {{url, false}}},
        {"on again adds nothing",
         [] { setLaunchAtLogin(true); },
         LaunchState::show,
         {{url, false}}},
        {"hide updates the entry",
         [] { setLaunchState(LaunchState::hide); },
         LaunchState::hide,
         {{url, true}}},
        {"on shows it again", [] { setLaunchAtLogin(true); }, LaunchState::show, {{url, false}}},
        {"none removes it", [] { setLaunchState(LaunchState::none); }, LaunchState::none, {}},
        {"hide adds it hidden",
         [] { setLaunchState(LaunchState::hide); },
         LaunchState::hide,
         {{url, true}}},
        {"off removes it", [] { setLaunchAtLogin(false); }, LaunchState::none, {}},
        {"off again does nothing", [] { setLaunchAtLogin(false); }, LaunchState::none, {}},
    };
    for (const Step& step : steps) {
        step.set();
        EXPECT_EQ(launchState(), step.expected) << step.what;
        EXPECT_EQ(sessionEntries(), step.entries) << step.what;
    }
    EXPECT_TRUE(system().serviceCalls().empty()) << "the service is not used";
}

TEST_F(LaunchAtLogin, TheFirstOfTheAppsEntriesCounts) {
    onSystem(12);
    const std::string url = appURL();
    // Entries the user made: one that no longer resolves, another app, then two of this one.
    system().addSessionItem(url, {{"LoginItemHidden", PlistObject::boolean(false)}}, false);
    system().addSessionItem("file:///Applications/Editor.app/", {});
    system().addSessionItem(url, {{"LoginItemHidden", PlistObject::boolean(true)}});
    system().addSessionItem(url, {});

    EXPECT_EQ(launchState(), LaunchState::hide);
    setLaunchAtLogin(false);
    EXPECT_EQ(launchState(), LaunchState::show) << "a missing hidden property reads as shown";
    ASSERT_EQ(system().sessionItems().size(), 3u);

    // A hidden property that is no boolean reads as shown.
    sim::ScopedWorld fresh;
    sim::SystemVersion::of(*fresh).setVersion({12, 0, 0});
    sim::LoginItems::of(*fresh).addSessionItem(url, {{"LoginItemHidden", PlistObject::integer(1)}});
    EXPECT_EQ(launchState(), LaunchState::show);
}

TEST_F(LaunchAtLogin, AnAddedEntryGoesAfterTheLastOne) {
    onSystem(12);
    setLaunchState(LaunchState::hide);
    EXPECT_EQ(sessionEntries(), (std::vector<SessionState>{{appURL(), true}}))
        << "into an empty list";
    setLaunchState(LaunchState::none);
    system().addSessionItem("file:///Applications/Editor.app/", {});
    system().addSessionItem("file:///Applications/Mail.app/", {});
    setLaunchAtLogin(true);
    EXPECT_EQ(system().sessionItems().back().url, appURL());
}

TEST_F(LaunchAtLogin, WithoutTheListNothingHappens) {
    onSystem(12);
    system().setSessionListAvailable(false);
    setLaunchAtLogin(true);
    EXPECT_EQ(launchState(), LaunchState::none);
    system().setSessionListAvailable(true);
    EXPECT_TRUE(system().sessionItems().empty());

    // A list whose snapshot fails reads as empty.
    setLaunchAtLogin(true);
    system().setSnapshotFails(true);
    EXPECT_EQ(launchState(), LaunchState::none);
    setLaunchAtLogin(false);
    system().setSnapshotFails(false);
    EXPECT_EQ(launchState(), LaunchState::show) << "nothing was removed";
}

}  // namespace
}  // namespace zoral::loginitems::LoginItems

#pragma once

// The running applications, as the system's workspace reports them. A record is a snapshot taken
// when it is asked for; `isTerminated` asks again about its process.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/accessibility.h"
#include "platform/notification_center.h"
#include "platform/option_set.h"

namespace zoral::platform {

// Whether an application may appear in the Dock and be activated (raw values as on the system).
enum class ActivationPolicy : std::int32_t { regular = 0, accessory = 1, prohibited = 2 };

struct RunningApplication {
    ProcessId processIdentifier = 0;
    std::optional<std::string> bundleIdentifier;
    // The bundle's file URL as text ("file:///Applications/Editor.app/").
    std::optional<std::string> bundleURL;
    std::optional<std::string> localizedName;
    ActivationPolicy activationPolicy = ActivationPolicy::regular;
    bool active = false;
    bool hidden = false;

    friend bool operator==(const RunningApplication&, const RunningApplication&) = default;
};

std::optional<RunningApplication> runningApplicationWithProcessIdentifier(ProcessId pid);
// The program's own process.
ProcessId currentProcessIdentifier();
// The application that receives keyboard input; none when no application is active.
std::optional<RunningApplication> frontmostApplication();
// Every running application, front-most first.
std::vector<RunningApplication> runningApplications();
// The running applications with this bundle identifier, in the order of runningApplications.
std::vector<RunningApplication> runningApplicationsWithBundleIdentifier(
    std::string_view bundleIdentifier);
// Whether the record's process has quit since the record was taken.
bool isTerminated(const RunningApplication& application);

// The workspace's own notification centre (not the default one). A process's windows tell their
// observers nothing when the process ends; the workspace announces it here instead, on the main
// thread a moment later, however the process ended (quit, terminated or crashed).
NotificationCenter& workspaceNotificationCenter();
// Its user info holds the RunningApplication, as it was last, under workspaceApplicationKey.
inline constexpr std::string_view workspaceDidTerminateApplicationNotification =
    "NSWorkspaceDidTerminateApplicationNotification";
inline constexpr std::string_view workspaceApplicationKey = "NSWorkspaceApplicationKey";

// The identifier of the application bundle at a file URL; none when there is no
// bundle there or it names no identifier (a plain folder).
std::optional<std::string> bundleIdentifierOfBundleAt(std::string_view fileURL);

// Options of an activation (raw values as on the system).
class ApplicationActivationOptions : public OptionSet<ApplicationActivationOptions, std::uint32_t> {
public:
    using OptionSet::OptionSet;
};

inline constexpr ApplicationActivationOptions activateAllWindows{1u << 0};
inline constexpr ApplicationActivationOptions activateIgnoringOtherApps{1u << 1};

// Requests that the system carries out a moment later; false when the process is gone.
bool activate(const RunningApplication& application, ApplicationActivationOptions options);
bool hide(const RunningApplication& application);
bool unhide(const RunningApplication& application);
// The application may refuse to quit.
bool terminate(const RunningApplication& application);

}  // namespace zoral::platform

#pragma once

// Whether the program starts when the user logs in, and whether it starts hidden. Every call asks
// the system afresh, through the service-management interface on systems 13 and later and
// through the session's login-items list before; nothing is cached and no error reaches the
// caller. A failed registration with the service is logged.

#include <string>

namespace zoral::loginitems::LoginItems {

enum class LaunchState { none, hide, show };

// The state as the running system's back end reports it. The service never reports hide.
LaunchState launchState();
// Systems 13 and later register the service for hide and show alike and unregister it for none;
// older ones add the program's entry to the list, hidden or shown, or remove it for none.
void setLaunchState(LaunchState state);

bool isLaunchAtLogin();
// True registers the service, or adds the entry shown (never hidden); false unregisters or
// removes it.
void setLaunchAtLogin(bool enabled);

// The back ends' steps.
LaunchState queryLaunchState();
// Registering an enabled service first unregisters it (ignoring how that goes). A failure prints
// "Failed to enable launch at login: " or "Failed to disable launch at login: " with the
// system's description.
void setServiceRegistered(bool enabled);
// Inserts the program's entry after the list's last one, with the hidden property set as given.
void addSessionLoginItem(bool hidden);
// Removes the first of the program's entries; any later ones stay.
void removeSessionLoginItem();

// The program's bundle as a file URL, by which its entry in the list is recognised.
std::string appURL();

}  // namespace zoral::loginitems::LoginItems

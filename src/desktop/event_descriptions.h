#pragma once

// How log lines spell event types, phases and modifier flags: a type by its case name ("keyDown",
// "magnify", or "@unknown(n)" for a number without a case); a set of flags or phases by its raw
// value followed by the names of its members, as in CGEventFlags(1179648)["shift", "cmd"].

#include <string>

#include "platform/events.h"
#include "settings/modifier_flags.h"

namespace zoral::desktop {

std::string description(platform::CGEventFlags flags);
// "NSEventFlags(...)": the application toolkit's spelling of the same bits.
std::string description(settings::ModifierFlags flags);
// A phase, or a set of phases or-ed together.
std::string description(platform::NSEventPhase phase);
std::string description(platform::CGEventType type);
std::string description(platform::NSEventType type);

}  // namespace zoral::desktop

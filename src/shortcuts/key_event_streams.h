#pragma once

// Event streams of a name's shortcut: each press and release of the hot key, while the stream
// lives, as values the consumer takes in its own time. A stream registers the name's stored
// shortcut when it starts; when it ends its entries leave the tables, and the shortcut is
// released unless a handler's or another stream's name still stores it. Every change of the
// tables runs on the main queue.

#include "promises/result.h"
#include "shortcuts/async_stream.h"
#include "shortcuts/event_type.h"
#include "shortcuts/name.h"

namespace zoral::shortcuts::GlobalShortcuts {

// Both kinds. Its deliveries join the tables in work queued on the main queue, so presses
// before that work has run do not reach it.
AsyncStream<EventType> keyEventStream(const Name& name);
// The stream above, keeping only the events of the type.
AsyncStream<EventType> filteredKeyEventStream(EventType type, const Name& name);
// One empty value per event of the type. Made on the main thread, its delivery joins the table
// at once; made elsewhere, in work queued on the main queue.
AsyncStream<promises::Unit> keyTriggerStream(EventType type, const Name& name);

}  // namespace zoral::shortcuts::GlobalShortcuts

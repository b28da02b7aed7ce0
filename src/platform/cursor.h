#pragma once

// The mouse cursor as the application toolkit offers it: hide and unhide are counted by the window
// server, so that each unhide balances one hide; an unhide without a hide before it does nothing.
// A process that is not the active application changes the cursor only once it has asked the
// window server to let it do so from the background (a property of its connection).
//
// Only the declarations live here; the simulated desktop (sim/) defines them.

namespace zoral::platform {

// NSCursor's hide and unhide.
void cursorHide();
void cursorUnhide();

// The connection property "SetsCursorInBackground" of the program's default connection.
void setSetsCursorInBackground(bool enabled);

}  // namespace zoral::platform

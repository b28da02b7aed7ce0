#pragma once

// The single-window operations the action executor performs: minimise (also out of full screen),
// close, move to the neighbouring screen (also into full screen there) and move to the adjacent
// space. Each works through the accessibility interface where it can and falls back on synthetic
// input where that offers nothing: Command-W for a window without a usable close button, and for
// a space move, the left button held on the title bar while the system's own shortcut for the
// adjacent space is posted, so that the window is carried along.
//
// Everything starts on the main thread; failures of the promise chains end the operation quietly.

#include <memory>
#include <optional>

#include "desktop/direction.h"
#include "desktop/screen.h"
#include "desktop/window.h"
#include "platform/geometry.h"
#include "promises/promises.h"

namespace zoral::engine {

// Minimises the window (0.01 s later, on the accessibility queue) and stamps the time for
// unminimizeLast; a window whose process is unknown is minimised without a stamp. Also runs on a
// global queue, for the operations on all windows: it touches only the window and the stamps.
void minimize(const std::shared_ptr<desktop::Window>& window);
// Leaves full screen, then minimises.
void minimizeFromFullscreen(const std::shared_ptr<desktop::Window>& window);

// What a move to the neighbouring screen does besides the move: with moveCursor, the pointer
// follows the window.
struct ScreenMoveOptions {
    bool moveCursor = false;
};

// Moves the window to the neighbour of `from` in the direction: a snapped window onto the same
// span there, any other centred at its size from before snapping; its application comes in front
// with all its windows. The target screen, or none when there is no `from` or no neighbour.
std::optional<desktop::Screen> moveToScreen(const std::shared_ptr<desktop::Window>& window,
                                            desktop::Direction direction,
                                            const std::optional<desktop::Screen>& from,
                                            ScreenMoveOptions options = {});
// Moves the window to the neighbouring screen and makes it full screen there; a window in full
// screen leaves it first and enters it again 0.2 s after the move.
void moveToFullscreenOnScreen(const std::shared_ptr<desktop::Window>& window,
                              desktop::Direction direction,
                              const std::optional<desktop::Screen>& from);

// Activates the window's application, makes the window main and, once it is focused, carries it to
// the adjacent space (left, or right for every other direction) by its title bar.
void moveToSpace(const std::shared_ptr<desktop::Window>& window, desktop::Direction direction);

// Succeeds, logging "Window: Focused in <attempt * 50>ms", when the window's application is active
// and the window is its main window; fails with PromiseError::default_() otherwise.
promises::Promise<promises::Unit> focus(const std::shared_ptr<desktop::Window>& window,
                                        int attempt);
// focus with attempt 0 and, when that fails, the poll from attempt 0 again (at once) with 40
// retries 0.05 s apart; fails with the last failure.
promises::Promise<promises::Unit> focusWithRetries(const std::shared_ptr<desktop::Window>& window);

// The left-button press on the title bar that starts a space move, and 0.1 s later the rest of
// the move. Nothing happens when no event can be made to read the pointer.
void grabTitleBar(const std::shared_ptr<desktop::Window>& window, desktop::Direction direction);
// Where the press lands: just right of the full-screen (or zoom) button, else 100 points into the
// title bar, else 20 points before its right end, else the middle of the part on the screen; each
// only when it lies on the screen. y is 4 points below the top edge.
platform::CGPoint titleBarPressPoint(const platform::CGRect& windowFrame,
                                     const std::optional<platform::CGRect>& buttonFrame,
                                     const platform::CGRect& screenFrame);

// Presses the enabled close button, else makes the window main and sends Command-W to its
// application (to the common stream when the process is unknown).
void close(const std::shared_ptr<desktop::Window>& window);

}  // namespace zoral::engine

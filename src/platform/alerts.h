#pragma once

// Alerts, the system's beep, and the application's modal sessions.
//
// An alert shows a message, an informative text, an icon and its buttons (one "OK" when none was
// added), in a style. Run modally, it blocks its caller until the user presses a button, and
// answers with the button's response (the first button 1000, the next 1001, ...). Begun as a
// sheet on a window, it returns at once, and the completion handler gets the response when the
// user presses a button; runModalForWindow blocks its caller until stopModalWithCode ends the
// session, and the completion handlers of sheets answered meanwhile run inside the session, as
// the system runs them. Blocking work waits the way every blocking call of the scheduler does
// (platform/scheduler.h): time and the other queues run on.
//
// Only the declarations live here; the simulated desktop (sim/) defines them. Main thread only.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/program_windows.h"

namespace zoral::platform {

enum class AlertStyle : std::uint64_t { warning = 0, informational = 1, critical = 2 };

// What a modal session or an alert answers, with the system's numbers.
using ModalResponse = std::int64_t;
inline constexpr ModalResponse modalResponseStop = -1000;
inline constexpr ModalResponse modalResponseAbort = -1001;
inline constexpr ModalResponse modalResponseContinue = -1002;
inline constexpr ModalResponse alertFirstButtonReturn = 1000;
inline constexpr ModalResponse alertSecondButtonReturn = 1001;
inline constexpr ModalResponse alertThirdButtonReturn = 1002;

class Alert {
public:
    std::string messageText;
    std::string informativeText;
    AlertStyle alertStyle = AlertStyle::warning;
    // The name of the program's image it shows; none shows the program's icon.
    std::optional<std::string> icon;

    // Buttons appear right to left in the order added.
    void addButtonWithTitle(std::string title) { buttons_.push_back(std::move(title)); }
    // The titles of the buttons it shows.
    std::vector<std::string> buttonTitles() const;

    // Shows the alert and blocks until the user answers it.
    ModalResponse runModal() const;
    // Shows the alert as a sheet on the window and returns; the handler gets the answer.
    void beginSheetModalForWindow(WindowNumber window,
                                  std::function<void(ModalResponse)> completionHandler) const;

private:
    std::vector<std::string> buttons_;
};

// The system's alert sound.
void beep();

// Blocks until stopModalWithCode ends the session, and answers its code.
ModalResponse runModalForWindow(WindowNumber window);
// Ends the innermost modal session; does nothing outside of one.
void stopModalWithCode(ModalResponse code);

}  // namespace zoral::platform

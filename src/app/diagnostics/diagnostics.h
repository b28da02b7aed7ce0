#pragma once

// The diagnostics: whether the system settings and conditions that the gestures depend on are in
// place. Each condition is one item with fixed texts and a status light and a message worked out
// by its check; the General tab shows the worst status of all and opens the popover that lists
// them.
//
// The list is made on first use, each item checked as it is made, and lives until reset() drops
// it with the last overall status. Main thread only.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zoral::app {

namespace Diagnostics {

// In order of severity: red is worse than yellow, yellow worse than green.
enum class Status : std::uint8_t { green, yellow, red };

}  // namespace Diagnostics

// One condition: its title, what it is for, what the user can do, and what its latest check found.
class DiagnosticsItem {
public:
    virtual ~DiagnosticsItem() = default;
    DiagnosticsItem(const DiagnosticsItem&) = delete;
    DiagnosticsItem& operator=(const DiagnosticsItem&) = delete;

    const std::string& title() const { return title_; }
    const std::string& description() const { return description_; }
    const std::string& solution() const { return solution_; }
    // None until the first check.
    const std::optional<Diagnostics::Status>& status() const { return status_; }
    const std::optional<std::string>& message() const { return message_; }

    // Works out the status and the message from the system as it is now; some items also choose
    // the solution that fits what they found. Never fails.
    virtual void check() = 0;

protected:
    DiagnosticsItem(std::string title, std::string description, std::string solution);
    void found(Diagnostics::Status status, std::string message);
    void setSolution(std::string solution) { solution_ = std::move(solution); }

private:
    const std::string title_;
    const std::string description_;
    std::string solution_;
    std::optional<Diagnostics::Status> status_;
    std::optional<std::string> message_;
};

namespace Diagnostics {

// Every item, in this order: Double Tap, Pinching, Spaces, Haptic Feedback, Launch at Login,
// Applications Folder. Made and checked on first use.
const std::vector<std::shared_ptr<DiagnosticsItem>>& items();

// Checks every item in order and keeps the worst status in worstStatus().
void overallStatus();

// The result of the last overallStatus(); green before the first.
Status worstStatus();

// The name of the system image that shows the status as a light.
std::string_view statusImageName(Status status);

// Drops the items and the last overall status, as a process that starts again has neither.
void reset();

}  // namespace Diagnostics

}  // namespace zoral::app

#pragma once

// The world's journal: one time-stamped list of what the program asked of the simulated system
// that leaves no other trace to read back: the events it posted, its pointer warps, its requests
// to the workspace, its permission prompts, its writes of the enhanced accessibility interface,
// the alerts it showed with the user's answers, its beeps, the displays' sleep and wake, and the
// processes it started, in the order they were made. Tests
// and the world runner read it; the modules that record a kind keep their own readers as views of
// it.

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <type_traits>
#include <variant>
#include <vector>

#include "platform/accessibility.h"
#include "platform/alerts.h"
#include "platform/events.h"
#include "platform/process_launcher.h"
#include "platform/program_windows.h"
#include "platform/thread_safety.h"
#include "platform/workspace.h"

namespace zoral::sim {

class World;

// An event the program posted, with where it went.
struct PostedEvent {
    // Virtual seconds of the scheduler's clock when it was posted.
    double time = 0;
    // As posted; its targetPid names the process for events posted to one.
    platform::CGEvent event;
    // The tap location of events posted to the common stream; none for events posted to a process.
    std::optional<platform::CGEventTapLocation> tap;

    friend bool operator==(const PostedEvent&, const PostedEvent&) = default;
};

// The pointer moved without an event.
struct PointerWarp {
    double time = 0;
    platform::CGPoint location;

    friend bool operator==(const PointerWarp&, const PointerWarp&) = default;
};

// One request the program made of the workspace.
struct WorkspaceRequest {
    enum class Kind { activate, hide, unhide, terminate };
    Kind kind;
    platform::ProcessId pid;
    platform::ApplicationActivationOptions options;
    double time = 0;

    friend bool operator==(const WorkspaceRequest&, const WorkspaceRequest&) = default;
};

// The program asked the system to show the Accessibility permission prompt while it lacked it.
struct PermissionPrompt {
    double time = 0;

    friend bool operator==(const PermissionPrompt&, const PermissionPrompt&) = default;
};

// A write of an application's "AXEnhancedUserInterface".
struct EnhancedInterfaceWrite {
    platform::ProcessId pid = 0;
    bool value = false;
    double time = 0;

    friend bool operator==(const EnhancedInterfaceWrite&, const EnhancedInterfaceWrite&) = default;
};

// An alert the program showed: modally, or as a sheet on one of its windows.
struct AlertShown {
    double time = 0;
    // Pairs the alert with its answer.
    std::uint64_t alert = 0;
    std::string messageText;
    std::string informativeText;
    platform::AlertStyle style = platform::AlertStyle::warning;
    std::optional<std::string> icon;
    std::vector<std::string> buttons;
    std::optional<platform::WindowNumber> sheetWindow;

    friend bool operator==(const AlertShown&, const AlertShown&) = default;
};

// The user pressed a button of an alert.
struct AlertAnswered {
    double time = 0;
    std::uint64_t alert = 0;
    platform::ModalResponse response = 0;

    friend bool operator==(const AlertAnswered&, const AlertAnswered&) = default;
};

// The program sounded the system's beep.
struct Beep {
    double time = 0;

    friend bool operator==(const Beep&, const Beep&) = default;
};

// The displays went to sleep (asleep) or woke.
struct DisplaySleep {
    double time = 0;
    bool asleep = false;

    friend bool operator==(const DisplaySleep&, const DisplaySleep&) = default;
};

// The program started a process (sim/system_commands.h).
struct ProcessLaunched {
    double time = 0;
    platform::ProcessLaunch launch;

    friend bool operator==(const ProcessLaunched&, const ProcessLaunched&) = default;
};

using JournalEntry = std::variant<PostedEvent, PointerWarp, WorkspaceRequest, PermissionPrompt,
                                  EnhancedInterfaceWrite, AlertShown, AlertAnswered, Beep,
                                  DisplaySleep, ProcessLaunched>;

double timeOf(const JournalEntry& entry);

// A component of the world. Entries may be recorded from any queue. A run lasts for days: the
// journal counts every entry but keeps only the latest `keptEntries` of them.
class Journal {
public:
    static constexpr std::size_t keptEntries = 4096;

    static Journal& of(World& world);

    void record(JournalEntry entry);
    // The entries kept, in order.
    std::vector<JournalEntry> entries() const;
    // Every entry recorded since the last clear, kept or not.
    std::int64_t recordedCount() const;
    void clear();

    // The kept entries of one kind, in order.
    template <class Record>
    std::vector<Record> recordsOf() const {
        const platform::MutexLock lock(mutex_);
        std::vector<Record> found;
        for (const JournalEntry& entry : entries_) {
            if (const auto* record = std::get_if<Record>(&entry))
                found.push_back(*record);
        }
        return found;
    }
    // The entries of one kind recorded since they were last cleared, kept or not.
    template <class Record>
    std::int64_t countOf() const {
        const platform::MutexLock lock(mutex_);
        return counts_[indexOf<Record>()];
    }
    template <class Record>
    void clear() {
        const platform::MutexLock lock(mutex_);
        std::erase_if(entries_, [](const JournalEntry& entry) {
            return std::holds_alternative<Record>(entry);
        });
        counts_[indexOf<Record>()] = 0;
    }

private:
    template <class Record, class... Kinds>
    static constexpr std::size_t indexIn(const std::variant<Kinds...>*) {
        std::size_t index = 0;
        (void)((std::is_same_v<Record, Kinds> ? true : (++index, false)) || ...);
        return index;
    }
    template <class Record>
    static constexpr std::size_t indexOf() {
        constexpr std::size_t index = indexIn<Record>(static_cast<const JournalEntry*>(nullptr));
        static_assert(index < std::variant_size_v<JournalEntry>);
        return index;
    }

    mutable platform::Mutex mutex_;
    std::deque<JournalEntry> entries_ ZORAL_GUARDED_BY(mutex_);
    std::array<std::int64_t, std::variant_size_v<JournalEntry>> counts_ ZORAL_GUARDED_BY(mutex_){};
};

}  // namespace zoral::sim

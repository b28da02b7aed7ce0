#include "sim/system_commands.h"

#include <charconv>
#include <functional>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/process_launcher.h"
#include "platform/scheduler.h"
#include "platform/updater.h"
#include "sim/journal.h"
#include "sim/world.h"

namespace zoral::sim {

namespace {

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\n");
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(" \t\n");
    return text.substr(first, last - first + 1);
}

std::vector<std::string_view> words(std::string_view text) {
    std::vector<std::string_view> found;
    while (!(text = trimmed(text)).empty()) {
        const auto end = text.find_first_of(" \t\n");
        found.push_back(text.substr(0, end));
        text = end == std::string_view::npos ? std::string_view() : text.substr(end);
    }
    return found;
}

std::optional<double> seconds(std::string_view text) {
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !(value >= 0))
        return std::nullopt;
    return value;
}

using Part = std::function<void()>;

// The part as the simulated system runs it, or none when the system has no such command.
std::optional<Part> systemCommand(std::string_view text) {
    const auto command = words(text);
    if (command == std::vector<std::string_view>{"pmset", "displaysleepnow"})
        return [] { DisplayPower::of(World::current()).setAsleep(true); };
    if (command.size() == 2 && command[0] == "sleep") {
        if (const auto wait = seconds(command[1]))
            return [wait = *wait] { platform::sleepFor(wait); };
    }
    if (command.size() == 4 && command[0] == "caffeinate" && command[1] == "-u" &&
        command[2] == "-t") {
        if (const auto hold = seconds(command[3])) {
            return [hold = *hold] {
                DisplayPower::of(World::current()).setAsleep(false);
                platform::sleepFor(hold);
            };
        }
    }
    return std::nullopt;
}

}  // namespace

DisplayPower& DisplayPower::of(World& world) {
    return world.component<DisplayPower>();
}

bool DisplayPower::asleep() const {
    const platform::MutexLock lock(mutex_);
    return asleep_;
}

void DisplayPower::setAsleep(bool asleep) {
    {
        const platform::MutexLock lock(mutex_);
        if (asleep_ == asleep)
            return;
        asleep_ = asleep;
    }
    Journal::of(world_).record(DisplaySleep{platform::uptimeSeconds(), asleep});
}

Updater& Updater::of(World& world) {
    return world.component<Updater>();
}

std::optional<Updater::State> Updater::state() const {
    const platform::MutexLock lock(mutex_);
    return state_;
}

void Updater::setState(std::optional<State> state) {
    {
        const platform::MutexLock lock(mutex_);
        state_ = std::move(state);
    }
    scheduleAutomaticCheck();
}

void Updater::checkForUpdates() {
    check(true);
}

std::vector<Updater::Check> Updater::checks() const {
    const platform::MutexLock lock(mutex_);
    return checks_;
}

void Updater::check(bool userInitiated) {
    {
        const platform::MutexLock lock(mutex_);
        if (!state_)
            return;
        checks_.push_back(Check{.time = platform::uptimeSeconds(),
                                .feedURL = state_->feedURL,
                                .userInitiated = userInitiated});
    }
    // The next automatic check counts from this one.
    scheduleAutomaticCheck();
}

void Updater::scheduleAutomaticCheck() {
    std::uint64_t schedule = 0;
    double interval = 0;
    {
        const platform::MutexLock lock(mutex_);
        schedule = ++schedule_;
        if (!state_ || !state_->automaticallyChecksForUpdates || !(state_->updateCheckInterval > 0))
            return;
        interval = state_->updateCheckInterval;
    }
    // The updater's timer runs on the main run loop.
    platform::DispatchQueue::main().asyncAfter(
        platform::DispatchTime::now() + interval, [weakWorld = world_.weak(), schedule] {
            const auto world = weakWorld.lock();
            if (!world)
                return;
            Updater& updater = Updater::of(*world);
            {
                const platform::MutexLock lock(updater.mutex_);
                if (updater.schedule_ != schedule)
                    return;
            }
            updater.check(false);
        });
}

ScopedSystemCommands::ScopedSystemCommands() {
    previous_ = platform::shell::setRunner([this](std::string_view command) {
        std::vector<Part> parts;
        std::string_view rest = command;
        while (true) {
            const auto end = rest.find(';');
            auto part = systemCommand(rest.substr(0, end));
            if (!part)
                return previous_(command);
            parts.push_back(std::move(*part));
            if (end == std::string_view::npos)
                break;
            rest = rest.substr(end + 1);
        }
        for (const auto& part : parts)
            part();
        return platform::shell::Result{};
    });
}

ScopedSystemCommands::~ScopedSystemCommands() {
    platform::shell::setRunner(std::move(previous_));
}

}  // namespace zoral::sim

namespace zoral::platform {

void launchProcess(const ProcessLaunch& launch) {
    sim::Journal::of(sim::World::current()).record(sim::ProcessLaunched{uptimeSeconds(), launch});
}

namespace updater {

bool exists() {
    return sim::Updater::of(sim::World::current()).state().has_value();
}

std::optional<std::string> feedURL() {
    const auto state = sim::Updater::of(sim::World::current()).state();
    return state ? state->feedURL : std::nullopt;
}

void setFeedURL(std::optional<std::string> url) {
    sim::Updater::of(sim::World::current()).edit([&](auto& state) { state.feedURL = url; });
}

bool automaticallyChecksForUpdates() {
    const auto state = sim::Updater::of(sim::World::current()).state();
    return state && state->automaticallyChecksForUpdates;
}

void setAutomaticallyChecksForUpdates(bool checks) {
    sim::Updater::of(sim::World::current()).edit([&](auto& state) {
        state.automaticallyChecksForUpdates = checks;
    });
}

double updateCheckInterval() {
    const auto state = sim::Updater::of(sim::World::current()).state();
    return state ? state->updateCheckInterval : 0;
}

void setUpdateCheckInterval(double seconds) {
    sim::Updater::of(sim::World::current()).edit([&](auto& state) {
        state.updateCheckInterval = seconds;
    });
}

void checkForUpdates() {
    sim::Updater::of(sim::World::current()).checkForUpdates();
}

}  // namespace updater

}  // namespace zoral::platform

// The soak: random but plausible gestures on simulated worlds, with faults injected while they
// run, and the invariants checked after every gesture. Every step it takes is a world-runner step,
// so that a failure leaves a replay the world runner plays.

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "desktop/ax_access.h"
#include "engine/input/engine.h"
#include "engine/windows/snapped_windows.h"
#include "engine_steps.h"
#include "platform/home.h"
#include "platform/output.h"
#include "platform/scheduler.h"
#include "platform/user_defaults.h"
#include "script.h"
#include "settings/defaults.h"
#include "settings/defaults_keys.h"
#include "sim/hardware_input.h"
#include "sim/journal.h"
#include "sim/world.h"
#include "sim/world_file.h"
#include "soak.h"

namespace {

using zoral::platform::Json;

constexpr std::string_view usage = R"(usage: zoral-soak [--seed N] [--gestures N] [--per-world N]
                  [--fault-rate P] [--replay-out FILE] [--quiet]

Makes random but plausible gestures (on title bars, tabs of every kind, Dock tiles, the menu bar
and Mission Control; scrolls, pinches, double taps, wheels and hotkeys, with modifiers held) on
simulated worlds of several displays and applications, with the program's gesture engine
attached, while applications hang and quit, windows close, displays go and come, the
Accessibility permission is revoked and granted and settings change. After every gesture it
checks that no window was lost but by the engine's own close or quit, that every window lies at
least partly on a display, that no modifier is held that the user does not hold (in the devices
and in the engine), that the cursor shows and no tooltip is up between gestures, that the
snapped-window registry holds only living windows, and that the heap stays flat.

  --seed N          the run's seed (1); the same seed makes the same run
  --gestures N      gestures in all (1000)
  --per-world N     gestures on one world before the next (100)
  --fault-rate P    the share of gestures with a fault injected (0.2)
  --replay-out FILE on the first violation, writes the world-runner script that reproduces it
                    to FILE and its world to FILE.world.json
  --quiet           prints only violations and the summary

Exit status: 0 when no invariant was violated, 1 when one was, 2 for wrong arguments.
)";

struct Options {
    std::uint64_t seed = 1;
    std::int64_t gestures = 1000;
    std::int64_t perWorld = 100;
    double faultRate = 0.2;
    std::optional<std::filesystem::path> replayOut;
    bool quiet = false;
};

template <class T>
bool parseNumber(std::string_view text, T& value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

std::optional<Options> parseOptions(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        const auto value = [&]() -> std::optional<std::string_view> {
            if (i + 1 >= argc)
                return std::nullopt;
            return std::string_view(argv[++i]);
        };
        std::optional<std::string_view> text;
        bool ok = true;
        if (argument == "--help" || argument == "-h") {
            std::cout << usage;
            std::exit(0);
        } else if (argument == "--quiet") {
            options.quiet = true;
        } else if (argument == "--seed") {
            ok = (text = value()) && parseNumber(*text, options.seed);
        } else if (argument == "--gestures") {
            ok = (text = value()) && parseNumber(*text, options.gestures) && options.gestures >= 0;
        } else if (argument == "--per-world") {
            ok = (text = value()) && parseNumber(*text, options.perWorld) && options.perWorld > 0;
        } else if (argument == "--fault-rate") {
            ok = (text = value()) && parseNumber(*text, options.faultRate) &&
                 options.faultRate >= 0 && options.faultRate <= 1;
        } else if (argument == "--replay-out") {
            ok = static_cast<bool>(text = value());
            if (ok)
                options.replayOut = std::filesystem::path(*text);
        } else {
            ok = false;
        }
        if (!ok) {
            std::cerr << "zoral-soak: bad argument " << argument << "\n" << usage;
            return std::nullopt;
        }
    }
    return options;
}

// The action kinds that are off by default, on, so that the gestures reach them too.
const Json enabledKinds = Json::array({"menubarAppSwitcher", "appChain", "appCycle"});

class Soak {
public:
    explicit Soak(const Options& options) : options_(options), random_(options.seed) {
        for (const auto& invariant : zoral::soak::invariantNames)
            violations_[invariant] = 0;
        for (const auto& kind : zoral::soak::faultKinds)
            faults_[kind] = 0;
    }

    int run() {
        using namespace zoral;
        // The program's log lines are kept, the last few, for a failure's report.
        platform::output::setSink([this](std::string_view line) {
            log_.emplace_back(line);
            if (log_.size() > 40)
                log_.pop_front();
        });
        while (gesture_ < options_.gestures)
            runWorld();
        platform::output::setSink({});
        checkMemory();
        report();
        const bool failed = std::any_of(violations_.begin(), violations_.end(),
                                        [](const auto& entry) { return entry.second > 0; });
        return failed ? 1 : 0;
    }

private:
    // One world: loaded, the engine attached, gestures until the world's share is done or an
    // invariant breaks, and then everything the process keeps of it forgotten.
    void runWorld() {
        using namespace zoral;
        worldFile_ = soak::makeWorld(random_);
        script_.clear();
        {
            sim::ScopedWorld world;
            sim::loadWorld(*world, worldFile_);
            // The permission as a new process finds it (a world runner's run starts so): the
            // process's monitor may still hold what an earlier world revoked.
            desktop::AXAccess::shared().setIsTrusted(world->isTrusted());
            world_runner::AttachedEngine engine;
            const auto steps = world_runner::engineSteps(engine);
            const auto run = [&](const Json& step) {
                script_.push_back(step);
                world_runner::runScript(Json::array({step}), steps);
            };
            run(Json{{"engine", true}});
            run(Json{{"enable", enabledKinds}});
            heap_.push_back(soak::heapInUse());
            for (std::int64_t i = 0; i < options_.perWorld && gesture_ < options_.gestures; ++i) {
                const bool broke = runGesture(*world, *engine.engine(), run);
                ++gesture_;
                if (broke)
                    break;
            }
            engine.detach();
            platform::Scheduler::current().runUntilIdle();
        }
        platform::Scheduler::current().runUntilIdle();
        engine::SnappedWindows::shared().removeAll();
        // The next world starts from the settings' defaults, as a world runner's run does.
        for (const auto* key : settings::Defaults::Keys::all())
            platform::UserDefaults::standard().setObject(std::nullopt, key->name());
    }

    template <class Run>
    bool runGesture(zoral::sim::World& world, const zoral::engine::Engine& engine, const Run& run) {
        using namespace zoral;
        const auto before = soak::livingWindows(world);
        sim::Journal::of(world).clear();
        const soak::Gesture gesture = soak::makeGesture(random_, world, options_.faultRate);
        for (const auto& fault : gesture.faults)
            ++faults_[fault];
        ++kinds_[gesture.kind];
        for (const Json& step : gesture.steps)
            run(step);
        // The gesture and what it started end; a gesture that waits on hung applications may take
        // a while, but not for ever.
        std::vector<soak::Violation> found;
        int waits = 0;
        while (!soak::engineIsIdle(engine) || sim::HardwareInput::of(world).isBusy()) {
            if (++waits > 240) {
                found.push_back({"gesture never ends", "still running after 2 minutes"});
                break;
            }
            run(Json{{"advance", 0.5}});
        }
        // The tooltips fade out after the gesture; an action still under way (waiting, at most
        // once, on an application that stopped answering) keeps its tooltip a while longer.
        run(Json{{"advance", 1}});
        for (int lingering = 0; lingering < 16 && soak::showsGesture(world); ++lingering)
            run(Json{{"advance", 0.5}});
        const auto checked = soak::check(world, engine, before, gesture);
        found.insert(found.end(), checked.begin(), checked.end());
        if ((gesture_ + 1) % 1000 == 0) {
            heap_.push_back(soak::heapInUse());
            if (!options_.quiet) {
                std::cout << "zoral-soak: " << gesture_ + 1 << " gestures, heap "
                          << heap_.back() / 1024 << " KiB" << std::endl;
            }
        }
        if (found.empty())
            return false;
        for (const auto& violation : found) {
            ++violations_[violation.invariant];
            std::cout << "zoral-soak: seed " << options_.seed << " gesture " << gesture_ << " ("
                      << gesture.kind << "): " << violation.invariant << ": " << violation.detail
                      << std::endl;
        }
        if (options_.replayOut && !replayWritten_)
            writeReplay();
        // A world with a broken invariant would report the same fault again: the next world.
        return true;
    }

    // The world and every step taken on it, and the windows printed at the end: the world runner
    // plays the same run up to the violation.
    void writeReplay() {
        replayWritten_ = true;
        const std::filesystem::path scriptPath = *options_.replayOut;
        std::filesystem::path worldPath = scriptPath;
        worldPath += ".world.json";
        Json script = Json::array();
        for (const Json& step : script_)
            script.push_back(step);
        script.push_back(Json{{"windows", Json::object()}});
        std::ofstream(worldPath) << worldFile_.dump(2) << "\n";
        std::ofstream(scriptPath) << script.dump(1) << "\n";
        std::cout << "zoral-soak: replay: zoral-world " << worldPath.string() << " "
                  << scriptPath.string() << " (" << script.size() << " steps)\n";
        std::cout << "zoral-soak: the program's last lines:\n";
        for (const auto& line : log_)
            std::cout << "  " << line << "\n";
        std::cout.flush();
    }

    void checkMemory() {
        // Each world starts afresh: the heap at a world's start after the first few stays
        // within a margin of what it was then.
        if (heap_.size() < 8)
            return;
        const std::size_t early = *std::max_element(heap_.begin() + 1, heap_.begin() + 4);
        const std::size_t late = *std::min_element(heap_.end() - 3, heap_.end());
        if (late > early + early / 2 + 8 * 1024 * 1024) {
            ++violations_["memory grows"];
            std::cout << "zoral-soak: seed " << options_.seed << ": memory grows: from "
                      << early / 1024 << " KiB to " << late / 1024 << " KiB" << std::endl;
        }
    }

    void report() const {
        std::cout << "zoral-soak: seed " << options_.seed << ", " << gesture_ << " gestures\n";
        std::cout << "  gestures by kind:";
        for (const auto& [kind, count] : kinds_)
            std::cout << " " << kind << " " << count << ";";
        std::cout << "\n  faults injected:";
        for (const auto& [kind, count] : faults_)
            std::cout << " " << kind << " " << count << ";";
        std::cout << "\n  violations:";
        for (const auto& [invariant, count] : violations_)
            std::cout << " " << invariant << " " << count << ";";
        if (!heap_.empty()) {
            std::cout << "\n  heap in use (KiB): first " << heap_.front() / 1024 << ", least "
                      << *std::min_element(heap_.begin(), heap_.end()) / 1024 << ", most "
                      << *std::max_element(heap_.begin(), heap_.end()) / 1024 << ", last "
                      << heap_.back() / 1024 << " (" << heap_.size() << " samples)";
        }
        std::cout << std::endl;
    }

    Options options_;
    zoral::soak::Random random_;
    std::int64_t gesture_ = 0;
    std::vector<Json> script_;
    Json worldFile_;
    std::deque<std::string> log_;
    std::map<std::string, std::int64_t> violations_;
    std::map<std::string, std::int64_t> faults_;
    std::map<std::string, std::int64_t> kinds_;
    std::vector<std::size_t> heap_;
    bool replayWritten_ = false;
};

}  // namespace

int main(int argc, char** argv) {
    using namespace zoral;
    const auto options = parseOptions(argc, argv);
    if (!options)
        return 2;
    try {
        const platform::TemporaryHomeDirectory home;
        world_runner::prepareToolkit(home.path());
        platform::ScopedScheduler scheduler;
        for (const auto* key : settings::Defaults::Keys::all())
            key->registerDefault();
        Soak soak(*options);
        return soak.run();
    } catch (const std::exception& error) {
        std::cerr << "zoral-soak: " << error.what() << "\n";
        return 1;
    }
}

#pragma once

// The soak's pieces: a random source that gives the same numbers for a seed on every machine,
// worlds with several displays, applications and kinds of tabs, the gestures a user makes on
// them and what happens to the world meanwhile, all as world-runner steps, so that what a run did
// can be replayed by the world runner; and the checks that hold after every gesture.

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/accessibility.h"
#include "platform/geometry.h"
#include "platform/json.h"

namespace zoral::engine {
class Engine;
}

namespace zoral::sim {
class World;
}

namespace zoral::soak {

// Numbers from a seed by a fixed recipe (no standard distribution, whose recipes differ between
// libraries), so that a seed names the same run everywhere.
class Random {
public:
    explicit Random(std::uint64_t seed);
    std::uint64_t next();
    // In [0, 1).
    double unit();
    double uniform(double low, double high);
    // From low to high, both included.
    int between(int low, int high);
    bool chance(double probability);
    template <class T>
    const T& pick(const std::vector<T>& values) {
        return values[static_cast<std::size_t>(between(0, static_cast<int>(values.size()) - 1))];
    }

private:
    std::uint64_t state_;
};

// A world of two or three displays and a few applications with windows of several levels, some
// with tabs of one of the kinds applications show, a Dock with their tiles; in world-file form.
platform::Json makeWorld(Random& random);

// The displays a world may lose and gain again, in the form a "meanwhile" step adds them.
std::vector<platform::Json> removableDisplays();

// The kinds of what happens to the world while a gesture runs.
inline const std::vector<std::string> faultKinds{
    "hang", "quit", "close", "removeDisplay", "addDisplay", "trusted", "defaults", "overview"};

// One gesture: the steps that make it (what happens meanwhile first, then the hardware's input),
// the kinds of fault it injects, and who may lose windows by it.
struct Gesture {
    std::string kind;
    std::vector<platform::Json> steps;
    std::vector<std::string> faults;
    // Processes quit and windows closed by the faults.
    std::set<platform::ProcessId> quitProcesses;
    std::set<std::string> closedWindows;
    // The application the gesture aims at, whose windows the engine may close or quit.
    std::optional<platform::ProcessId> target;
};

// A gesture on the world as it is now, with faults at the rate given.
Gesture makeGesture(Random& random, sim::World& world, double faultRate);

// What one check found wrong: the invariant's name and what was seen.
struct Violation {
    std::string invariant;
    std::string detail;
};

// The invariants' names, in the order reports list them.
inline const std::vector<std::string> invariantNames{"window lost",
                                                     "window off every display",
                                                     "device modifier held",
                                                     "engine modifier held",
                                                     "cursor hidden",
                                                     "tooltip up",
                                                     "registry holds a gone window",
                                                     "gesture never ends",
                                                     "memory grows"};

// The application windows that live now, by their names in the world.
struct LivingWindow {
    platform::ProcessId pid = 0;
    std::string name;
};
std::map<std::string, LivingWindow> livingWindows(sim::World& world);

// Whether the engine is between gestures.
bool engineIsIdle(const engine::Engine& engine);

// Whether the program still shows a gesture: a tooltip up or the cursor hidden.
bool showsGesture(sim::World& world);

// The checks after a gesture, with the windows that lived before it; the journal of the world
// tells what the engine asked of the system during the gesture.
std::vector<Violation> check(sim::World& world, const engine::Engine& engine,
                             const std::map<std::string, LivingWindow>& before,
                             const Gesture& gesture);

// Bytes of the heap in use now.
std::size_t heapInUse();

}  // namespace zoral::soak

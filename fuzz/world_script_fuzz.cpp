// World runner scripts, run against the default world: whatever a script holds runs or stops at
// a step with its place, never crashes, and the world it leaves answers every call and dumps into
// a file that loads back into an equal world.

#include <cstddef>
#include <cstdint>

#include "platform/scheduler.h"
#include "script.h"
#include "sim/world.h"
#include "sim/world_file.h"
#include "world_fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zoral;
    const auto input = fuzz::decodeInput(data, size);
    static const platform::Json defaultWorld = sim::readJsonFile(ZORAL_DEFAULT_WORLD);
    if (!input)
        return 0;
    platform::ScopedScheduler scheduler;
    sim::ScopedWorld world;
    sim::loadWorld(*world, defaultWorld);
    try {
        world_runner::runScript(*input);
    } catch (const world_runner::ScriptError&) {
        // stopped at a step, as a faulty script should
    }
    scheduler->runUntilIdle();
    fuzz::checkWorld(*world);
    return 0;
}

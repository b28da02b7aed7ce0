// World files: whatever a file holds loads or is refused with its place, never crashes; a world
// that loads answers every call and dumps into a file that loads back into an equal world.

#include <cstddef>
#include <cstdint>

#include "platform/scheduler.h"
#include "sim/world.h"
#include "sim/world_file.h"
#include "world_fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zoral;
    const auto input = fuzz::decodeInput(data, size);
    if (!input)
        return 0;
    platform::ScopedScheduler scheduler;
    sim::ScopedWorld world;
    try {
        sim::loadWorld(*world, *input);
    } catch (const sim::WorldFileError&) {
        return 0;  // refused, as bad input should be
    }
    fuzz::checkWorld(*world);
    scheduler->runUntilIdle();
    return 0;
}

// Loading a world of 1,000, 4,000 and 16,000 windows (ten to an application, one display): the
// time must grow in proportion to the windows.

#include <cstdint>
#include <string>

#include <benchmark/benchmark.h>

#include "platform/home.h"
#include "platform/json.h"
#include "platform/scheduler.h"
#include "sim/world.h"
#include "sim/world_file.h"

namespace {

using namespace zoral;
using platform::Json;

Json crowdedWorld(std::int64_t windows) {
    Json processes = Json::array();
    for (std::int64_t index = 0; index < windows; ++index) {
        if (index % 10 == 0) {
            const std::int64_t pid = 1000 + index / 10;
            processes.push_back({{"pid", pid},
                                 {"bundleIdentifier", "org.example.app" + std::to_string(pid)},
                                 {"name", "App"},
                                 {"children", Json::array()}});
        }
        const double offset = static_cast<double>(index % 50) * 8;
        processes.back()["children"].push_back(
            {{"role", "AXWindow"},
             {"attributes",
              {{"AXTitle", "Window " + std::to_string(index)},
               {"AXPosition", {{"point", {offset, 25 + offset}}}},
               {"AXSize", {{"size", {600, 400}}}}}},
             {"window", {{"number", 100000 + index}}}});
    }
    return {
        {"displays",
         {{{"number", 1}, {"uuid", "MAIN"}, {"frame", {0, 0, 1440, 900}}, {"menuBarHeight", 25}}}},
        {"processes", processes},
        {"windowOrder", {100000, 100001}}};
}

void BM_LoadWorld(benchmark::State& state) {
    const platform::TemporaryHomeDirectory home;
    const platform::ScopedScheduler scheduler;
    const Json file = crowdedWorld(state.range(0));
    for (auto _ : state) {
        const sim::ScopedWorld world;
        sim::loadWorld(*world, file);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_LoadWorld)->Arg(1000)->Arg(4000)->Arg(16000)->Unit(benchmark::kMillisecond);

}  // namespace

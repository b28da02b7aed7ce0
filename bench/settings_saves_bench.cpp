// What the settings writes of a gesture cost the main queue: every finished gesture counts itself
// and its action in the program's settings. 1,000 gestures a quarter of a second apart on the
// virtual clock, each gesture's writes made in main-queue work as the gesture makes them, into a
// home on disk (the system's temporary directory, or TMPDIR). Reports the wall time the main queue
// spent in those writes per gesture (mean, 99th percentile), the saves made inside them and
// outside them per gesture, and the wall time of each save made outside the main queue.

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include <benchmark/benchmark.h>
#include <sys/stat.h>

#include "platform/dispatch.h"
#include "platform/home.h"
#include "platform/output.h"
#include "platform/scheduler.h"
#include "platform/user_defaults.h"
#include "settings/defaults.h"
#include "settings/defaults_keys.h"

namespace {

using namespace zoral;
using Clock = std::chrono::steady_clock;
using settings::Defaults::Keys;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Each save puts a new file in place, made while the old one was still there: a save since the
// last look shows as a file of another identity.
class Saves {
public:
    // Whether the file was replaced since the last look.
    bool replaced() {
        struct stat status {};
        std::optional<std::pair<dev_t, ino_t>> now;
        if (const auto path =
                platform::preferencesFile(platform::UserDefaults::standard().domainName());
            path && ::stat(path->c_str(), &status) == 0) {
            now = std::pair{status.st_dev, status.st_ino};
        }
        const bool changed = now != seen_;
        seen_ = now;
        return changed;
    }

private:
    std::optional<std::pair<dev_t, ino_t>> seen_;
};

void BM_GestureSettingsWrites(benchmark::State& state) {
    const auto previousSink = platform::output::setSink([](std::string_view) {});
    constexpr int gestures = 1000;
    constexpr double between = 0.25;
    std::vector<double> mainSeconds;
    double behindSeconds = 0;
    std::int64_t savesInMain = 0;
    std::int64_t savesBehind = 0;
    for (auto _ : state) {
        const platform::TemporaryHomeDirectory home;
        const platform::ScopedScheduler scheduler;
        platform::UserDefaults::resetForTesting();
        for (const auto* key : Keys::all())
            key->registerDefault();
        Saves saves;
        mainSeconds.clear();
        behindSeconds = 0;
        savesInMain = savesBehind = 0;
        for (int gesture = 0; gesture < gestures; ++gesture) {
            double inMain = 0;
            platform::DispatchQueue::main().async([&] {
                const auto start = Clock::now();
                settings::Defaults::updateValue(Keys::numberOfActions(),
                                                [](settings::ActionUserTypeCounts& counts) {
                                                    ++counts[settings::ActionUserType::snapMax];
                                                });
                const double first = secondsSince(start);
                savesInMain += saves.replaced() ? 1 : 0;
                const auto second = Clock::now();
                settings::Defaults::updateValue(Keys::numberOfZodiriz(),
                                                [](std::int64_t& count) { ++count; });
                inMain = first + secondsSince(second);
                savesInMain += saves.replaced() ? 1 : 0;
            });
            const auto start = Clock::now();
            scheduler->advance(between);
            behindSeconds += secondsSince(start) - inMain;
            mainSeconds.push_back(inMain);
            savesBehind += saves.replaced() ? 1 : 0;
        }
        platform::UserDefaults::resetForTesting();
    }
    platform::output::setSink(previousSink);

    std::sort(mainSeconds.begin(), mainSeconds.end());
    double total = 0;
    for (const double seconds : mainSeconds)
        total += seconds;
    state.counters["main_us_per_gesture"] = total / gestures * 1e6;
    state.counters["main_p99_us"] =
        mainSeconds[static_cast<std::size_t>(0.99 * static_cast<double>(mainSeconds.size() - 1))] *
        1e6;
    state.counters["saves_in_main_per_gesture"] = static_cast<double>(savesInMain) / gestures;
    state.counters["saves_behind_per_gesture"] = static_cast<double>(savesBehind) / gestures;
    state.counters["behind_us_per_save"] =
        savesBehind > 0 ? behindSeconds / static_cast<double>(savesBehind) * 1e6 : 0;
}

BENCHMARK(BM_GestureSettingsWrites)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

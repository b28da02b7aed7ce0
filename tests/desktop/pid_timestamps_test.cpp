#include "desktop/pid_timestamps.h"

#include <cstdint>
#include <latch>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

namespace zoral::desktop {
namespace {

// The operations on all windows stamp from a global queue while the main thread reads the stamps
// and takes them one by one. Here real threads do both at once: without the lock the maps are
// rebalanced under each other's feet, which corrupts them or loses stamps. The end state does not
// depend on the interleaving, so the checks are exact.
TEST(PidTimestamps, StampsWrittenFromOtherThreadsWhileTheMainThreadTakesOthersAreAllKept) {
    PidTimestamps timestamps;
    constexpr int writers = 4;
    constexpr std::int64_t stampsPerWriter = 5000;
    // Two writers share each process, with even and odd identities, so that the table of one
    // process grows from two threads as well.
    const auto pidOf = [](int writer) { return platform::ProcessId{100 + writer / 2}; };
    const auto idOf = [](int writer, std::int64_t n) { return n * 2 + writer % 2; };

    // Stamps that the main thread takes while the writers run, as unminimizeLast would.
    constexpr platform::ProcessId takenPid = 7;
    constexpr std::int64_t taken = 2000;
    for (std::int64_t id = 0; id < taken; ++id)
        timestamps.record(takenPid, id, static_cast<double>(id));

    std::latch start(writers + 1);
    // Joined however the test ends.
    std::vector<std::jthread> threads;
    for (int writer = 0; writer < writers; ++writer) {
        threads.emplace_back([&, writer] {
            start.arrive_and_wait();
            for (std::int64_t n = 0; n < stampsPerWriter; ++n)
                timestamps.record(pidOf(writer), idOf(writer, n), static_cast<double>(n));
        });
    }
    start.arrive_and_wait();
    for (std::int64_t expected = taken - 1; expected >= 0; --expected) {
        const auto latest = timestamps.latest(takenPid);
        ASSERT_EQ(latest, expected);
        timestamps.remove(takenPid, *latest);
        // A copy read mid-way holds only whole stamps.
        if (expected % 64 != 0)
            continue;
        if (const auto stamps =
                timestamps.stamps(pidOf(static_cast<int>(expected / 64 % writers)))) {
            for (const auto& [id, time] : *stamps)
                ASSERT_EQ(time, static_cast<double>(id / 2));
        }
    }
    threads.clear();

    EXPECT_TRUE(timestamps.stamps(takenPid)->empty());
    for (int writer = 0; writer < writers; writer += 2) {
        const auto stamps = timestamps.stamps(pidOf(writer));
        ASSERT_TRUE(stamps);
        EXPECT_EQ(stamps->size(), static_cast<std::size_t>(2 * stampsPerWriter));
        // Both writers reached the same time; the later identity of equal times wins.
        EXPECT_EQ(timestamps.latest(pidOf(writer)), idOf(1, stampsPerWriter - 1));
    }
}

}  // namespace
}  // namespace zoral::desktop

// What a gesture's settings cost the disk: every finished gesture counts itself and its action in
// the program's settings, and those counts reach the file in saves that gather the gestures of a
// delay, however fast the gestures come.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <utility>
#include <vector>

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "defaults_fixture.h"
#include "platform/plist_serialization.h"
#include "settings/defaults.h"
#include "settings/defaults_keys.h"
#include "support/captured_output.h"

namespace zoral::settings {
namespace {

namespace fs = std::filesystem;
using Defaults::Keys;
using platform::UserDefaults;

// The writes of one finished gesture, as the gesture makes them.
void finishGesture() {
    Defaults::updateValue(Keys::numberOfActions(),
                          [](ActionUserTypeCounts& counts) { ++counts[ActionUserType::snapMax]; });
    Defaults::updateValue(Keys::numberOfZodiriz(), [](std::int64_t& count) { ++count; });
}

class SavesPerGesture : public testing::DefaultsTest {
protected:
    fs::path file() const {
        return home() / "Library" / "Preferences" / (testing::standard().domainName() + ".plist");
    }

    // The gesture count the file holds; 0 without a file.
    std::int64_t countOnDisk() const {
        std::ifstream stream(file(), std::ios::binary);
        if (!stream)
            return 0;
        const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(stream),
                                              std::istreambuf_iterator<char>()};
        const auto read = platform::readPlist(bytes);
        const auto* count = read.object.find(Keys::numberOfZodiriz().name());
        if (count == nullptr)
            return 0;
        const auto integer = count->integerValue();
        return integer ? integer->int64Value().value_or(-1) : -1;
    }

    // Each save puts a new file in place, made while the old one was still there.
    std::optional<std::pair<dev_t, ino_t>> fileIdentity() const {
        struct stat status {};
        if (::stat(file().c_str(), &status) != 0)
            return std::nullopt;
        return std::pair{status.st_dev, status.st_ino};
    }

    zoral::testing::ScopedOutputCapture output_;
};

TEST_F(SavesPerGesture, AThousandGesturesMakeASaveADelayAndEachIsOnDiskWithinIt) {
    constexpr int gestures = 1000;
    const double delay = UserDefaults::saveDelay;
    struct Case {
        const char* name;
        double between;  // seconds from one gesture to the next
        std::size_t mostSaves;
    };
    const std::vector<Case> cases = {
        // Played back to back: a thousand in two seconds.
        {"back to back", 0.002, 3},
        // A user's brisk pace: one save a delay at most, where each gesture made two before.
        {"brisk", 0.25, static_cast<std::size_t>(gestures * 0.25 / delay) + 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::error_code ignored;
        fs::remove(file(), ignored);
        relaunch();
        std::vector<double> finishedAt;
        std::size_t saves = 0;
        auto identity = fileIdentity();
        for (int gesture = 0; gesture < gestures; ++gesture) {
            finishGesture();
            finishedAt.push_back(scheduler().now().uptimeSeconds());
            scheduler().advance(c.between);
            if (const auto now = fileIdentity(); now != identity) {
                ++saves;
                identity = now;
            }
            // Every gesture finished a delay ago or more is on disk.
            const double now = scheduler().now().uptimeSeconds();
            const auto due = static_cast<std::int64_t>(
                std::count_if(finishedAt.begin(), finishedAt.end(),
                              [&](double at) { return at <= now - delay; }));
            ASSERT_GE(countOnDisk(), due) << "after gesture " << gesture;
        }
        scheduler().advance(delay);
        EXPECT_EQ(countOnDisk(), gestures);
        EXPECT_GE(saves, 1U);
        EXPECT_LE(saves + (fileIdentity() != identity ? 1 : 0), c.mostSaves);
        EXPECT_EQ(Defaults::readValue(Keys::numberOfActions()),
                  (ActionUserTypeCounts{{ActionUserType::snapMax, gestures}}));
    }
    EXPECT_TRUE(output_.lines().empty()) << output_.text();
}

}  // namespace
}  // namespace zoral::settings

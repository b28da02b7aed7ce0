#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "platform/user_defaults.h"
#include "support/temporary_home.h"
#include "support/virtual_clock.h"

namespace zoral::settings::testing {

inline platform::UserDefaults& standard() {
    return platform::UserDefaults::standard();
}

// What the user's own settings hold, without registered defaults.
platform::PlistDictionary persisted();
// What they hold under the name.
std::optional<platform::PlistObject> persistedObject(const std::string& name);

// Stores text under the name as a setting's stored form would be.
void storeText(const std::string& name, const std::string& text);

// Every test gets a home directory of its own and user defaults read from it, with the program's
// settings registered as a freshly started process has them.
class DefaultsTest : public zoral::testing::VirtualClockTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // As a new launch would: the user defaults forget everything, read their files again, and the
    // program's settings register their defaults anew.
    void relaunch();

    const std::filesystem::path& home() const { return home_->path(); }

private:
    std::optional<zoral::testing::TemporaryHome> home_;
};

}  // namespace zoral::settings::testing

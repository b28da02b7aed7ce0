#include "defaults_fixture.h"

#include <cstdlib>

#include <gtest/gtest.h>

#include "settings/defaults_keys.h"

namespace zoral::settings::testing {

namespace fs = std::filesystem;

void DefaultsTest::SetUp() {
    std::string pattern = (fs::temp_directory_path() / "zoral-settings-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    home_ = pattern;
    if (const char* previous = std::getenv("HOME"))
        previousHome_ = previous;
    ::setenv("HOME", home_.c_str(), 1);
    relaunch();
}

void DefaultsTest::TearDown() {
    // Reset while HOME is still ours: nothing may read or write the real home's files.
    platform::UserDefaults::resetForTesting();
    if (previousHome_) {
        ::setenv("HOME", previousHome_->c_str(), 1);
    } else {
        ::unsetenv("HOME");
    }
    std::error_code ignored;
    fs::remove_all(home_, ignored);
}

void DefaultsTest::relaunch() {
    platform::UserDefaults::resetForTesting();
    // The keys live as long as the process and registered once; the reset forgot that.
    for (const auto* key : Defaults::Keys::all())
        key->registerDefault();
}

platform::PlistDictionary persisted() {
    return standard().persistentDomainForName(standard().domainName());
}

std::optional<platform::PlistObject> persistedObject(const std::string& name) {
    const auto values = persisted();
    const auto found = values.find(name);
    if (found == values.end())
        return std::nullopt;
    return found->second;
}

void storeText(const std::string& name, const std::string& text) {
    standard().setObject(platform::PlistObject::string(text), name);
}

}  // namespace zoral::settings::testing

#include "defaults_fixture.h"

#include <gtest/gtest.h>

#include "settings/defaults_keys.h"

namespace zoral::settings::testing {

void DefaultsTest::SetUp() {
    home_.emplace();
    relaunch();
}

void DefaultsTest::TearDown() {
    home_.reset();
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

// The settings store's decoding of stored text, for every kind of value that it
// keeps as text: whatever a preferences file holds must read as a value or as
// nothing, never crash. Decoding failures print a line; the sink swallows them.

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/output.h"
#include "platform/plist_object.h"
#include "settings/defaults_keys.h"
#include "settings/defaults_storage.h"

namespace {

template <class T>
void decode(const zoral::platform::PlistObject& object) {
    (void)zoral::settings::Defaults::detail::valueFromObject<T>(object, "fuzzed");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zoral::settings;
    static const auto quiet = zoral::platform::output::setSink([](std::string_view) {});
    (void)quiet;
    const auto object = zoral::platform::PlistObject::string(
        std::string(reinterpret_cast<const char*>(data), size));
    decode<ActionUserTypeSet>(object);
    decode<ActionUserTypeCounts>(object);
    decode<TabAppTypeSet>(object);
    decode<std::set<std::string>>(object);
    decode<MultitouchSensitivity>(object);
    decode<ModifierFlags>(object);
    decode<HotkeysArrowLayout>(object);
    return 0;
}

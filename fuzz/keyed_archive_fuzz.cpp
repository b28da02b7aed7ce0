// The keyed unarchiver on arbitrary bytes, for a class that decodes every kind of value and nests
// itself, and for roots of the system's own classes. A KeyedArchiveError is the expected answer to
// bad input; anything else escapes and is a finding. What decodes must archive again, and the
// archive must decode to the same archive.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/keyed_archive.h"

namespace {

using zoral::platform::KeyedArchiveError;
using zoral::platform::KeyedArchiver;
using zoral::platform::KeyedUnarchiver;
using zoral::platform::PlistData;

struct Item {
    static constexpr std::string_view className = "Item";
    static constexpr bool supportsSecureCoding = true;

    std::optional<std::string> name;
    std::optional<PlistData> blob;
    std::optional<bool> flag;
    std::optional<std::int64_t> count;
    std::optional<double> ratio;
    std::optional<std::vector<std::string>> labels;
    std::optional<std::vector<double>> numbers;
    std::vector<Item> children;

    void encodeWithCoder(KeyedArchiver& coder) const {
        coder.encodeObject(name, "name");
        coder.encodeObject(blob, "blob");
        if (flag)
            coder.encodeBool(*flag, "flag");
        if (count)
            coder.encodeInt64(*count, "count");
        if (ratio)
            coder.encodeDouble(*ratio, "ratio");
        coder.encodeObject(labels, "labels");
        coder.encodeObject(numbers, "numbers");
        coder.encodeObject(children, "children");
    }
    static Item initWithCoder(KeyedUnarchiver& coder) {
        Item item;
        item.name = coder.decodeObjectOfClass<std::string>("name");
        item.blob = coder.decodeObjectOfClass<PlistData>("blob");
        item.flag = coder.decodeBoolForKey("flag");
        item.count = coder.decodeInt64ForKey("count");
        item.ratio = coder.decodeDoubleForKey("ratio");
        item.labels = coder.decodeArrayOfObjectsOfClass<std::string>("labels");
        item.numbers = coder.decodeArrayOfObjectsOfClass<double>("numbers");
        item.children =
            coder.decodeArrayOfObjectsOfClass<Item>("children").value_or(std::vector<Item>{});
        if (coder.containsValueForKey("$refuse"))
            coder.failWithError("refused");
        return item;
    }
};

template <class T>
void roundTrip(const T& value) {
    std::vector<std::uint8_t> first;
    try {
        first = KeyedArchiver::archivedDataWithRootObject(value, true);
    } catch (const KeyedArchiveError&) {
        return;  // a string that is not UTF-8 cannot be written
    }
    // By bytes, so that NaN compares equal to itself.
    const auto again = KeyedUnarchiver::unarchivedObjectOfClass<T>(first);  // must not throw
    if (!again || KeyedArchiver::archivedDataWithRootObject(*again, true) != first)
        std::abort();
}

template <class T>
void unarchive(std::span<const std::uint8_t> data) {
    try {
        if (const auto value = KeyedUnarchiver::unarchivedObjectOfClass<T>(data))
            roundTrip(*value);
    } catch (const KeyedArchiveError&) {
    }
    try {
        (void)KeyedUnarchiver::unarchiveTopLevelObjectWithData<T>(data);
    } catch (const KeyedArchiveError&) {
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    unarchive<Item>(bytes);
    unarchive<std::vector<Item>>(bytes);
    unarchive<std::string>(bytes);
    unarchive<std::int64_t>(bytes);
    return 0;
}

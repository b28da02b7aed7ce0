#include "sim/world_file.h"

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

#include "platform/regular_file.h"
#include "sim/element_names.h"
#include "sim/json_codec.h"
#include "sim/world_format.h"

namespace zoral::sim {

namespace ax = platform::ax;
using platform::Json;

Json readJsonFile(const std::filesystem::path& path, std::size_t maxSize) {
    const auto fault = [&](const std::string& what) {
        return WorldFileError(path.string() + ": " + what);
    };
    // Only a regular file is read, without waiting on a pipe or reading a device for ever, and a
    // file over the limit not at all.
    auto read = platform::readRegularFile(path, maxSize);
    if (const auto* failure = std::get_if<platform::FileReadFailure>(&read)) {
        using Kind = platform::FileReadFailure::Kind;
        switch (failure->kind) {
            case Kind::missing:
                throw fault("no such file");
            case Kind::notRegular:
                throw fault("is " + failure->reason + ", not a file");
            case Kind::tooLarge:
                throw fault("is " + failure->reason);
            case Kind::unreadable:
                break;
        }
        throw fault("cannot be read: " + failure->reason);
    }
    const auto& bytes = std::get<std::vector<std::uint8_t>>(read);
    auto decoded = platform::decodeJson(std::string(bytes.begin(), bytes.end()));
    if (!decoded.ok())
        throw fault(decoded.error());
    return std::move(decoded).value();
}

void loadWorldFile(World& world, const std::filesystem::path& path) {
    const Json file = readJsonFile(path);
    try {
        loadWorld(world, file);
    } catch (const WorldFileError& error) {
        throw WorldFileError(path.string() + ": " + error.what());
    }
}

std::string elementName(World& world, ax::Element element) {
    return ElementNames::of(world).nameOf(element);
}

std::optional<ax::Element> elementNamed(World& world, const std::string& name) {
    return ElementNames::of(world).elementNamed(name);
}

ax::Value valueFromJson(World& world, const Json& json) {
    AttributeValue value;
    try {
        value = json_codec::read<AttributeValue>(json, {});
    } catch (const json_codec::FormatError& error) {
        throw WorldFileError(error.what());
    }
    const ElementNames& names = ElementNames::of(world);
    return toValue(value, [&](const ElementReference& reference) {
        const auto element = names.elementFor(reference);
        if (!element)
            throw WorldFileError("no element is named \"" + *reference.name + "\"");
        return *element;
    });
}

Json valueToJson(World& world, const ax::Value& value) {
    ElementNames& names = ElementNames::of(world);
    return json_codec::write(toAttributeValue(value, [&](ax::Element element) {
        if (world.resolve(element) == nullptr)
            return ElementReference{};
        return ElementReference{names.nameOf(element)};
    }));
}

}  // namespace zoral::sim

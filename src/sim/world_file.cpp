#include "sim/world_file.h"

#include <fstream>
#include <sstream>
#include <system_error>

#include "sim/element_names.h"
#include "sim/json_codec.h"
#include "sim/world_format.h"

namespace zoral::sim {

namespace ax = platform::ax;
using platform::Json;

Json readJsonFile(const std::filesystem::path& path) {
    const auto fault = [&](const std::string& what) {
        return WorldFileError(path.string() + ": " + what);
    };
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (status.type() == std::filesystem::file_type::not_found)
        throw fault("no such file");
    if (status.type() == std::filesystem::file_type::directory)
        throw fault("is a directory, not a file");
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    if (!in || !(text << in.rdbuf()))
        throw fault("cannot be read");
    auto decoded = platform::decodeJson(text.str());
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

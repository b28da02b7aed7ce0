#pragma once

// The names of a world's elements, as world files, dumps and the world runner use them: the ids
// that a file gives, and names made up for elements named later ("element-1", "element-2", ...),
// counted in each world on its own, so that a world's names never depend on what else ran in the
// process. A component of the world.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "platform/accessibility.h"
#include "sim/world_description.h"

namespace zoral::sim {

class World;

class ElementNames {
public:
    static ElementNames& of(World& world);

    // The element's name, made up when it has none.
    std::string nameOf(platform::ax::Element element);
    std::optional<std::string> existingNameOf(platform::ax::Element element) const;
    std::optional<platform::ax::Element> elementNamed(std::string_view name) const;
    bool isTaken(std::string_view name) const { return byName_.contains(name); }
    // Gives the element a name that is not taken.
    void add(const std::string& name, platform::ax::Element element);

    // The element a reference names; for a reference to a gone element, an element that answers
    // every call as invalid. None for a name no element has.
    std::optional<platform::ax::Element> elementFor(const ElementReference& reference) const;

private:
    std::map<std::string, platform::ax::Element, std::less<>> byName_;
    std::unordered_map<platform::ax::Element, std::string> byElement_;
    std::uint64_t madeUp_ = 0;
};

}  // namespace zoral::sim

#include "sim/element_names.h"

#include "sim/node.h"
#include "sim/world.h"

namespace zoral::sim {

ElementNames& ElementNames::of(World& world) {
    return world.component<ElementNames>();
}

std::string ElementNames::nameOf(platform::ax::Element element) {
    if (auto found = byElement_.find(element); found != byElement_.end())
        return found->second;
    // A file may have taken a name of this form already.
    std::string name;
    do {
        name = "element-" + std::to_string(++madeUp_);
    } while (isTaken(name));
    add(name, element);
    return name;
}

std::optional<std::string> ElementNames::existingNameOf(platform::ax::Element element) const {
    if (auto found = byElement_.find(element); found != byElement_.end())
        return found->second;
    return std::nullopt;
}

std::optional<platform::ax::Element> ElementNames::elementNamed(std::string_view name) const {
    if (auto found = byName_.find(name); found != byName_.end())
        return found->second;
    return std::nullopt;
}

void ElementNames::add(const std::string& name, platform::ax::Element element) {
    byName_.emplace(name, element);
    byElement_.emplace(element, name);
}

std::optional<platform::ax::Element> ElementNames::elementFor(
    const ElementReference& reference) const {
    if (reference.name)
        return elementNamed(*reference.name);
    // A node that no world ever registers: its element resolves nowhere, as a closed one.
    return std::make_shared<Node>(platform::ProcessId{0}, std::string("AXUnknown"))->element();
}

}  // namespace zoral::sim

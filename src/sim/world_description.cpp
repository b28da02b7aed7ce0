#include "sim/world_description.h"

#include <type_traits>

namespace zoral::sim {

namespace ax = platform::ax;

ax::Value toValue(const AttributeValue& value,
                  const std::function<ax::Element(const ElementReference&)>& elementOf) {
    return std::visit(
        [&](const auto& v) -> ax::Value {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, ElementReference>) {
                return elementOf(v);
            } else if constexpr (std::is_same_v<T, AttributeValue::Array>) {
                ax::Value::Array items;
                items.reserve(v.size());
                for (const AttributeValue& item : v)
                    items.push_back(toValue(item, elementOf));
                return items;
            } else {
                return v;
            }
        },
        value.value);
}

AttributeValue toAttributeValue(const ax::Value& value,
                                const std::function<ElementReference(ax::Element)>& referenceTo) {
    return std::visit(
        [&](const auto& v) -> AttributeValue {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, ax::Element>) {
                return {referenceTo(v)};
            } else if constexpr (std::is_same_v<T, ax::Value::Array>) {
                AttributeValue::Array items;
                items.reserve(v.size());
                for (const ax::Value& item : v)
                    items.push_back(toAttributeValue(item, referenceTo));
                return {std::move(items)};
            } else {
                return {v};
            }
        },
        value.storage());
}

}  // namespace zoral::sim

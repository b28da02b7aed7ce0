#include "engine/gesture/origin_classification.h"

namespace zoral::engine {

std::optional<Origin> originAtPointer(const platform::CGEvent&) {
    return std::nullopt;
}

std::optional<Origin> originForHotkey() {
    return std::nullopt;
}

std::map<std::string, double>& titlebarHeightCache() {
    static std::map<std::string, double> cache;
    return cache;
}

}  // namespace zoral::engine

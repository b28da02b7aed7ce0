#include "engine/model/tooltip_style.h"

namespace zoral::engine {

std::ostream& operator<<(std::ostream& stream, const TooltipStyle& style) {
    return stream << '(' << platform::caseName(style.shape) << ", "
                  << platform::rawValue(style.image) << ", " << platform::caseName(style.colour)
                  << ", " << static_cast<int>(style.variant) << ')';
}

}  // namespace zoral::engine

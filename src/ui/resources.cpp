#include "ui/resources.h"

namespace zoral::ui {

std::string resourcePath(std::string_view relative) {
    return ":/zoral/" + std::string(relative);
}

}  // namespace zoral::ui

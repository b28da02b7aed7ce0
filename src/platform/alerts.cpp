#include "platform/alerts.h"

namespace zoral::platform {

std::vector<std::string> Alert::buttonTitles() const {
    if (buttons_.empty())
        return {"OK"};
    return buttons_;
}

}  // namespace zoral::platform

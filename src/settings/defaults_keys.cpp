#include "settings/defaults_keys.h"

#include <utility>

namespace zoral::settings::Defaults {

std::shared_ptr<platform::UserDefaults> standardSuite() {
    // Shares a control block that is never released, so the suite never reads as gone.
    static const auto* anchor = new std::shared_ptr<const int>(std::make_shared<const int>(0));
    return std::shared_ptr<platform::UserDefaults>(*anchor, &platform::UserDefaults::standard());
}

Keys::Keys(std::string name, std::shared_ptr<platform::UserDefaults> suite)
    : name_(std::move(name)), suite_(std::move(suite)) {}

}  // namespace zoral::settings::Defaults

#include "desktop/snapped_window_registry.h"

#include "platform/process_state.h"

namespace zoral::desktop {

namespace {

class EmptyRegistry final : public SnappedWindowRegistry {
public:
    bool isSnapped(const Window&) const override { return false; }
    std::optional<platform::CGRect> frameBeforeSnap(const Window&) const override {
        return std::nullopt;
    }
    std::size_t count() const override { return 0; }
    void unsnap(const std::shared_ptr<Window>&) override {}
};

struct Installed {
    SnappedWindowRegistry* registry = nullptr;
};

SnappedWindowRegistry*& installed() {
    return platform::processPart<Installed>().registry;
}

}  // namespace

SnappedWindowRegistry& SnappedWindowRegistry::shared() {
    static EmptyRegistry empty;
    SnappedWindowRegistry* registry = installed();
    return registry != nullptr ? *registry : empty;
}

void SnappedWindowRegistry::install(SnappedWindowRegistry* registry) {
    installed() = registry;
}

}  // namespace zoral::desktop

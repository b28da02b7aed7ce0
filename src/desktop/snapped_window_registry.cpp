#include "desktop/snapped_window_registry.h"

#include <utility>

namespace zoral::desktop {

SnappedWindowRegistry& SnappedWindowRegistry::shared() {
    static SnappedWindowRegistry registry;
    return registry;
}

bool SnappedWindowRegistry::isSnapped(const Window& window) const {
    return entries_.contains(window);
}

std::optional<platform::CGRect> SnappedWindowRegistry::frameBeforeSnap(const Window& window) const {
    const auto found = entries_.find(window);
    if (found == entries_.end())
        return std::nullopt;
    return found->second.frameBeforeSnap;
}

void SnappedWindowRegistry::insert(const std::shared_ptr<Window>& window, Entry entry) {
    if (!window)
        return;
    entries_.erase(window);
    entries_.emplace(window, entry);
}

std::optional<SnappedWindowRegistry::Entry> SnappedWindowRegistry::remove(const Window& window) {
    const auto found = entries_.find(window);
    if (found == entries_.end())
        return std::nullopt;
    Entry entry = found->second;
    entries_.erase(found);
    return entry;
}

void SnappedWindowRegistry::unsnap(const std::shared_ptr<Window>& window) {
    if (!window || !isSnapped(*window))
        return;
    if (unsnap_) {
        unsnap_(window);
    } else {
        remove(*window);
    }
}

}  // namespace zoral::desktop

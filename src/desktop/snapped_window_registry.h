#pragma once

// The registry of snapped windows, as the desktop model sees it: whether a window is snapped, the
// frame it had before it was first snapped, and a way to unsnap it. The snap engine owns the real
// registry and installs it here when it is first used; until then no window is snapped, so the
// empty registry answers. Only the main thread touches it.

#include <cstddef>
#include <memory>
#include <optional>

#include "desktop/window.h"
#include "platform/geometry.h"

namespace zoral::desktop {

class SnappedWindowRegistry {
public:
    // The installed registry, else one in which nothing is snapped.
    static SnappedWindowRegistry& shared();
    // Makes the registry the shared one; null puts the empty one back. The registry must outlive
    // its installation.
    static void install(SnappedWindowRegistry* registry);

    virtual ~SnappedWindowRegistry() = default;

    virtual bool isSnapped(const Window& window) const = 0;
    // Accessibility coordinates; none for a window that is not snapped.
    virtual std::optional<platform::CGRect> frameBeforeSnap(const Window& window) const = 0;
    virtual std::size_t count() const = 0;
    // Puts a snapped window back where it was before snapping and forgets it; a window that is not
    // snapped is left alone.
    virtual void unsnap(const std::shared_ptr<Window>& window) = 0;

protected:
    SnappedWindowRegistry() = default;
    SnappedWindowRegistry(const SnappedWindowRegistry&) = default;
    SnappedWindowRegistry& operator=(const SnappedWindowRegistry&) = default;
};

}  // namespace zoral::desktop

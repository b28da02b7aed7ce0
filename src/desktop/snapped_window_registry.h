#pragma once

// The registry of snapped windows, as the other parts of the desktop model see it: whether a
// window is snapped, the frame it had before it was first snapped, and a way to unsnap it. The
// snap engine fills it (insert, remove) and installs the unsnap operation; until it does, unsnap
// only forgets the window. Only the main thread touches the registry.

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <unordered_map>

#include "desktop/window.h"
#include "platform/geometry.h"

namespace zoral::desktop {

class SnappedWindowRegistry {
public:
    struct Entry {
        // Accessibility coordinates: kept across repeated snaps of the same window.
        platform::CGRect frameBeforeSnap;
    };
    using Unsnap = std::function<void(const std::shared_ptr<Window>&)>;

    // The process-wide registry.
    static SnappedWindowRegistry& shared();

    bool isSnapped(const Window& window) const;
    std::optional<platform::CGRect> frameBeforeSnap(const Window& window) const;
    std::size_t count() const { return entries_.size(); }

    // Replaces the window's entry.
    void insert(const std::shared_ptr<Window>& window, Entry entry);
    std::optional<Entry> remove(const Window& window);
    void removeAll() { entries_.clear(); }

    // Unsnaps a snapped window through the installed operation; a window that is not snapped is
    // left alone.
    void unsnap(const std::shared_ptr<Window>& window);
    void setUnsnap(Unsnap unsnap) { unsnap_ = std::move(unsnap); }

private:
    // Transparent, so that a window is looked up by reference without owning it.
    struct WindowHash {
        using is_transparent = void;
        std::size_t operator()(const Window& window) const { return window.hash(); }
        std::size_t operator()(const std::shared_ptr<Window>& window) const {
            return window->hash();
        }
    };
    struct WindowEqual {
        using is_transparent = void;
        static const Window& of(const Window& window) { return window; }
        static const Window& of(const std::shared_ptr<Window>& window) { return *window; }
        template <class A, class B>
        bool operator()(const A& a, const B& b) const {
            return of(a) == of(b);
        }
    };

    std::unordered_map<std::shared_ptr<Window>, Entry, WindowHash, WindowEqual> entries_;
    Unsnap unsnap_;
};

}  // namespace zoral::desktop

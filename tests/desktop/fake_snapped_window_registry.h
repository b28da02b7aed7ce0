#pragma once

// A registry of snapped windows for the desktop model's tests, installed as the shared one for
// its life: a test snaps windows by inserting them and sees the unsnaps the model asks for.

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "desktop/snapped_window_registry.h"

namespace zoral::desktop::testing {

class FakeSnappedWindowRegistry final : public SnappedWindowRegistry {
public:
    using Unsnap = std::function<void(const std::shared_ptr<Window>&)>;

    FakeSnappedWindowRegistry() { install(this); }
    ~FakeSnappedWindowRegistry() override { install(nullptr); }
    FakeSnappedWindowRegistry(const FakeSnappedWindowRegistry&) = delete;
    FakeSnappedWindowRegistry& operator=(const FakeSnappedWindowRegistry&) = delete;

    void insert(const std::shared_ptr<Window>& window, platform::CGRect frameBeforeSnap) {
        remove(*window);
        entries_.emplace_back(window, frameBeforeSnap);
    }
    void remove(const Window& window) {
        std::erase_if(entries_, [&](const auto& entry) { return *entry.first == window; });
    }
    // Called for each unsnap of a snapped window, which is then forgotten.
    void onUnsnap(Unsnap unsnap) { onUnsnap_ = std::move(unsnap); }

    bool isSnapped(const Window& window) const override { return find(window) != nullptr; }
    std::optional<platform::CGRect> frameBeforeSnap(const Window& window) const override {
        const auto* entry = find(window);
        return entry != nullptr ? std::optional(entry->second) : std::nullopt;
    }
    std::size_t count() const override { return entries_.size(); }
    void unsnap(const std::shared_ptr<Window>& window) override {
        if (!window || !isSnapped(*window))
            return;
        if (onUnsnap_)
            onUnsnap_(window);
        remove(*window);
    }

private:
    using Entry = std::pair<std::shared_ptr<Window>, platform::CGRect>;

    const Entry* find(const Window& window) const {
        const auto found = std::find_if(entries_.begin(), entries_.end(),
                                        [&](const Entry& entry) { return *entry.first == window; });
        return found != entries_.end() ? &*found : nullptr;
    }

    std::vector<Entry> entries_;
    Unsnap onUnsnap_;
};

}  // namespace zoral::desktop::testing

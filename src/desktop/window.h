#pragma once

// The element of one top-level window of another application. Its identity is its accessibility
// element: two windows are equal when their elements are, and hash by `id`, the element's hash
// taken when the window was made.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

#include "desktop/ui_element.h"

namespace zoral::desktop {

class Window : public UIElement {
    struct Passkey {};

public:
    // No window when the element's role (read through its cache) is not "AXWindow".
    static std::shared_ptr<Window> make(const UIElement& element);
    Window(Passkey, platform::ax::Element element);

    virtual std::int64_t id() const { return id_; }
    virtual void setId(std::int64_t id) { id_ = id; }

    std::size_t hash() const { return static_cast<std::size_t>(id()); }

private:
    std::int64_t id_;
};

}  // namespace zoral::desktop

template <>
struct std::hash<zoral::desktop::Window> {
    std::size_t operator()(const zoral::desktop::Window& window) const noexcept {
        return window.hash();
    }
};

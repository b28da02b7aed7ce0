#include "desktop/window.h"

namespace zoral::desktop {

std::shared_ptr<Window> Window::make(const UIElement& element) {
    if (element.role() != Role::window)
        return nullptr;
    return std::make_shared<Window>(Passkey{}, element.element());
}

Window::Window(Passkey, platform::ax::Element element)
    : UIElement(element),
      id_(static_cast<std::int64_t>(std::hash<platform::ax::Element>{}(element))) {}

}  // namespace zoral::desktop

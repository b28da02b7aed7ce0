#include "desktop/window.h"

#include <algorithm>
#include <string_view>
#include <utility>

#include "desktop/application.h"
#include "desktop/attempt.h"
#include "desktop/conversation.h"
#include "desktop/promise_error.h"
#include "platform/output.h"
#include "platform/window_list.h"

namespace zoral::desktop {

namespace {

const platform::PlistObject* entryValue(const platform::PlistDictionary& entry,
                                        std::string_view key) {
    const auto found = entry.find(std::string(key));
    return found == entry.end() ? nullptr : &found->second;
}

std::optional<std::int64_t> integerOf(const platform::PlistObject* object) {
    if (object == nullptr)
        return std::nullopt;
    if (const auto* integer = object->getIf<platform::PlistInteger>())
        return integer->int64Value();
    return std::nullopt;
}

std::optional<double> numberOf(const platform::PlistObject* object) {
    if (object == nullptr)
        return std::nullopt;
    if (const auto* real = object->getIf<double>())
        return *real;
    if (const auto* integer = object->getIf<platform::PlistInteger>())
        return integer->doubleValue();
    return std::nullopt;
}

// The area two rectangles share; none at all when they only touch or miss.
double overlapArea(const platform::CGRect& a, const platform::CGRect& b) {
    const double width = std::min(a.maxX(), b.maxX()) - std::max(a.minX(), b.minX());
    const double height = std::min(a.maxY(), b.maxY()) - std::max(a.minY(), b.minY());
    return width > 0 && height > 0 ? width * height : 0;
}

std::optional<OnScreenWindow> onScreenWindowOf(const platform::PlistDictionary& entry) {
    const auto pid = integerOf(entryValue(entry, platform::windowOwnerPIDKey));
    const auto* ownerName = entryValue(entry, platform::windowOwnerNameKey);
    const auto number = integerOf(entryValue(entry, platform::windowNumberKey));
    const auto* bounds = entryValue(entry, platform::windowBoundsKey);
    if (!pid || !std::in_range<platform::ProcessId>(*pid) || ownerName == nullptr ||
        ownerName->getIf<std::string>() == nullptr || !number || bounds == nullptr) {
        return std::nullopt;
    }
    const auto* box = bounds->getIf<platform::PlistDictionary>();
    if (box == nullptr)
        return std::nullopt;
    const auto x = numberOf(entryValue(*box, platform::boundsXKey));
    const auto y = numberOf(entryValue(*box, platform::boundsYKey));
    const auto width = numberOf(entryValue(*box, platform::boundsWidthKey));
    const auto height = numberOf(entryValue(*box, platform::boundsHeightKey));
    if (!x || !y || !width || !height)
        return std::nullopt;
    OnScreenWindow window;
    window.ownerPid = static_cast<platform::ProcessId>(*pid);
    window.ownerName = *ownerName->getIf<std::string>();
    window.number = *number;
    if (const auto* name = entryValue(entry, platform::windowNameKey)) {
        if (const auto* text = name->getIf<std::string>())
            window.name = *text;
    }
    window.bounds = platform::CGRect(*x, *y, *width, *height);
    return window;
}

}  // namespace

std::shared_ptr<Window> Window::make(const UIElement& element) {
    if (element.role() != Role::window)
        return nullptr;
    auto window = std::make_shared<Window>(Passkey{}, element.element());
    window->joinConversationOf(element);
    return window;
}

Window::Window(Passkey, platform::ax::Element element)
    : UIElement(element),
      id_(static_cast<std::int64_t>(std::hash<platform::ax::Element>{}(element))) {}

bool Window::canResize() const {
    return isSettable(Attribute::size);
}

bool Window::canClose() const {
    const auto button = attribute<UIElementRef>(Attribute::closeButton).value_or(nullptr);
    return button && button->attribute<bool>(Attribute::enabled).value_or(false);
}

bool Window::canMinimize() const {
    return isSettable(Attribute::minimized);
}

bool Window::canFullscreen() const {
    return isSettable(Attribute::fullscreen);
}

std::optional<bool> Window::isMinimized() const {
    return attribute<bool>(Attribute::minimized);
}

std::optional<bool> Window::isFullscreen() const {
    return attribute<bool>(Attribute::fullscreen);
}

promises::Promise<promises::Unit> Window::exitFullscreen() {
    // An application that stops answering holds up the write and the whole poll once.
    const Conversation conversation(*this);
    // The write's result is of no use: the poll below tells whether the window came back.
    (void)trySetAttribute(platform::rawValue(Attribute::fullscreen), false);
    auto self = std::static_pointer_cast<Window>(shared_from_this());
    return attempt(40, 0.05, [self, record = conversation.record()](int index) {
        const Conversation resumed(record);
        const auto owner = self->application();
        if (owner) {
            const auto visible = owner->windowsMinimized(false);
            const bool back = std::any_of(visible.begin(), visible.end(),
                                          [&](const auto& window) { return *window == *self; });
            if (back) {
                platform::output::printLine("Window: Unfullscreened in " +
                                            std::to_string(index * 50) + "ms");
                return promises::Promise<promises::Unit>::initFulfilled(promises::Unit{});
            }
        }
        return promises::Promise<promises::Unit>::initRejected(PromiseError::makeDefault());
    });
}

std::optional<Screen> Window::screen() const {
    // One read serves every screen: the frame is the same for all of them.
    return screenOfFrame(frame());
}

std::optional<Screen> Window::screenOfFrame(const platform::CGRect& frame) {
    return screenOfFrame(frame, Screen::screens(), primaryDisplayHeight());
}

std::optional<Screen> Window::screenOfFrame(const platform::CGRect& frame,
                                            std::span<const Screen> screens, double primaryHeight) {
    // Without screens the screen under the pointer would be searched in the same empty list.
    if (screens.empty())
        return std::nullopt;
    const platform::CGRect flipped = platform::flip(frame, primaryHeight);
    std::vector<ScreenOverlap> overlaps;
    overlaps.reserve(screens.size());
    for (const Screen& candidate : screens)
        overlaps.push_back({candidate, overlapArea(flipped, candidate.uiFrame)});
    std::stable_sort(
        overlaps.begin(), overlaps.end(),
        [](const ScreenOverlap& a, const ScreenOverlap& b) { return a.area > b.area; });
    return overlaps.front().screen;
}

ScreenOverlap Window::frameOnScreens(const Screen& onScreen) const {
    return {onScreen, overlapArea(flip(frame()), onScreen.uiFrame)};
}

std::vector<OnScreenWindow> Window::onScreenWindowList() {
    // The reference window is ignored for a list of everything on screen.
    const auto list = platform::windowListCopyWindowInfo(
        platform::windowListOptionOnScreenOnly | platform::windowListExcludeDesktopElements,
        platform::nullWindowID);
    std::vector<OnScreenWindow> result;
    if (!list)
        return result;
    for (const platform::PlistDictionary& entry : *list) {
        if (integerOf(entryValue(entry, platform::windowLayerKey)) != 0)
            continue;
        if (auto window = onScreenWindowOf(entry))
            result.push_back(std::move(*window));
    }
    return result;
}

}  // namespace zoral::desktop

#include "desktop/dock_item.h"

#include <string>

#include "desktop/attempt.h"
#include "desktop/conversation.h"
#include "desktop/promise_error.h"
#include "desktop/system_wide.h"
#include "desktop/window.h"
#include "platform/output.h"
#include "platform/workspace.h"

namespace zoral::desktop {

DockItem::DockItem(Passkey, platform::ax::Element element) : UIElement(element) {}

std::shared_ptr<DockItem> DockItem::make(const UIElement& element) {
    if (element.subrole() != Subrole::applicationDockItem)
        return nullptr;
    return std::make_shared<DockItem>(Passkey{}, element.element());
}

std::optional<std::string> DockItem::bundleIdentifier() const {
    const auto url = attribute<platform::ax::Url>(Attribute::url);
    return url ? platform::bundleIdentifierOfBundleAt(url->text) : std::nullopt;
}

MinDockItem::MinDockItem(Passkey, platform::ax::Element element) : UIElement(element) {}

std::shared_ptr<MinDockItem> MinDockItem::make(const UIElement& element) {
    if (element.subrole() != Subrole::minimizedDockItem)
        return nullptr;
    return std::make_shared<MinDockItem>(Passkey{}, element.element());
}

promises::Promise<std::shared_ptr<Window>> MinDockItem::unminimize() {
    using Result = promises::Promise<std::shared_ptr<Window>>;
    // An application that stops answering holds up the reads of the focus and the whole poll
    // once, not for its full time-out at every read.
    const Conversation conversation(*this);
    // The restored window is known only by taking the focus from the one that has it now.
    std::shared_ptr<Window> before = SystemWide::shared()->focusedWindow();
    performActionAfter(AXAction::press);
    return attempt(40, 0.02, [before, record = conversation.record()](int index) -> Result {
        const Conversation resumed(record);
        auto focused = SystemWide::shared()->focusedWindow();
        if (!focused || (before && *focused == *before))
            return Result::initRejected(PromiseError::makeDefault());
        platform::output::printLine("Window: Unminimized from Preview in " +
                                    std::to_string(index * 20) + "ms");
        return Result::initFulfilled(std::move(focused));
    });
}

}  // namespace zoral::desktop

#include "preferences/widgets/small_widgets.h"

#include "platform/url_opening.h"

namespace zoral::preferences {

HyperlinkUnderlineTextField::HyperlinkUnderlineTextField(std::string text, std::string href)
    : ui::TextField(std::move(text)), href_(std::move(href)) {
    setCursor(ui::Cursor::pointingHand);
}

void HyperlinkUnderlineTextField::mouseEntered(const ui::Event&) {
    setUnderlineStyle(1);
}

void HyperlinkUnderlineTextField::mouseExited(const ui::Event&) {
    setUnderlineStyle(0);
}

void HyperlinkUnderlineTextField::mouseUp(const ui::Event& event) {
    // An empty or malformed address opens nothing; the system refuses what it cannot open.
    if (platform::isValidURL(href_))
        (void)platform::openURL(href_);
    mouseExited(event);
}

ui::ControlState UnmixedCheckboxButtonCell::nextState() const {
    return state() == ui::ControlState::on ? ui::ControlState::off : ui::ControlState::on;
}

CursorButton::CursorButton(ui::ButtonKind kind, std::string title)
    : ui::Button(kind, std::move(title)) {
    setCursor(ui::Cursor::pointingHand);
}

CursorStackView::CursorStackView(std::vector<std::shared_ptr<ui::View>> views,
                                 ui::LayoutOrientation orientation)
    : ui::StackView(std::move(views), orientation) {
    setCursor(ui::Cursor::pointingHand);
}

void CursorTrackingView::mouseEntered(const ui::Event&) {
    containsMouse_ = true;
    sendAction();
}

void CursorTrackingView::mouseExited(const ui::Event&) {
    containsMouse_ = false;
    sendAction();
}

}  // namespace zoral::preferences

#pragma once

// Small views and controls of the preferences window, each changing one behaviour of its base:
//
// - HyperlinkUnderlineTextField: a text link. The pointing hand over it, an underline while the
//   pointer is over it, and a release of the mouse opens `href` through the system (nothing
//   when `href` forms no address) and takes the underline away in every case.
// - NSFlippedClipView: a clip view that is always flipped, so that its document is laid out from
//   the top.
// - UnmixedCheckboxButtonCell: a checkbox that never enters the mixed state by a click: on goes
//   to off, every other state (mixed included) to on.
// - CursorButton, CursorStackView: the pointing hand over the whole button or stack.
// - CursorTrackingView: a control that sends its action when the pointer enters it and when it
//   leaves, with `containsMouse` telling which.
//
// Main thread only.

#include <memory>
#include <string>
#include <vector>

#include "ui/button.h"
#include "ui/control.h"
#include "ui/scroll_view.h"
#include "ui/stack_view.h"
#include "ui/text_field.h"

namespace zoral::preferences {

class HyperlinkUnderlineTextField : public ui::TextField {
public:
    explicit HyperlinkUnderlineTextField(std::string text = "", std::string href = "");

    const std::string& href() const { return href_; }
    void setHref(std::string href) { href_ = std::move(href); }

    void mouseEntered(const ui::Event& event) override;
    void mouseExited(const ui::Event& event) override;
    void mouseUp(const ui::Event& event) override;

private:
    std::string href_;
};

class NSFlippedClipView : public ui::ClipView {
public:
    NSFlippedClipView() : ui::ClipView(true) {}
    bool isFlipped() const override { return true; }
};

class UnmixedCheckboxButtonCell : public ui::Button {
public:
    explicit UnmixedCheckboxButtonCell(std::string title = "")
        : ui::Button(ui::ButtonKind::checkbox, std::move(title)) {}
    ui::ControlState nextState() const override;
};

class CursorButton : public ui::Button {
public:
    explicit CursorButton(ui::ButtonKind kind = ui::ButtonKind::push, std::string title = "");
};

class CursorStackView : public ui::StackView {
public:
    explicit CursorStackView(std::vector<std::shared_ptr<ui::View>> views = {},
                             ui::LayoutOrientation orientation = ui::LayoutOrientation::horizontal);
};

class CursorTrackingView : public ui::Control {
public:
    CursorTrackingView() = default;

    bool containsMouse() const { return containsMouse_; }

    void mouseEntered(const ui::Event& event) override;
    void mouseExited(const ui::Event& event) override;

private:
    bool containsMouse_ = false;
};

}  // namespace zoral::preferences

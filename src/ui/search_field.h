#pragma once

// A search field after the toolkit's, as the shortcut recorder uses it: one line of text with a
// placeholder shown while it is empty, an alignment, and a clear button at its trailing end that
// its owner shows and hides. A click on the clear button empties the field and tells the field of
// the change, as the user's typing would; text set from code tells nothing.
//
// The field is its own delegate: a subclass decides whether it takes the keyboard's focus
// (becomeFirstResponder), whether Tab may reach it (canBecomeKeyView), and hears of the user's
// changes (textDidChange), of the end of its editing (textDidEndEditing: the focus went
// elsewhere; a window that merely stops being active ends nothing) and of its entering a window
// (viewDidMoveToWindow). Main thread only.

#include <memory>
#include <string>

#include "ui/control.h"
#include "ui/text_field.h"

namespace zoral::ui {

class SearchField : public Control {
public:
    SearchField();
    ~SearchField() override;

    std::string stringValue() const;
    void setStringValue(const std::string& text);
    std::string placeholderString() const;
    void setPlaceholderString(const std::string& text);
    TextAlignment alignment() const { return alignment_; }
    void setAlignment(TextAlignment alignment);

    // The width the field asks for in a layout; negative for the toolkit's own.
    void setIntrinsicWidth(double width);

    bool showsCancelButton() const;
    // Shows or hides the clear button.
    void setShowsCancelButton(bool shows);
    // The clear button's click, from code: the field empties and hears of the change. Nothing
    // while the button is hidden.
    void performCancelButtonClick();

    // Whether the field shows the caret while it has the focus; a field without one takes no
    // typing.
    void setInsertionPointVisible(bool visible);

    // Whether the field is editing: it took the focus and has not lost it since.
    bool isEditing() const { return editing_; }

protected:
    // The focus arrives; false refuses it (the focus then leaves again, and nothing else changes).
    virtual bool becomeFirstResponder() { return true; }
    virtual void textDidChange() {}
    virtual void textDidEndEditing() {}
    virtual bool canBecomeKeyView() const { return true; }
    // The field entered a window or left its last one.
    virtual void viewDidMoveToWindow() {}
    // Asks canBecomeKeyView again, after its answer changed.
    void keyViewStateDidChange();

private:
    struct Widget;
    friend struct Widget;

    Widget& line() const;
    void focusArrived();
    void focusLeft();
    void cancelButtonClicked();
    void windowMayHaveChanged();

    TextAlignment alignment_ = TextAlignment::natural;
    bool editing_ = false;
    const void* lastWindow_ = nullptr;
};

}  // namespace zoral::ui

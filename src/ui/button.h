#pragma once

// Buttons after the toolkit's: push buttons, checkboxes (two states, or three with the mixed
// state) and the round help badge. A click sends the action; a checkbox moves to its next state
// first. Setting the state from code sends nothing. Main thread only.

#include <cstdint>
#include <string>

#include "ui/control.h"

namespace zoral::ui {

enum class ButtonKind : std::uint8_t { push, checkbox, help };

// The toolkit's numbers for the bezels a push button may have.
enum class BezelStyle : std::uint8_t {
    push = 1,
    regularSquare = 2,
    helpButton = 9,
    recessed = 13,
    inline_ = 15,  // "inline" is a keyword
};

enum class ControlState : std::int8_t { mixed = -1, off = 0, on = 1 };

class Button : public Control {
public:
    explicit Button(ButtonKind kind = ButtonKind::push, std::string title = "");
    static std::shared_ptr<Button> pushButton(std::string title) {
        return std::make_shared<Button>(ButtonKind::push, std::move(title));
    }
    static std::shared_ptr<Button> checkbox(std::string title) {
        return std::make_shared<Button>(ButtonKind::checkbox, std::move(title));
    }
    static std::shared_ptr<Button> helpButton() {
        return std::make_shared<Button>(ButtonKind::help);
    }

    ButtonKind kind() const { return kind_; }
    const std::string& title() const { return title_; }
    void setTitle(std::string title);
    BezelStyle bezelStyle() const { return bezel_; }
    void setBezelStyle(BezelStyle style);
    bool isBordered() const { return bordered_; }
    void setBordered(bool bordered);

    // A checkbox's state; push buttons stay off.
    ControlState state() const;
    void setState(ControlState state);
    bool allowsMixedState() const { return allowsMixed_; }
    void setAllowsMixedState(bool allows) { allowsMixed_ = allows; }
    // The state a click moves to: with the mixed state on, off, mixed, on again; with two
    // states, off from on and on from any other.
    virtual ControlState nextState() const;

    // Clicks the button as the user would: a checkbox moves to its next state, the action is sent.
    void performClick();

private:
    void applyLook();

    ButtonKind kind_;
    std::string title_;
    BezelStyle bezel_ = BezelStyle::push;
    bool bordered_ = true;
    bool allowsMixed_ = false;
};

}  // namespace zoral::ui

#pragma once

// Controls after the toolkit's: a view with an enabled state, a size, a font and an action. The
// action runs when the user acts on the control (a click, a drag, a choice); setting a control's
// state or value from code never runs it, so that code filling controls from the settings writes
// nothing back. Main thread only.

#include <cstdint>
#include <functional>
#include <memory>

#include "ui/color.h"
#include "ui/view.h"

class QFont;

namespace zoral::ui {

enum class ControlSize : std::uint8_t { regular = 0, small = 1, mini = 2, large = 3 };

enum class FontWeight : std::uint8_t { regular, medium, semibold, bold };

// The toolkit's numbers.
enum class FocusRingType : std::uint8_t { defaultType = 0, none = 1, exterior = 2 };

struct Font {
    double pointSize = 13;
    FontWeight weight = FontWeight::regular;

    static Font system(double size, FontWeight weight = FontWeight::regular) {
        return {size, weight};
    }
    static Font boldSystem(double size) { return {size, FontWeight::bold}; }

    friend bool operator==(const Font&, const Font&) = default;
};

class Control : public View {
public:
    using Action = std::function<void(Control& sender)>;

    bool isEnabled() const { return enabled_; }
    void setEnabled(bool enabled);

    // The action that the user's changes send, with the control as sender.
    void setAction(Action action) { action_ = std::move(action); }
    bool hasAction() const { return static_cast<bool>(action_); }
    // Sends the action now (what the toolkit does on a user's change); nothing without one.
    void sendAction();

    ControlSize controlSize() const { return controlSize_; }
    void setControlSize(ControlSize size);
    const Font& font() const { return font_; }
    void setFont(Font font);
    FocusRingType focusRingType() const { return focusRing_; }
    // Whether the control draws a ring while it has the keyboard's focus.
    void setFocusRingType(FocusRingType type);
    std::int64_t tag() const { return tag_; }
    void setTag(std::int64_t tag) { tag_ = tag; }

protected:
    // A control that draws nothing of its own: a plain view that acts on the mouse.
    Control();
    explicit Control(std::unique_ptr<QWidget> widget);
    // The font at the control's size, as the toolkit draws it.
    void applyFont();
    // Sizes a control that no layout places to its content.
    void fitToContent();
    virtual void didChangeFont() {}

private:
    bool enabled_ = true;
    Action action_;
    ControlSize controlSize_ = ControlSize::regular;
    Font font_;
    FocusRingType focusRing_ = FocusRingType::defaultType;
    std::int64_t tag_ = 0;
};

// The toolkit's font for ours (for the drawing code of ui/).
QFont qtFont(const Font& font);

}  // namespace zoral::ui

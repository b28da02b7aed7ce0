#pragma once

// A horizontal slider after the toolkit's: a value between a minimum and a maximum, optionally
// held to tick marks. Dragging or clicking it sends the action (at every step while it moves
// when it is continuous, at the release otherwise); setting the value from code sends nothing.
// Main thread only.

#include <cstdint>

#include "ui/control.h"

namespace zoral::ui {

class Slider : public Control {
public:
    Slider(double minValue = 0, double maxValue = 1, double value = 0);

    double minValue() const { return min_; }
    double maxValue() const { return max_; }
    void setMinValue(double value);
    void setMaxValue(double value);
    double doubleValue() const;
    std::int64_t integerValue() const;
    void setDoubleValue(double value);
    void setIntegerValue(std::int64_t value) { setDoubleValue(static_cast<double>(value)); }

    std::int64_t numberOfTickMarks() const { return ticks_; }
    void setNumberOfTickMarks(std::int64_t count);
    // Values between tick marks snap to the nearest one.
    bool allowsTickMarkValuesOnly() const { return ticksOnly_; }
    void setAllowsTickMarkValuesOnly(bool only);
    bool isContinuous() const { return continuous_; }
    void setContinuous(bool continuous);

private:
    void applyRange();

    double min_;
    double max_;
    std::int64_t ticks_ = 0;
    bool ticksOnly_ = false;
    bool continuous_ = true;
};

}  // namespace zoral::ui

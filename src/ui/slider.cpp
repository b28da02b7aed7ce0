#include "ui/slider.h"

#include <QSignalBlocker>
#include <QSlider>
#include <algorithm>
#include <cmath>

#include "ui/qt_view.h"

namespace zoral::ui {

namespace {

// The toolkit's slider holds whole numbers: a value is kept in steps of this fraction.
constexpr double stepsPerUnit = 100;

QSlider& sliderOf(const View& view) {
    return *dynamic_cast<QSlider*>(qtWidget(view));
}

int toSteps(double value) {
    return static_cast<int>(std::lround(value * stepsPerUnit));
}

}  // namespace

Slider::Slider(double minValue, double maxValue, double value)
    : Control(std::make_unique<ForwardingWidget<QSlider>>(*this, Qt::Horizontal)),
      min_(minValue),
      max_(maxValue) {
    QSlider& slider = sliderOf(*this);
    slider.setMinimumWidth(80);
    applyRange();
    setDoubleValue(value);
    QObject::connect(&slider, &QSlider::valueChanged, [this](int) {
        if (ticksOnly_ && ticks_ > 1) {
            // Snap to the nearest tick mark before the action reads the value.
            const double step = (max_ - min_) / static_cast<double>(ticks_ - 1);
            const double snapped = min_ + std::round((doubleValue() - min_) / step) * step;
            setDoubleValue(snapped);
        }
        sendAction();
    });
}

void Slider::setMinValue(double value) {
    min_ = value;
    applyRange();
}

void Slider::setMaxValue(double value) {
    max_ = value;
    applyRange();
}

double Slider::doubleValue() const {
    return static_cast<double>(sliderOf(*this).value()) / stepsPerUnit;
}

std::int64_t Slider::integerValue() const {
    return static_cast<std::int64_t>(std::lround(doubleValue()));
}

void Slider::setDoubleValue(double value) {
    QSlider& slider = sliderOf(*this);
    const QSignalBlocker quiet(slider);
    slider.setValue(toSteps(std::clamp(value, std::min(min_, max_), std::max(min_, max_))));
}

void Slider::setNumberOfTickMarks(std::int64_t count) {
    ticks_ = std::max<std::int64_t>(count, 0);
    applyRange();
}

void Slider::setAllowsTickMarkValuesOnly(bool only) {
    ticksOnly_ = only;
    applyRange();
}

void Slider::setContinuous(bool continuous) {
    continuous_ = continuous;
    sliderOf(*this).setTracking(continuous);
}

void Slider::applyRange() {
    QSlider& slider = sliderOf(*this);
    const QSignalBlocker quiet(slider);
    slider.setRange(toSteps(min_), toSteps(max_));
    const int span = toSteps(max_) - toSteps(min_);
    if (ticks_ > 1) {
        const int interval = std::max(1, span / static_cast<int>(ticks_ - 1));
        slider.setTickPosition(QSlider::TicksBelow);
        slider.setTickInterval(interval);
        slider.setSingleStep(ticksOnly_ ? interval : toSteps(1));
        slider.setPageStep(interval);
    } else {
        slider.setTickPosition(QSlider::NoTicks);
        slider.setSingleStep(std::max(1, std::min(span, toSteps(1))));
        slider.setPageStep(std::max(1, span / 10));
    }
}

}  // namespace zoral::ui

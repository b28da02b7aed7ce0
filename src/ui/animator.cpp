#include "ui/animator.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "platform/dispatch.h"

namespace zoral::ui {

namespace {

// One coordinate of the curve at the curve parameter t, for control values a and b.
double bezier(double t, double a, double b) {
    const double u = 1 - t;
    return 3 * u * u * t * a + 3 * u * t * t * b + t * t * t;
}

double bezierSlope(double t, double a, double b) {
    const double u = 1 - t;
    return 3 * u * u * a + 6 * u * t * (b - a) + 3 * t * t * (1 - b);
}

}  // namespace

double TimingFunction::operator()(double time) const {
    const double x = std::clamp(time, 0.0, 1.0);
    if (x == 0 || x == 1)
        return x;
    // Find the curve parameter whose x is the time: Newton's steps, then bisection when the slope
    // is too flat for them.
    double t = x;
    for (int i = 0; i < 8; ++i) {
        const double error = bezier(t, x1, x2) - x;
        const double slope = bezierSlope(t, x1, x2);
        if (std::abs(error) < 1e-9)
            return bezier(t, y1, y2);
        if (std::abs(slope) < 1e-6)
            break;
        t = std::clamp(t - error / slope, 0.0, 1.0);
    }
    double low = 0;
    double high = 1;
    t = x;
    for (int i = 0; i < 60; ++i) {
        if (bezier(t, x1, x2) < x)
            low = t;
        else
            high = t;
        t = (low + high) / 2;
    }
    return bezier(t, y1, y2);
}

struct Animator::Run {
    platform::DispatchTime start = platform::DispatchTime::now();
    double duration = 0;
    TimingFunction timing;
    Step step;
    std::function<void()> completion;
    std::int64_t frame = 0;
    bool cancelled = false;
    bool finished = false;
};

Animator::~Animator() {
    cancel();
}

void Animator::animate(double duration, TimingFunction timing, Step step,
                       std::function<void()> completion) {
    cancel();
    auto run = std::make_shared<Run>();
    run->duration = duration;
    run->timing = timing;
    run->step = std::move(step);
    run->completion = std::move(completion);
    run_ = run;
    if (duration <= 0) {
        run->finished = true;
        if (run->step)
            run->step(1.0);
        if (run->completion) {
            platform::DispatchQueue::main().async([run] {
                if (!run->cancelled && run->completion)
                    run->completion();
            });
        }
        return;
    }
    scheduleFrame(run);
}

void Animator::scheduleFrame(const std::shared_ptr<Run>& run) {
    ++run->frame;
    const double offset =
        std::min(static_cast<double>(run->frame) / framesPerSecond, run->duration);
    const bool last = offset >= run->duration;
    platform::DispatchQueue::main().asyncAfter(run->start + offset, [run, offset, last] {
        if (run->cancelled)
            return;
        if (run->step)
            run->step(last ? 1.0 : run->timing(offset / run->duration));
        if (run->cancelled)
            return;
        if (!last) {
            scheduleFrame(run);
            return;
        }
        run->finished = true;
        if (run->completion)
            run->completion();
    });
}

void Animator::cancel() {
    if (run_) {
        run_->cancelled = true;
        run_.reset();
    }
}

bool Animator::isRunning() const {
    return run_ && !run_->finished && !run_->cancelled;
}

}  // namespace zoral::ui

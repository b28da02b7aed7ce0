#pragma once

// Animations of the program's windows (fades, frame glides), stepped on the main queue of the
// program's scheduler, so that they follow its clock: tests step them exactly with the virtual
// clock, the interactive program sees them at the wall clock's pace. Each frame of an animation is
// one main-queue work item, about sixty a second, and the last frame lands exactly at the end.
//
// An Animator runs one animation at a time: starting another, or cancelling, stops the running one
// where it stands, and its completion never runs.

#include <cstdint>
#include <functional>
#include <memory>

namespace zoral::ui {

// How progress in time maps to progress of the value: a cubic Bézier curve from (0, 0) to (1, 1)
// through two control points.
struct TimingFunction {
    double x1 = 0;
    double y1 = 0;
    double x2 = 1;
    double y2 = 1;

    // The toolkit's default curve: a gentle start and a long ease towards the end.
    static constexpr TimingFunction standard() { return {0.25, 0.1, 0.25, 1.0}; }
    static constexpr TimingFunction easeInEaseOut() { return {0.42, 0.0, 0.58, 1.0}; }
    static constexpr TimingFunction linear() { return {0.0, 0.0, 1.0, 1.0}; }

    // The value's progress (0 to 1) at the time's progress (clamped to 0 to 1).
    double operator()(double time) const;

    friend constexpr bool operator==(const TimingFunction&, const TimingFunction&) = default;
};

class Animator {
public:
    // Called for every frame with the eased progress, 1 at the last frame.
    using Step = std::function<void(double progress)>;

    static constexpr double framesPerSecond = 60;

    Animator() = default;
    // Stops the running animation.
    ~Animator();
    Animator(const Animator&) = delete;
    Animator& operator=(const Animator&) = delete;

    // Starts an animation of the duration in seconds. With a duration of 0 or less the step runs
    // at once with progress 1, and the completion on the main queue's next turn.
    void animate(double duration, TimingFunction timing, Step step,
                 std::function<void()> completion = {});
    void cancel();
    bool isRunning() const;

private:
    struct Run;
    static void scheduleFrame(const std::shared_ptr<Run>& run);

    std::shared_ptr<Run> run_;
};

}  // namespace zoral::ui

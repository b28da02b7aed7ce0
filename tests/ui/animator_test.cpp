#include "ui/animator.h"

#include <vector>

#include <gtest/gtest.h>

#include "support/virtual_clock.h"

namespace zoral::ui {
namespace {

TEST(TimingFunction, RunsFromStartToEndWithoutGoingBack) {
    for (const TimingFunction timing :
         {TimingFunction::standard(), TimingFunction::easeInEaseOut(), TimingFunction::linear()}) {
        EXPECT_EQ(timing(0), 0);
        EXPECT_EQ(timing(1), 1);
        EXPECT_EQ(timing(-3), 0) << "time before the start is the start";
        EXPECT_EQ(timing(7), 1);
        double previous = 0;
        for (int step = 1; step <= 100; ++step) {
            const double value = timing(step / 100.0);
            EXPECT_GE(value, previous);
            previous = value;
        }
    }
    EXPECT_NEAR(TimingFunction::linear()(0.3), 0.3, 1e-9);
    EXPECT_NEAR(TimingFunction::easeInEaseOut()(0.5), 0.5, 1e-6) << "symmetric";
    // The standard curve starts gently and has done most of its way at half time.
    EXPECT_GT(TimingFunction::standard()(0.5), 0.7);
}

class AnimatorTest : public zoral::testing::VirtualClockTest {
protected:
    std::vector<double> steps;
    int completions = 0;

    void start(Animator& animator, double duration) {
        animator.animate(
            duration, TimingFunction::linear(),
            [this](double progress) { steps.push_back(progress); }, [this] { ++completions; });
    }
};

TEST_F(AnimatorTest, StepsFollowTheClockAndTheLastStepLandsAtTheEnd) {
    Animator animator;
    start(animator, 0.3);
    scheduler().runUntilIdle();
    EXPECT_TRUE(steps.empty()) << "nothing moves until time passes";
    scheduler().advance(0.15);
    ASSERT_FALSE(steps.empty());
    EXPECT_NEAR(steps.back(), 0.5, 1e-9);
    EXPECT_TRUE(animator.isRunning());
    scheduler().advance(0.149);
    EXPECT_LT(steps.back(), 1.0);
    EXPECT_EQ(completions, 0);
    scheduler().advance(0.001);
    EXPECT_EQ(steps.back(), 1.0);
    EXPECT_EQ(completions, 1) << "in the same frame as the last step";
    EXPECT_FALSE(animator.isRunning());
    EXPECT_EQ(steps.size(), 18u) << "sixty frames a second";
    scheduler().advance(1);
    EXPECT_EQ(completions, 1);
    EXPECT_EQ(scheduler().pendingCount(), 0u);
}

TEST_F(AnimatorTest, AStoppedAnimationNeverCompletes) {
    {
        Animator animator;
        start(animator, 0.3);
        scheduler().advance(0.1);
        const auto before = steps.size();
        animator.cancel();
        scheduler().advance(1);
        EXPECT_EQ(steps.size(), before);
        EXPECT_EQ(completions, 0);

        // A new animation replaces the running one.
        start(animator, 0.2);
        scheduler().advance(0.1);
        start(animator, 0.2);
        scheduler().advance(1);
        EXPECT_EQ(completions, 1);
        start(animator, 0.2);
    }
    // Destroyed while running: nothing is left to call into it.
    scheduler().advance(1);
    EXPECT_EQ(completions, 1);
}

TEST_F(AnimatorTest, AnAnimationWithoutDurationStepsAtOnceAndCompletesOnTheNextTurn) {
    Animator animator;
    start(animator, 0);
    EXPECT_EQ(steps, std::vector<double>{1.0});
    EXPECT_EQ(completions, 0);
    scheduler().runUntilIdle();
    EXPECT_EQ(completions, 1);

    start(animator, 0);
    animator.cancel();
    scheduler().runUntilIdle();
    EXPECT_EQ(completions, 1) << "cancelled before its turn";
}

}  // namespace
}  // namespace zoral::ui

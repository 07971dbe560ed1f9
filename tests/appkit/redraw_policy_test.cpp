#include "platform/appkit/redraw_policy.h"
#include "platform/appkit/window.h"
#include "platform/foundation/clock.h"
#include "platform/foundation/run_loop.h"
#include "platform/foundation/timer.h"

#include <gtest/gtest.h>

using namespace appkit;

namespace {

// A window whose only animation is one the test says runs until a given time.
class RedrawPolicyTest : public ::testing::Test {
protected:
    double now() { return clock_->now(); }
    void advance(double seconds) { clock_->advance(seconds); }
    bool draw() { return policy.drawIfNeeded(*window, now()) != nullptr; }
    // Draws whatever is pending, so that a test starts from a window that has nothing to show.
    void settle() {
        while (draw())
            ;
    }

    foundation::ScopedManualClock clock_;
    double animationEnd = 0;
    std::shared_ptr<Window> window = Window::make({0, 0, 40, 20});
    RedrawPolicy policy{[this](const Window&, double time) { return time < animationEnd; }};
};

} // namespace

TEST_F(RedrawPolicyTest, DrawsTheFirstFrameThenNothingWhileNothingChanges) {
    EXPECT_TRUE(draw());
    for (int i = 0; i < 10; ++i) {
        advance(0.1);
        EXPECT_FALSE(draw());
    }
    EXPECT_EQ(policy.framesDrawn(), 1u);
}

TEST_F(RedrawPolicyTest, EachKindOfChangeLeadsToExactlyOneFrame) {
    settle();
    auto frames = policy.framesDrawn();

    policy.noteChange(); // a pointer event went through the window
    EXPECT_TRUE(draw());
    EXPECT_FALSE(draw());

    window->contentView()->setNeedsDisplay();
    EXPECT_TRUE(draw());
    EXPECT_FALSE(draw());

    int fired = 0;
    foundation::Timer::scheduledTimer(0.5, false, [&](foundation::Timer&) { ++fired; });
    advance(0.5);
    foundation::RunLoop::main().runOnce(0);
    ASSERT_EQ(fired, 1);
    EXPECT_TRUE(draw());
    EXPECT_FALSE(draw());

    EXPECT_EQ(policy.framesDrawn(), frames + 3);
}

TEST_F(RedrawPolicyTest, AHandlerThatOnlyServesDrawingIsNotAChange) {
    settle();
    foundation::Timer::scheduledTimer(
        0.1, false, [](foundation::Timer&) { foundation::RunLoop::main().discountHandlerRun(); });
    advance(0.1);
    foundation::RunLoop::main().runOnce(0);
    EXPECT_FALSE(draw());
}

TEST_F(RedrawPolicyTest, AnAnimationDrawsUntilItsEndAndOnceMoreToShowWhereItEnded) {
    settle();
    animationEnd = now() + 1;
    int frames = 0;
    for (int step = 0; step < 12; ++step) {
        frames += draw() ? 1 : 0;
        advance(0.125); // exact in binary, so the end falls on a step
    }
    // Eight frames before the end, one at it, none after.
    EXPECT_EQ(frames, 9);
    EXPECT_FALSE(policy.isAnimating());
}

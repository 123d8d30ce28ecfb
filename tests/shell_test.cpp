// Frame clock, window placement, key translation and the random generator.
#include <gtest/gtest.h>
#include <SDL.h>
#include <set>

#include "core/random.h"
#include "platform/random_clock.h"
#include "platform/system.h"
#include "platform/window.h"
#include "shell/game_loop.h"

namespace {

uint32_t g_fakeNow = 0;
uint32_t FakeClock() { return g_fakeNow; }

class FrameClockTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetFramePacing(true);
        SetFrameClockSource(FakeClock);
        g_fakeNow = 1000;
        FrameClockStart();
    }
    void TearDown() override { SetFrameClockSource(nullptr); }
};

TEST_F(FrameClockTest, OneFramePerSixteenMilliseconds) {
    g_fakeNow = 1015;
    EXPECT_EQ(FrameClockDue(), 0);
    g_fakeNow = 1016;
    EXPECT_EQ(FrameClockDue(), 1);
    EXPECT_EQ(FrameClockDue(), 0);  // not twice for the same moment
    g_fakeNow = 1031;
    EXPECT_EQ(FrameClockDue(), 0);
    g_fakeNow = 1032;
    EXPECT_EQ(FrameClockDue(), 1);
}

TEST_F(FrameClockTest, LateFramesAreNeverCaughtUp) {
    g_fakeNow = 1016;
    ASSERT_EQ(FrameClockDue(), 1);
    // A frame that took 100 ms: exactly one frame is due, and the next one
    // comes 16 ms after it was seen, not at the old schedule.
    g_fakeNow = 1116;
    EXPECT_EQ(FrameClockDue(), 1);
    EXPECT_EQ(FrameClockDue(), 0);
    g_fakeNow = 1131;
    EXPECT_EQ(FrameClockDue(), 0);
    g_fakeNow = 1132;
    EXPECT_EQ(FrameClockDue(), 1);
}

// The real clock: the wait for the next frame ends once the due millisecond
// has come (never before it), and one already past does not wait at all.
TEST(FrameClockReal, WaitEndsAtTheDueMillisecond) {
    SetFrameClockSource(nullptr);
    SetFramePacing(true);
    FrameClockStart();
    const uint32_t due = PlatformMillis() + 16;
    FrameClockWait();
    EXPECT_GE(PlatformMillis(), due);
    EXPECT_EQ(FrameClockDue(), 1);
    for (uint32_t ahead : {1u, 3u, 7u}) {
        const uint32_t at = PlatformMillis() + ahead;
        PlatformSleepUntilMillis(at);
        EXPECT_GE(PlatformMillis(), at) << ahead;
    }
    // Past and "in the past across the wrap": both return.
    PlatformSleepUntilMillis(PlatformMillis() - 5);
    PlatformSleepUntilMillis(PlatformMillis() + 0x90000000u);
    // Unpaced, there is nothing to wait for.
    SetFramePacing(false);
    FrameClockWait();
    EXPECT_EQ(FrameClockDue(), 1);
    SetFramePacing(true);
}

TEST(Window, PlacementOnA1024x768Desktop) {
    int left, top;
    WindowPlacement(1024, 768, &left, &top);
    EXPECT_EQ(left, 112);
    EXPECT_EQ(top, 68);
    EXPECT_EQ(left + 800, 912);  // outer rectangle 800 x 632
    EXPECT_EQ(top + 632, 700);
    WindowPlacement(1921, 1081, &left, &top);  // halves round toward zero
    EXPECT_EQ(left, 560);
    EXPECT_EQ(top, 224);
}

TEST(Window, VirtualKeyTranslation) {
    EXPECT_EQ(VirtualKeyFromKeycode(SDLK_a), 0x41);
    EXPECT_EQ(VirtualKeyFromKeycode(SDLK_z), 0x5A);
    EXPECT_EQ(VirtualKeyFromKeycode(SDLK_0), 0x30);
    EXPECT_EQ(VirtualKeyFromKeycode(SDLK_LEFT), 0x25);
    EXPECT_EQ(VirtualKeyFromKeycode(SDLK_UP), 0x26);
    EXPECT_EQ(VirtualKeyFromKeycode(SDLK_RIGHT), 0x27);
    EXPECT_EQ(VirtualKeyFromKeycode(SDLK_DOWN), 0x28);
    EXPECT_EQ(VirtualKeyFromKeycode(SDLK_SPACE), 0x20);
    EXPECT_EQ(VirtualKeyFromKeycode(SDLK_RETURN), 0x0D);
    EXPECT_EQ(VirtualKeyFromKeycode(SDLK_KP_ENTER), 0x0D);
    EXPECT_EQ(VirtualKeyFromKeycode(SDLK_ESCAPE), 0x1B);
    // Left and right modifiers report the same generic code.
    EXPECT_EQ(VirtualKeyFromKeycode(SDLK_LSHIFT), 0x10);
    EXPECT_EQ(VirtualKeyFromKeycode(SDLK_RSHIFT), 0x10);
    EXPECT_EQ(VirtualKeyFromKeycode(SDLK_LCTRL), 0x11);
    EXPECT_EQ(VirtualKeyFromKeycode(SDLK_RCTRL), 0x11);
    EXPECT_EQ(VirtualKeyFromKeycode(SDLK_F1), 0x70);
    EXPECT_EQ(VirtualKeyFromKeycode(SDLK_CAPSLOCK), 0);
}

TEST(Random, RangeStaysWithinItsBounds) {
    SeedRandom(12345);
    std::set<int> seen, reversed;
    for (int i = 0; i < 20000; ++i) {
        const int v = RandomRange(360, 0);
        ASSERT_GE(v, 0);
        ASSERT_LT(v, 360);
        seen.insert(v);
        const int w = RandomRange(99999, 0);  // the hiscore fillers: never above 32767
        ASSERT_GE(w, 0);
        ASSERT_LE(w, 32767);
        const int n = RandomRange(-5, -10);
        ASSERT_GE(n, -10);
        ASSERT_LT(n, -5);
        // Reversed bounds: lo plus the remainder by a negative divisor, which
        // C++ makes non-negative for a non-negative value drawn.
        const int m = RandomRange(0, 10);
        ASSERT_GE(m, 10);
        ASSERT_LT(m, 20);
        reversed.insert(m);
    }
    EXPECT_EQ(seen.size(), 360u);
    EXPECT_EQ(reversed.size(), 10u);
    EXPECT_EQ(RandomRange(7, 7), 7);  // an empty range gives its start, never a division by zero
}

TEST(Random, SeededSequenceRepeats) {
    SeedRandom(42);
    int a[8];
    for (int& v : a) v = NextRandom();
    SeedRandom(42);
    for (int v : a) EXPECT_EQ(NextRandom(), v);
    SetFixedSeed(true, 42);
    SeedRandomFromClock();
    EXPECT_EQ(NextRandom(), a[0]);
    SetFixedSeed(false, 0);
}

}  // namespace

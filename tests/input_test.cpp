// Logical buttons, their edge latches and the menu cursor.
#include <gtest/gtest.h>

#include "core/buttons.h"

namespace {

class InputTest : public ::testing::Test {
protected:
    void SetUp() override { ResetInput(); }
    void Frame(bool enterDown) {
        KeyState[VK_RETURN] = enterDown ? 1 : 0;
        UpdateButtons();
    }
};

TEST_F(InputTest, HeldEnterTriggersOnceUntilReleaseIsSeen) {
    Frame(true);
    EXPECT_EQ(ButtonPressed(ButtonEnter), 1);
    for (int i = 0; i < 5; ++i) {
        Frame(true);
        EXPECT_EQ(ButtonPressed(ButtonEnter), 0) << "held frame " << i;
    }
    Frame(false);
    EXPECT_EQ(ButtonPressed(ButtonEnter), 0);
    Frame(true);
    EXPECT_EQ(ButtonPressed(ButtonEnter), 1);
}

TEST_F(InputTest, ReleaseThatNoSceneQueriedIsNotSeen) {
    // Leaving a screen with Enter, then releasing and pressing it again while
    // the next screen asks only for Up and Down: the latch is still set.
    Frame(true);
    EXPECT_EQ(ButtonPressed(ButtonEnter), 1);
    Frame(false);  // nobody asks
    Frame(true);   // nobody asks
    Frame(true);
    EXPECT_EQ(ButtonPressed(ButtonEnter), 0);
    Frame(false);
    EXPECT_EQ(ButtonPressed(ButtonEnter), 0);
    Frame(true);
    EXPECT_EQ(ButtonPressed(ButtonEnter), 1);
}

TEST_F(InputTest, ButtonsFoldTheirKeys) {
    KeyState['A'] = 1;
    KeyState[VK_RIGHT] = 1;
    KeyState['W'] = 1;
    KeyState[VK_CONTROL] = 1;
    UpdateButtons();
    EXPECT_EQ(ButtonState[ButtonLeft], 1);
    EXPECT_EQ(ButtonState[ButtonRight], 1);
    EXPECT_EQ(ButtonState[ButtonUp], 1);
    EXPECT_EQ(ButtonState[ButtonDown], 0);
    EXPECT_EQ(ButtonState[ButtonEnter], 1);  // Ctrl confirms like Enter
    ResetInput();
    KeyState[VK_SPACE] = 1;
    KeyState[VK_SHIFT] = 1;
    KeyState[VK_DOWN] = 1;
    UpdateButtons();
    EXPECT_EQ(ButtonState[ButtonSpace], 1);
    EXPECT_EQ(ButtonState[ButtonShift], 1);
    EXPECT_EQ(ButtonState[ButtonDown], 1);
    EXPECT_EQ(ButtonState[ButtonEnter], 0);
}

TEST_F(InputTest, LatchesAreIndependentPerButton) {
    KeyState[VK_SPACE] = 1;
    KeyState[VK_RETURN] = 1;
    UpdateButtons();
    EXPECT_EQ(ButtonPressed(ButtonSpace), 1);
    // Enter was not asked about yet: its first query still triggers.
    EXPECT_EQ(ButtonPressed(ButtonEnter), 1);
    EXPECT_EQ(ButtonPressed(ButtonSpace), 0);
    EXPECT_EQ(ButtonPressed(-1), 0);
    EXPECT_EQ(ButtonPressed(kButtonCount), 0);
}

TEST(MenuCursor, StopsAtItsLimitsAndUpWins) {
    float c = 0.0f;
    EXPECT_EQ(MoveMenuCursor(&c, 1, 0, 0.0f, 2.0f), 0);  // up on the top item
    EXPECT_EQ(c, 0.0f);
    EXPECT_EQ(MoveMenuCursor(&c, 1, 1, 0.0f, 2.0f), 0);  // both: up wins, down not looked at
    EXPECT_EQ(c, 0.0f);
    EXPECT_EQ(MoveMenuCursor(&c, 0, 1, 0.0f, 2.0f), 1);
    EXPECT_EQ(MoveMenuCursor(&c, 0, 1, 0.0f, 2.0f), 1);
    EXPECT_EQ(c, 2.0f);
    EXPECT_EQ(MoveMenuCursor(&c, 0, 1, 0.0f, 2.0f), 0);  // at the maximum: no move, no sound
    EXPECT_EQ(c, 2.0f);
    EXPECT_EQ(MoveMenuCursor(&c, 1, 1, 0.0f, 2.0f), 1);
    EXPECT_EQ(c, 1.0f);
    EXPECT_EQ(MoveMenuCursor(&c, 0, 0, 0.0f, 2.0f), 0);
}

}  // namespace

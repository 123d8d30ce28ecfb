// Keyboard state by virtual-key code, the seven logical buttons with their
// edge latches, and the menu cursor.
#pragma once
#include <cstdint>

enum Button {
    ButtonLeft = 0,
    ButtonRight = 1,
    ButtonUp = 2,
    ButtonDown = 3,
    ButtonSpace = 4,
    ButtonShift = 5,
    ButtonEnter = 6,
};
constexpr int kButtonCount = 7;

// Virtual-key codes the game reads.
enum : uint8_t {
    VK_RETURN = 0x0D,
    VK_SHIFT = 0x10,
    VK_CONTROL = 0x11,
    VK_ESCAPE = 0x1B,
    VK_SPACE = 0x20,
    VK_LEFT = 0x25,
    VK_UP = 0x26,
    VK_RIGHT = 0x27,
    VK_DOWN = 0x28,
};

extern uint8_t KeyState[256];
extern uint8_t ButtonState[kButtonCount];

void UpdateButtons();
// The buttons the keys hold down now, bit b for button b: what the next
// UpdateButtons will find (ButtonState itself is left as it is).
int HeldButtons();
// Makes the keyboard hold exactly the buttons of `mask` (one key each, every
// other key up), for a recorded run played back.
void HoldButtons(int mask);
int ButtonPressed(int button);
// Whether ButtonPressed has reported each button's current press (1 or 0):
// taken when a stage attempt is recorded and put back when it plays again.
void SaveButtonLatches(int latches[kButtonCount]);
void RestoreButtonLatches(const int latches[kButtonCount]);
int MoveMenuCursor(float* cursor, int up, int down, float min, float max);
// Clears key state, button state and latches (program start and tests).
void ResetInput();

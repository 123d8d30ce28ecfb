// Keyboard state by virtual-key code, the seven logical buttons with their
// keys and edge latches, and the menu cursor.
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

// The two keys (virtual-key codes, 0 for none) that hold each button down.
// The player's settings may change them; the defaults are the game's own.
constexpr int kKeysPerButton = 2;
struct ButtonKeyTable {
    uint8_t keys[kButtonCount][kKeysPerButton];
};
// One row per button, in button order: A or Left, D or Right, W or Up, S or
// Down, Space, Shift, Enter or Ctrl.
constexpr ButtonKeyTable kDefaultButtonKeys = {{
    {'A', VK_LEFT}, {'D', VK_RIGHT}, {'W', VK_UP}, {'S', VK_DOWN},
    {VK_SPACE, 0}, {VK_SHIFT, 0}, {VK_RETURN, VK_CONTROL},
}};
extern ButtonKeyTable ButtonKeys;
// Buttons held by a game controller (written by the input mapping), 0 or 1.
extern uint8_t PadButtonState[kButtonCount];
// 1 during a countdown or play frame whose scene is to pause as if Enter had
// been pressed: the window lost the focus (see the input mapping).
extern int FocusPauseRequest;

void UpdateButtons();
// The buttons the keys hold down now, bit b for button b: what the next
// UpdateButtons will find (ButtonState itself is left as it is).
int HeldButtons();
// Makes exactly the buttons of `mask` held, whatever keys are bound to them
// (every key up), for a recorded run played back.
void HoldButtons(int mask);
int ButtonPressed(int button);
// Whether ButtonPressed has reported each button's current press (1 or 0):
// taken when a stage attempt is recorded and put back when it plays again.
void SaveButtonLatches(int latches[kButtonCount]);
void RestoreButtonLatches(const int latches[kButtonCount]);
int MoveMenuCursor(float* cursor, int up, int down, float min, float max);
// Clears key state, pad buttons, button state and latches (program start and
// tests); the button keys are left as they are.
void ResetInput();

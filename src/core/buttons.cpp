#include "core/buttons.h"

#include <cstring>

uint8_t KeyState[256];
uint8_t ButtonState[kButtonCount];

namespace {
// Whether ButtonPressed has reported the button's current press.
int ButtonLatch[kButtonCount];
}  // namespace

void UpdateButtons() {
    ButtonState[ButtonLeft] = (KeyState['A'] != 0 || KeyState[VK_LEFT] != 0);
    ButtonState[ButtonRight] = (KeyState['D'] != 0 || KeyState[VK_RIGHT] != 0);
    ButtonState[ButtonUp] = (KeyState['W'] != 0 || KeyState[VK_UP] != 0);
    ButtonState[ButtonDown] = (KeyState['S'] != 0 || KeyState[VK_DOWN] != 0);
    ButtonState[ButtonSpace] = KeyState[VK_SPACE];
    ButtonState[ButtonShift] = KeyState[VK_SHIFT];
    ButtonState[ButtonEnter] = (KeyState[VK_RETURN] == 1 || KeyState[VK_CONTROL] == 1);
}

int HeldButtons() {
    uint8_t kept[kButtonCount];
    std::memcpy(kept, ButtonState, sizeof kept);
    UpdateButtons();
    int mask = 0;
    for (int b = 0; b < kButtonCount; ++b)
        if (ButtonState[b]) mask |= 1 << b;
    std::memcpy(ButtonState, kept, sizeof kept);
    return mask;
}

void HoldButtons(int mask) {
    static const uint8_t kFirstKey[kButtonCount] = {'A', 'D', 'W', 'S', VK_SPACE, VK_SHIFT, VK_RETURN};
    std::memset(KeyState, 0, sizeof KeyState);
    for (int b = 0; b < kButtonCount; ++b)
        if (mask & (1 << b)) KeyState[kFirstKey[b]] = 1;
}

int ButtonPressed(int button) {
    if (button < 0 || button >= kButtonCount) return 0;
    // The latch only moves when a scene asks, so a release nobody asked about
    // goes unseen and the next press does not trigger.
    if (ButtonState[button] == 1) {
        if (ButtonLatch[button] != 1) {
            ButtonLatch[button] = 1;
            return 1;
        }
        return 0;
    }
    ButtonLatch[button] = 0;
    return 0;
}

void SaveButtonLatches(int latches[kButtonCount]) {
    for (int b = 0; b < kButtonCount; ++b) latches[b] = ButtonLatch[b] == 1 ? 1 : 0;
}

void RestoreButtonLatches(const int latches[kButtonCount]) {
    for (int b = 0; b < kButtonCount; ++b) ButtonLatch[b] = latches[b];
}

int MoveMenuCursor(float* cursor, int up, int down, float min, float max) {
    if (up == 1) {  // up wins, and down is not looked at
        if (*cursor > min) {
            *cursor -= 1.0f;
            return 1;
        }
        return 0;
    }
    if (down == 1 && *cursor < max) {
        *cursor += 1.0f;
        return 1;
    }
    return 0;
}

void ResetInput() {
    std::memset(KeyState, 0, sizeof KeyState);
    std::memset(ButtonState, 0, sizeof ButtonState);
    std::memset(ButtonLatch, 0, sizeof ButtonLatch);
}

#include "core/buttons.h"

#include <cstring>

uint8_t KeyState[256];
uint8_t ButtonState[kButtonCount];

namespace {
// Whether ButtonPressed has reported the button's current press.
int ButtonLatch[kButtonCount];
}  // namespace

uint8_t PadButtonState[kButtonCount];
int FocusPauseRequest = 0;

ButtonKeyTable ButtonKeys = kDefaultButtonKeys;

// A button is down while either of its keys is, or the controller holds it.
// Key bytes are only ever 0 or 1, so "either byte is 1" (Enter and Ctrl) and
// "either byte is non-zero" (the others) are one rule.
void UpdateButtons() {
    for (int b = 0; b < kButtonCount; ++b) {
        bool down = PadButtonState[b] != 0;
        for (int k = 0; k < kKeysPerButton; ++k) {
            const uint8_t vk = ButtonKeys.keys[b][k];
            if (vk != 0 && KeyState[vk] != 0) down = true;
        }
        ButtonState[b] = down ? 1 : 0;
    }
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
    // Held as a controller holds them, with every key up: the keys the
    // player's settings bind (two buttons may even share one) play no part.
    std::memset(KeyState, 0, sizeof KeyState);
    for (int b = 0; b < kButtonCount; ++b) PadButtonState[b] = (mask >> b) & 1;
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
    std::memset(PadButtonState, 0, sizeof PadButtonState);
    FocusPauseRequest = 0;
}

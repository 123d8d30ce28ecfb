#include "platform/mouse.h"

#include "platform/window.h"

int WindowActive = 0;

namespace {
bool g_mouseAcquired = false;
}

int MouseInit() {
    g_mouseAcquired = PlatformMouseOpen();
    return g_mouseAcquired ? 1 : 0;
}

void MousePoll(int* dx, int* dy) {
    uint8_t buttons[3];
    if (!g_mouseAcquired || WindowActive == 0) {
        *dx = *dy = 0;
        if (g_mouseAcquired) PlatformMouseRead(dx, dy, buttons);  // drop what arrived meanwhile
        *dx = *dy = 0;
        return;
    }
    PlatformMouseRead(dx, dy, buttons);
}

int MouseButton(int button) {
    if (button < 0 || button > 2 || !g_mouseAcquired || WindowActive == 0) return 0;
    // A fresh device read: it consumes the motion, as every read does.
    int dx, dy;
    uint8_t buttons[3];
    PlatformMouseRead(&dx, &dy, buttons);
    return buttons[button];
}

void InputRelease() {
    if (g_mouseAcquired) PlatformMouseClose();
    g_mouseAcquired = false;
}

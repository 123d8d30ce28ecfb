// The relative mouse the scenes read, and the pointer's capture: hidden and
// held over the picture in play, the desktop's own pointer everywhere else.
#include <SDL.h>

#include <cstdio>
#include <cstring>

#include "platform/letterbox.h"
#include "platform/sdl_window.h"
#include "platform/window.h"

namespace {

// Motion accumulated from events and consumed by each read.
bool g_mouseOpen = false;
int g_mouseDx = 0, g_mouseDy = 0;
uint8_t g_mouseButtons[3];

bool g_captured = false;
bool g_relativeRefused = false;

// Keeps the (hidden) pointer over the picture, not the bars, so that clicks
// used as fire buttons never reach another window.
void ConfineToPicture(SDL_Window* window) {
    int ww, wh, dw, dh;
    PlatformWindowSize(&ww, &wh);
    PlatformDrawableSize(&dw, &dh);
    const ViewRect v = ViewRectInPoints(FitView(dw, dh, PlatformDisplayOptions().integerScaling), ww,
                                        wh, dw, dh);
    const SDL_Rect r{v.x, v.y, v.w, v.h};
    SDL_SetWindowMouseRect(window, &r);
    SDL_SetWindowGrab(window, SDL_TRUE);
}

}  // namespace

bool PlatformMouseOpen() {
    g_mouseDx = g_mouseDy = 0;
    std::memset(g_mouseButtons, 0, sizeof g_mouseButtons);
    g_captured = false;
    g_relativeRefused = false;
    if (PlatformScripted()) {
        g_mouseOpen = true;
        return true;
    }
    SDL_Window* window = PlatformSdlWindow();
    if (!window) return false;
    // Asked once here: the pointer is only captured later, in play.
    g_mouseOpen = SDL_SetRelativeMouseMode(SDL_TRUE) == 0;
    SDL_SetRelativeMouseMode(SDL_FALSE);
    if (!g_mouseOpen) {
        g_relativeRefused = true;
        std::fprintf(stderr, "Zorbat U.F.O.: no relative mouse; playing without it\n");
    }
    return g_mouseOpen;
}

void PlatformMouseClose() {
    PlatformCapturePointer(false);
    g_mouseOpen = false;
    g_relativeRefused = false;
}

void PlatformMouseRead(int* dx, int* dy, uint8_t buttons[3]) {
    if (!g_mouseOpen || !PlatformWindowActive()) {
        *dx = *dy = 0;
        buttons[0] = buttons[1] = buttons[2] = 0;
        g_mouseDx = g_mouseDy = 0;
        return;
    }
    *dx = g_mouseDx;
    *dy = g_mouseDy;
    g_mouseDx = g_mouseDy = 0;
    std::memcpy(buttons, g_mouseButtons, 3);
}

void PlatformMousePending(int* dx, int* dy, int* buttons) {
    *dx = *dy = *buttons = 0;
    if (!g_mouseOpen || !PlatformWindowActive()) return;
    *dx = g_mouseDx;
    *dy = g_mouseDy;
    for (int b = 0; b < 3; ++b)
        if (g_mouseButtons[b]) *buttons |= 1 << b;
}

void PlatformMouseSetPending(int dx, int dy, int buttons) {
    g_mouseDx = dx;
    g_mouseDy = dy;
    for (int b = 0; b < 3; ++b) g_mouseButtons[b] = (buttons & (1 << b)) ? 0x80 : 0;
}

void PlatformMouseFeed(const PlatformEvent& ev) {
    if (ev.type == EvMouseMotion && g_mouseOpen && PlatformWindowActive()) {
        g_mouseDx += ev.dx;
        g_mouseDy += ev.dy;
    } else if (ev.type == EvMouseButton && ev.code >= 0 && ev.code < 3) {
        g_mouseButtons[ev.code] = ev.down ? 0x80 : 0;
    }
}

void PlatformCapturePointer(bool capture) {
    SDL_Window* window = PlatformSdlWindow();
    if (PlatformScripted() || window == nullptr) {
        g_captured = capture && window != nullptr;
        return;
    }
    if (capture == g_captured) {
        // The picture may have moved (a resize, fullscreen): keep the
        // pointer's bounds with it.
        if (capture && g_relativeRefused) ConfineToPicture(window);
        return;
    }
    g_captured = capture;
    if (capture) {
        if (!g_relativeRefused && SDL_SetRelativeMouseMode(SDL_TRUE) == 0) return;
        // Without relative motion the pointer is still hidden and held over
        // the picture, as it is with it.
        SDL_ShowCursor(SDL_DISABLE);
        ConfineToPicture(window);
    } else {
        if (!g_relativeRefused) SDL_SetRelativeMouseMode(SDL_FALSE);
        SDL_SetWindowMouseRect(window, nullptr);
        SDL_SetWindowGrab(window, SDL_FALSE);
        SDL_ShowCursor(SDL_ENABLE);
    }
}

bool PlatformPointerCaptured() { return g_captured; }

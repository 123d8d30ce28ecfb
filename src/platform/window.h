// The game window, its events and the relative mouse.
#pragma once
#include <cstdint>

constexpr int kViewWidth = 800;
constexpr int kViewHeight = 600;

bool PlatformInitVideo();
void PlatformShutdownVideo();
// Creates the hidden window with an 800 x 600 client area, placed for the desktop.
bool PlatformCreateWindow(const char* title);
void PlatformShowWindow();
void PlatformDestroyWindow();
// Outer window position on a desktop of the given size (left, top).
void WindowPlacement(int desktopWidth, int desktopHeight, int* left, int* top);

enum PlatformEventType {
    EvNone,
    EvKeyDown,    // code = virtual-key
    EvKeyUp,      // code = virtual-key
    EvQuit,       // window closed
    EvFocusIn,
    EvFocusOut,
    EvMouseMotion,  // dx, dy
    EvMouseButton,  // code = button 0..2, down = 1 pressed
    EvControlKey,   // a key pressed while a recorded run plays back: code = virtual-key
};

struct PlatformEvent {
    int type;
    int code;
    int dx, dy;
    int down;
};

// True when an event is waiting (real or injected); does not remove it.
bool PlatformPeekEvent();
bool PlatformNextEvent(PlatformEvent* ev);
// Scripted input: queued ahead of the real events. The queue holds this many;
// the loop drains it before every frame, so it bounds one frame's events.
constexpr int kPlatformInjectCapacity = 256;
void PlatformInjectEvent(const PlatformEvent& ev);
// When scripted, real input events (keys, mouse, focus) are discarded.
void PlatformSetScripted(bool scripted);
// While scripted, real key presses come as EvControlKey instead of being
// discarded (playback takes Space and Escape this way); off by default.
void PlatformSetControlKeys(bool on);
bool PlatformWindowActive();
// Scripted runs only: the window's activation, as a focus event would set it.
void PlatformSetActive(bool active);

// Win32 virtual-key code for an SDL keycode, 0 for keys the game does not know.
int VirtualKeyFromKeycode(int sdlKeycode);

// Relative mouse: motion since the previous read and the three button states.
bool PlatformMouseOpen();
void PlatformMouseClose();
void PlatformMouseRead(int* dx, int* dy, uint8_t buttons[3]);
// What the next read would return, without taking it: the motion and the
// buttons held (bit b for button b).
void PlatformMousePending(int* dx, int* dy, int* buttons);
// Replaces what the next read returns (a recorded run played back).
void PlatformMouseSetPending(int dx, int dy, int buttons);
void PlatformConfineCursor(bool confine);

// The game window, its events, the relative mouse and game controllers.
#pragma once
#include <cstdint>

constexpr int kViewWidth = 800;
constexpr int kViewHeight = 600;

// How the window shows the 800 x 600 view. The defaults are the game's own
// window: 800 x 600, windowed, presents waiting for the display's refresh.
struct DisplayOptions {
    bool fullscreen = false;      // the whole desktop (its own mode, no mode switch)
    int scale = 1;                // windowed size: 800 x 600 times 1 to 4
    bool vsync = true;
    bool integerScaling = false;  // the view grows by whole multiples only
};
constexpr int kMaxWindowScale = 4;

bool PlatformInitVideo();
void PlatformShutdownVideo();
// Taken by the next PlatformCreateWindow. A scripted run always gets the
// defaults' fixed 800 x 600 window, whatever was set.
void PlatformSetDisplayOptions(const DisplayOptions& options);
const DisplayOptions& PlatformDisplayOptions();
// Creates the hidden window with a client area of 800 x 600 times the scale
// (resizable, fullscreen when asked), placed for the desktop.
bool PlatformCreateWindow(const char* title);
void PlatformShowWindow();
void PlatformDestroyWindow();
// Outer window position on a desktop of the given size (left, top).
void WindowPlacement(int desktopWidth, int desktopHeight, int* left, int* top);
// Between windowed and fullscreen (F11, Alt+Enter).
void PlatformToggleFullscreen();
// The window's drawable in pixels (more than its size in points on a
// high-density display), and its size in points.
void PlatformDrawableSize(int* width, int* height);
void PlatformWindowSize(int* width, int* height);
// Sets the window's size (in points) and waits, up to 5 seconds, until its
// drawable has followed (benchmarks and tests); false when it did not.
bool PlatformResizeWindow(int width, int height);

enum PlatformEventType {
    EvNone,
    EvKeyDown,    // code = virtual-key
    EvKeyUp,      // code = virtual-key
    EvQuit,       // window closed
    EvFocusIn,
    EvFocusOut,
    EvMouseMotion,  // dx, dy
    EvMouseButton,  // code = button 0..2, down = 1 pressed
    EvPadButton,    // code = PadButtonId, down = 1 pressed
    EvPadAxis,      // code = PadAxisId, dx = position
    EvPadRemoved,   // a controller was unplugged
    EvControlKey,   // a key pressed while a recorded run plays back: code = virtual-key
};

// Flags of a key event.
enum : int {
    kEvAlt = 1,     // an Alt key was held
    kEvRepeat = 2,  // the keyboard's auto-repeat
};

struct PlatformEvent {
    int type;
    int code;
    int dx, dy;
    int down;
    int flags;
};

// Game controller buttons and axes, as the controller API names them (the
// layout of the common two-stick pads, whatever the make).
enum PadButtonId {
    PadA,
    PadB,
    PadX,
    PadY,
    PadBack,
    PadStart,
    PadLeftShoulder,
    PadRightShoulder,
    PadDpadUp,
    PadDpadDown,
    PadDpadLeft,
    PadDpadRight,
    kPadButtonCount
};
// Sticks from -32768 (left, up) to 32767; triggers from 0 to 32767.
enum PadAxisId { PadLeftX, PadLeftY, PadRightX, PadRightY, PadLeftTrigger, PadRightTrigger, kPadAxisCount };

// True when an event is waiting (real or injected); does not remove it.
bool PlatformPeekEvent();
// The next event; the window's activation follows its focus events here.
bool PlatformNextEvent(PlatformEvent* ev);
// Scripted input: queued ahead of the real events. The queue holds this many;
// the loop drains it before every frame, so it bounds one frame's events.
constexpr int kPlatformInjectCapacity = 256;
void PlatformInjectEvent(const PlatformEvent& ev);
// When scripted, real input events (keys, mouse, controllers, focus) are discarded.
void PlatformSetScripted(bool scripted);
// While scripted, real key presses come as EvControlKey instead of being
// discarded (playback takes Space and Escape this way); off by default.
void PlatformSetControlKeys(bool on);
bool PlatformScripted();
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
// What reaches the mouse device: motion (EvMouseMotion) and buttons
// (EvMouseButton), after the input mapping.
void PlatformMouseFeed(const PlatformEvent& ev);
// Captured, the pointer is hidden, kept over the picture and reports
// relative motion (play); released, it is the desktop's own again (menus,
// pause, another window in front).
void PlatformCapturePointer(bool capture);
bool PlatformPointerCaptured();

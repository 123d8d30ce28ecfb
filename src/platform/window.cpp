#include "platform/window.h"

#include <SDL.h>

#include <cstdio>
#include <cstring>

#include "platform/gamepad.h"
#include "platform/icon_picture.h"
#include "platform/sdl_window.h"

namespace {

SDL_Window* g_window = nullptr;
bool g_videoUp = false;
bool g_active = true;
bool g_scripted = false;
bool g_controlKeys = false;
DisplayOptions g_display;

// Scripted events wait here ahead of the real ones.
PlatformEvent g_injected[kPlatformInjectCapacity];
int g_injectHead = 0;
int g_injectCount = 0;

// One real event translated but not yet taken.
bool g_havePending = false;
PlatformEvent g_pending;

int MouseIndex(uint8_t sdlButton) {
    switch (sdlButton) {
        case SDL_BUTTON_LEFT: return 0;
        case SDL_BUTTON_RIGHT: return 1;
        case SDL_BUTTON_MIDDLE: return 2;
        default: return -1;
    }
}

// Turns an SDL event into one of ours; false for events the game ignores.
bool Translate(const SDL_Event& e, PlatformEvent* out) {
    std::memset(out, 0, sizeof *out);
    switch (e.type) {
        case SDL_QUIT:
            out->type = EvQuit;
            return true;
        case SDL_WINDOWEVENT:
            if (e.window.event == SDL_WINDOWEVENT_CLOSE) {
                out->type = EvQuit;
                return true;
            }
            if (g_scripted) return false;  // a scripted run owns activation
            if (e.window.event == SDL_WINDOWEVENT_FOCUS_GAINED) {
                out->type = EvFocusIn;
                return true;
            }
            if (e.window.event == SDL_WINDOWEVENT_FOCUS_LOST) {
                out->type = EvFocusOut;
                return true;
            }
            return false;
        case SDL_KEYDOWN:
        case SDL_KEYUP: {
            if (g_scripted && !(g_controlKeys && e.type == SDL_KEYDOWN && !e.key.repeat)) return false;
            const int vk = VirtualKeyFromKeycode(e.key.keysym.sym);
            if (vk == 0) return false;
            out->type = g_scripted ? EvControlKey : (e.type == SDL_KEYDOWN ? EvKeyDown : EvKeyUp);
            out->code = vk;
            out->flags = ((e.key.keysym.mod & KMOD_ALT) ? kEvAlt : 0) | (e.key.repeat ? kEvRepeat : 0);
            return true;
        }
        case SDL_MOUSEMOTION:
            if (g_scripted) return false;
            out->type = EvMouseMotion;
            out->dx = e.motion.xrel;
            out->dy = e.motion.yrel;
            return true;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP: {
            if (g_scripted) return false;
            const int b = MouseIndex(e.button.button);
            if (b < 0) return false;
            out->type = EvMouseButton;
            out->code = b;
            out->down = e.type == SDL_MOUSEBUTTONDOWN;
            return true;
        }
        default:
            // Controllers are opened and closed as they come and go even in a
            // scripted run; what they report counts only in the game.
            return PadTranslate(e, out) && !g_scripted;
    }
}

bool FillPending() {
    if (g_havePending) return true;
    if (!g_videoUp) return false;
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
        if (Translate(e, &g_pending)) {
            g_havePending = true;
            return true;
        }
    }
    return false;
}

// Activation follows the focus here, before the game's message handling, as
// the system would.
void Observe(const PlatformEvent& ev) {
    if (ev.type == EvFocusIn) g_active = true;
    if (ev.type == EvFocusOut) g_active = false;
}

// The game's flying saucer, drawn at start so that the icon needs no file.
void SetIcon() {
    constexpr int n = 32;
    static uint32_t pixels[n * n];
    DrawIconPicture(n, pixels);
    SDL_Surface* s = SDL_CreateRGBSurfaceFrom(pixels, n, n, 32, n * 4, 0x00FF0000, 0x0000FF00,
                                              0x000000FF, 0xFF000000);
    if (s) {
        SDL_SetWindowIcon(g_window, s);
        SDL_FreeSurface(s);
    }
}

}  // namespace

SDL_Window* PlatformSdlWindow() { return g_window; }

bool PlatformInitVideo() {
    if (g_videoUp) return true;
    // Without a display SDL would fall back to drawing off-screen and run an
    // invisible game: only do that when a driver was asked for by name.
    const bool named = SDL_getenv("SDL_VIDEODRIVER") != nullptr;
    const char* x11 = SDL_getenv("DISPLAY");
    const char* wayland = SDL_getenv("WAYLAND_DISPLAY");
    if (!named && (!x11 || !*x11) && (!wayland || !*wayland)) {
        std::fprintf(stderr,
                     "Zorbat U.F.O.: no display found. Start it from a desktop session "
                     "(DISPLAY or WAYLAND_DISPLAY must be set).\n");
        return false;
    }
    // With only an X display, go straight to it rather than probing others first.
    if (!named && (!wayland || !*wayland)) SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
        std::fprintf(stderr, "Zorbat U.F.O.: no display available (%s)\n", SDL_GetError());
        return false;
    }
    PadInit();
    g_videoUp = true;
    return true;
}

void PlatformShutdownVideo() {
    // The video system itself stays up until the process ends: shutting the
    // X11 driver down and starting it again in one process does not always
    // reconnect (tests run the game several times in one process).
    PlatformDestroyWindow();
}

void WindowPlacement(int desktopWidth, int desktopHeight, int* left, int* top) {
    // The outer window is 800 x 632 (a 32-pixel caption over the 800 x 600
    // view), centred by integer halves that round toward zero.
    *left = desktopWidth / 2 - 400;
    *top = (desktopHeight - 32) / 2 - 300;
}

namespace {

// The largest scale up to the one asked for whose window fits the desktop's
// usable area (a window bigger than the screen cannot be seen whole).
int FittingScale(int asked) {
    int scale = asked < 1 ? 1 : (asked > kMaxWindowScale ? kMaxWindowScale : asked);
    SDL_Rect usable;
    if (SDL_GetDisplayUsableBounds(0, &usable) != 0) return scale;
    while (scale > 1 && (kViewWidth * scale > usable.w || kViewHeight * scale > usable.h)) --scale;
    if (scale != asked && asked > 1) {
        std::fprintf(stderr, "Zorbat U.F.O.: a window %d times 800 x 600 does not fit the %d x %d "
                     "desktop; it opens %d times as large\n", asked, usable.w, usable.h, scale);
    }
    return scale;
}

}  // namespace

void PlatformSetDisplayOptions(const DisplayOptions& options) { g_display = options; }
const DisplayOptions& PlatformDisplayOptions() { return g_display; }

bool PlatformCreateWindow(const char* title) {
    if (!PlatformInitVideo()) return false;
    if (g_window) return true;
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    // Depth without a stencil: nothing draws with one (the frame clears only
    // colour and depth), and every depth write beside stencil bits costs the
    // software renderer a read of them.
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
    // A scripted run draws the game's own window, pixel for pixel.
    if (g_scripted) g_display = DisplayOptions{};
    const int scale = g_scripted ? 1 : FittingScale(g_display.scale);
    int x = SDL_WINDOWPOS_CENTERED, y = SDL_WINDOWPOS_CENTERED;
    SDL_Rect desk;
    if (SDL_GetDisplayBounds(0, &desk) == 0) {
        WindowPlacement(desk.w, desk.h, &x, &y);
        // A larger window keeps the same centre.
        x -= kViewWidth * (scale - 1) / 2;
        y -= kViewHeight * (scale - 1) / 2;
        y += 32;  // SDL places the client area; the caption sits above it
    }
    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
    if (!g_scripted) {
        flags |= SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI;
        if (g_display.fullscreen) flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
    }
    g_window = SDL_CreateWindow(title, x, y, kViewWidth * scale, kViewHeight * scale, flags);
    if (!g_window) {
        std::fprintf(stderr, "Zorbat U.F.O.: cannot create the window (%s)\n", SDL_GetError());
        return false;
    }
    SDL_SetWindowMinimumSize(g_window, kViewWidth / 4, kViewHeight / 4);
    SetIcon();
    g_active = true;
    return true;
}

void PlatformToggleFullscreen() {
    if (!g_window || g_scripted) return;
    const bool on = (SDL_GetWindowFlags(g_window) & SDL_WINDOW_FULLSCREEN_DESKTOP) == 0;
    if (SDL_SetWindowFullscreen(g_window, on ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) != 0) {
        std::fprintf(stderr, "Zorbat U.F.O.: cannot switch to %s (%s)\n", on ? "fullscreen" : "a window",
                     SDL_GetError());
        return;
    }
    g_display.fullscreen = on;
}

void PlatformDrawableSize(int* width, int* height) {
    *width = kViewWidth;
    *height = kViewHeight;
    if (g_window) SDL_GL_GetDrawableSize(g_window, width, height);
}

bool PlatformResizeWindow(int width, int height) {
    if (!g_window) return false;
    SDL_SetWindowSize(g_window, width, height);
    // By the clock, not by a count of tries: on a loaded machine the X
    // server can take more than a second to answer.
    const Uint32 start = SDL_GetTicks();
    do {
        SDL_PumpEvents();
        int w = 0, h = 0;
        SDL_GetWindowSize(g_window, &w, &h);
        if (w == width && h == height) return true;
        SDL_Delay(5);
    } while (SDL_GetTicks() - start < 5000);
    return false;
}

void PlatformWindowSize(int* width, int* height) {
    *width = kViewWidth;
    *height = kViewHeight;
    if (g_window) SDL_GetWindowSize(g_window, width, height);
}

void PlatformShowWindow() {
    if (!g_window) return;
    SDL_ShowWindow(g_window);
    if (!g_scripted || g_controlKeys) SDL_RaiseWindow(g_window);
}

void PlatformDestroyWindow() {
    if (g_window) SDL_DestroyWindow(g_window);
    g_window = nullptr;
}

bool PlatformPeekEvent() { return g_injectCount > 0 || FillPending(); }

bool PlatformNextEvent(PlatformEvent* ev) {
    if (g_injectCount > 0) {
        *ev = g_injected[g_injectHead];
        g_injectHead = (g_injectHead + 1) % kPlatformInjectCapacity;
        --g_injectCount;
    } else if (FillPending()) {
        *ev = g_pending;
        g_havePending = false;
    } else {
        return false;
    }
    Observe(*ev);
    return true;
}

void PlatformInjectEvent(const PlatformEvent& ev) {
    if (g_injectCount == kPlatformInjectCapacity) return;  // scripts are checked against this when parsed
    g_injected[(g_injectHead + g_injectCount) % kPlatformInjectCapacity] = ev;
    ++g_injectCount;
}

void PlatformSetScripted(bool scripted) { g_scripted = scripted; }
bool PlatformScripted() { return g_scripted; }

void PlatformSetControlKeys(bool on) { g_controlKeys = on; }

void PlatformSetActive(bool active) {
    if (g_scripted) g_active = active;
}

bool PlatformWindowActive() {
    if (g_scripted || !g_window) return g_active;
    return g_active && (SDL_GetWindowFlags(g_window) & SDL_WINDOW_INPUT_FOCUS) != 0;
}

int VirtualKeyFromKeycode(int key) {
    if (key >= SDLK_a && key <= SDLK_z) return 0x41 + (key - SDLK_a);
    if (key >= SDLK_0 && key <= SDLK_9) return 0x30 + (key - SDLK_0);
    if (key >= SDLK_F1 && key <= SDLK_F12) return 0x70 + (key - SDLK_F1);
    switch (key) {
        case SDLK_LEFT: return 0x25;
        case SDLK_UP: return 0x26;
        case SDLK_RIGHT: return 0x27;
        case SDLK_DOWN: return 0x28;
        case SDLK_SPACE: return 0x20;
        case SDLK_RETURN:
        case SDLK_KP_ENTER: return 0x0D;
        case SDLK_LSHIFT:
        case SDLK_RSHIFT: return 0x10;  // left and right report the generic code
        case SDLK_LCTRL:
        case SDLK_RCTRL: return 0x11;
        case SDLK_LALT:
        case SDLK_RALT: return 0x12;
        case SDLK_ESCAPE: return 0x1B;
        case SDLK_TAB: return 0x09;
        case SDLK_BACKSPACE: return 0x08;
        case SDLK_INSERT: return 0x2D;
        case SDLK_DELETE: return 0x2E;
        case SDLK_HOME: return 0x24;
        case SDLK_END: return 0x23;
        case SDLK_PAGEUP: return 0x21;
        case SDLK_PAGEDOWN: return 0x22;
        case SDLK_KP_0: return 0x60;  // the keypad's digits, 0x60 to 0x69 in order
        case SDLK_KP_1: return 0x61;
        case SDLK_KP_2: return 0x62;
        case SDLK_KP_3: return 0x63;
        case SDLK_KP_4: return 0x64;
        case SDLK_KP_5: return 0x65;
        case SDLK_KP_6: return 0x66;
        case SDLK_KP_7: return 0x67;
        case SDLK_KP_8: return 0x68;
        case SDLK_KP_9: return 0x69;
        default: return 0;
    }
}


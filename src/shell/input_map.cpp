#include "shell/input_map.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/window.h"
#include "shell/game_loop.h"

namespace {

constexpr int VK_F11 = 0x7A;
constexpr int VK_F12 = 0x7B;
// Full deflection of the right stick turns as 48 mouse counts a frame do
// (about 2.7 degrees, a half turn in a little over a second).
constexpr float kStickCountsPerFrame = 48.0f;
// A trigger counts as pulled past a third of its travel.
constexpr int kTriggerPulled = 32767 / 3;

InputSettings g_settings;

struct PadState {
    bool buttons[kPadButtonCount];
    int axes[kPadAxisCount];
};
PadState g_pad;
// The mouse buttons as the mouse reports them, and as last handed on
// (the mouse's own OR the trigger standing for it).
bool g_mouseHeld[3];
bool g_fedHeld[3];
// Fractions of a count carried over to the next motion.
float g_mouseRestX = 0.0f, g_mouseRestY = 0.0f;
float g_stickRestX = 0.0f, g_stickRestY = 0.0f;

bool g_focusPause = false;
bool g_screenshot = false;

int DeadZoneUnits() { return std::clamp(g_settings.padDeadZone, 0, 90) * 32767 / 100; }

// Adds `amount` to a carried fraction and takes the whole counts out.
int WholeCounts(float amount, float* rest) {
    const float total = *rest + amount;
    const float whole = std::floor(total);
    *rest = total - whole;
    return static_cast<int>(whole);
}

void FeedMouseMotion(int dx, int dy) {
    if (dx == 0 && dy == 0) return;
    PlatformEvent m{};
    m.type = EvMouseMotion;
    m.dx = dx;
    m.dy = dy;
    PlatformMouseFeed(m);
}

// The controller's buttons and left stick as the game's buttons, its
// triggers as the two fire buttons of the mouse.
void ApplyPad() {
    const int dz = DeadZoneUnits();
    const bool* b = g_pad.buttons;
    const int* a = g_pad.axes;
    PadButtonState[ButtonLeft] = b[PadDpadLeft] || a[PadLeftX] < -dz;
    PadButtonState[ButtonRight] = b[PadDpadRight] || a[PadLeftX] > dz;
    PadButtonState[ButtonUp] = b[PadDpadUp] || a[PadLeftY] < -dz;  // the stick's up is negative
    PadButtonState[ButtonDown] = b[PadDpadDown] || a[PadLeftY] > dz;
    PadButtonState[ButtonSpace] = b[PadA];
    PadButtonState[ButtonShift] = b[PadB];
    PadButtonState[ButtonEnter] = b[PadStart];
    // The right trigger fires the beam (the left mouse button), the left one
    // the homing star (the right mouse button).
    const bool trigger[3] = {a[PadRightTrigger] > kTriggerPulled, a[PadLeftTrigger] > kTriggerPulled,
                             false};
    for (int i = 0; i < 3; ++i) {
        const bool held = g_mouseHeld[i] || trigger[i];
        if (held == g_fedHeld[i]) continue;
        g_fedHeld[i] = held;
        PlatformEvent m{};
        m.type = EvMouseButton;
        m.code = i;
        m.down = held ? 1 : 0;
        PlatformMouseFeed(m);
    }
}

void ReleasePad() {
    std::memset(&g_pad, 0, sizeof g_pad);
    g_stickRestX = g_stickRestY = 0.0f;
    ApplyPad();
}

// The display and screenshot keys: true when the key was theirs.
bool ComfortKey(const PlatformEvent& ev) {
    if (!g_settings.comfortKeys || ev.type != EvKeyDown) return false;
    const bool altEnter = ev.code == VK_RETURN && (ev.flags & kEvAlt);
    if (ev.code != VK_F11 && ev.code != VK_F12 && !altEnter) return false;
    if (ev.flags & kEvRepeat) return true;  // held down: once is enough
    if (ev.code == VK_F12) g_screenshot = true;
    else PlatformToggleFullscreen();
    return true;
}

}  // namespace

void SetInputSettings(const InputSettings& settings) {
    g_settings = settings;
    ButtonKeys = settings.keys;
    std::memset(g_mouseHeld, 0, sizeof g_mouseHeld);
    std::memset(g_fedHeld, 0, sizeof g_fedHeld);
    g_mouseRestX = g_mouseRestY = 0.0f;
    g_focusPause = false;
    g_screenshot = false;
    ReleasePad();
}

const InputSettings& CurrentInputSettings() { return g_settings; }

void DeliverInput(const PlatformEvent& ev) {
    switch (ev.type) {
        case EvKeyDown:
        case EvKeyUp:
            if (!ComfortKey(ev)) WindowProc(ev);
            break;
        case EvMouseMotion: {
            // Sensitivity 1 passes every count through unchanged.
            const float s = g_settings.mouseSensitivity;
            const int dx = WholeCounts(static_cast<float>(ev.dx) * s, &g_mouseRestX);
            const int dy = WholeCounts(static_cast<float>(ev.dy) * s, &g_mouseRestY);
            FeedMouseMotion(dx, g_settings.invertPitch ? -dy : dy);
            break;
        }
        case EvMouseButton:
            if (ev.code >= 0 && ev.code < 3) g_mouseHeld[ev.code] = ev.down != 0;
            ApplyPad();
            break;
        case EvPadButton:
            if (ev.code >= 0 && ev.code < kPadButtonCount) g_pad.buttons[ev.code] = ev.down != 0;
            ApplyPad();
            break;
        case EvPadAxis:
            if (ev.code >= 0 && ev.code < kPadAxisCount) g_pad.axes[ev.code] = std::clamp(ev.dx, -32768, 32767);
            ApplyPad();
            break;
        case EvPadRemoved:
            // Whatever it held is let go: a stick held as it was unplugged
            // does not fly the craft on.
            ReleasePad();
            break;
        case EvFocusOut:
            // Like the keys, the controller reads as let go while the game is
            // in the background.
            ReleasePad();
            if (g_settings.pauseOnFocusLoss) g_focusPause = true;
            WindowProc(ev);
            break;
        default:
            WindowProc(ev);
            break;
    }
}

void InputFrame() {
    const float x = static_cast<float>(g_pad.axes[PadRightX]);
    const float y = static_cast<float>(g_pad.axes[PadRightY]);
    const float length = std::sqrt(x * x + y * y);
    const float dz = static_cast<float>(DeadZoneUnits());
    if (length <= dz) return;
    // From the edge of the dead zone to full deflection, slow to fast (the
    // square gives fine aim near the centre).
    const float over = std::min(1.0f, (length - dz) / (32767.0f - dz));
    const float speed = kStickCountsPerFrame * g_settings.padSensitivity * over * over;
    const int dx = WholeCounts(x / length * speed, &g_stickRestX);
    const int dy = WholeCounts(y / length * speed, &g_stickRestY);
    FeedMouseMotion(dx, g_settings.invertPitch ? -dy : dy);
}

bool FocusPausePending() { return g_focusPause; }
void ClearFocusPause() { g_focusPause = false; }
void RequestFocusPause() { g_focusPause = true; }

bool TakeScreenshotRequest() {
    const bool wanted = g_screenshot;
    g_screenshot = false;
    return wanted;
}

#include "platform/gamepad.h"

#include <SDL.h>

#include <cstdio>
#include <cstring>

#include "platform/window.h"

namespace {

constexpr int kMaxPads = 4;
SDL_GameController* g_pads[kMaxPads];
bool g_padsUp = false;

// SDL's button numbers to ours; -1 for buttons the game has no use for.
int PadButtonFromSdl(int b) {
    switch (b) {
        case SDL_CONTROLLER_BUTTON_A: return PadA;
        case SDL_CONTROLLER_BUTTON_B: return PadB;
        case SDL_CONTROLLER_BUTTON_X: return PadX;
        case SDL_CONTROLLER_BUTTON_Y: return PadY;
        case SDL_CONTROLLER_BUTTON_BACK: return PadBack;
        case SDL_CONTROLLER_BUTTON_START: return PadStart;
        case SDL_CONTROLLER_BUTTON_LEFTSHOULDER: return PadLeftShoulder;
        case SDL_CONTROLLER_BUTTON_RIGHTSHOULDER: return PadRightShoulder;
        case SDL_CONTROLLER_BUTTON_DPAD_UP: return PadDpadUp;
        case SDL_CONTROLLER_BUTTON_DPAD_DOWN: return PadDpadDown;
        case SDL_CONTROLLER_BUTTON_DPAD_LEFT: return PadDpadLeft;
        case SDL_CONTROLLER_BUTTON_DPAD_RIGHT: return PadDpadRight;
        default: return -1;
    }
}

int PadAxisFromSdl(int a) {
    switch (a) {
        case SDL_CONTROLLER_AXIS_LEFTX: return PadLeftX;
        case SDL_CONTROLLER_AXIS_LEFTY: return PadLeftY;
        case SDL_CONTROLLER_AXIS_RIGHTX: return PadRightX;
        case SDL_CONTROLLER_AXIS_RIGHTY: return PadRightY;
        case SDL_CONTROLLER_AXIS_TRIGGERLEFT: return PadLeftTrigger;
        case SDL_CONTROLLER_AXIS_TRIGGERRIGHT: return PadRightTrigger;
        default: return -1;
    }
}

void Open(int deviceIndex) {
    for (SDL_GameController*& slot : g_pads) {
        if (slot != nullptr) continue;
        slot = SDL_GameControllerOpen(deviceIndex);
        if (slot == nullptr) {
            std::fprintf(stderr, "Zorbat U.F.O.: cannot open the game controller (%s)\n", SDL_GetError());
        }
        return;
    }
    std::fprintf(stderr, "Zorbat U.F.O.: more than %d game controllers; the new one is not used\n", kMaxPads);
}

bool Close(SDL_JoystickID instance) {
    for (SDL_GameController*& slot : g_pads) {
        if (slot == nullptr) continue;
        if (SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(slot)) != instance) continue;
        SDL_GameControllerClose(slot);
        slot = nullptr;
        return true;
    }
    return false;
}

}  // namespace

void PadInit() {
    if (g_padsUp) return;
    // Controllers already plugged in arrive as events like later ones.
    if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) {
        std::fprintf(stderr, "Zorbat U.F.O.: no game controllers (%s)\n", SDL_GetError());
        return;
    }
    g_padsUp = true;
}

bool PadTranslate(const SDL_Event& e, PlatformEvent* out) {
    std::memset(out, 0, sizeof *out);
    switch (e.type) {
        case SDL_CONTROLLERDEVICEADDED:
            Open(e.cdevice.which);
            return false;
        case SDL_CONTROLLERDEVICEREMOVED:
            if (!Close(e.cdevice.which)) return false;
            out->type = EvPadRemoved;
            return true;
        case SDL_CONTROLLERBUTTONDOWN:
        case SDL_CONTROLLERBUTTONUP: {
            const int b = PadButtonFromSdl(e.cbutton.button);
            if (b < 0) return false;
            out->type = EvPadButton;
            out->code = b;
            out->down = e.type == SDL_CONTROLLERBUTTONDOWN;
            return true;
        }
        case SDL_CONTROLLERAXISMOTION: {
            const int a = PadAxisFromSdl(e.caxis.axis);
            if (a < 0) return false;
            out->type = EvPadAxis;
            out->code = a;
            out->dx = e.caxis.value;
            return true;
        }
        default:
            return false;
    }
}

// The one place between the devices and the game. Every event the window
// reports passes through DeliverInput, and this is where the player's input
// settings act: mouse sensitivity and pitch, the game controller's buttons,
// sticks and triggers folded into the game's buttons and mouse, the keys of
// the display and the screenshot, and the pause on focus loss. The game
// receives what comes out: key bytes by virtual-key code (WindowProc), the
// controller's share of the buttons (PadButtonState), and mouse motion and
// buttons through the mouse device. (Which keys hold which button is the
// ButtonKeys table UpdateButtons reads; it is installed from here too.)
#pragma once

#include "core/buttons.h"

struct PlatformEvent;

struct InputSettings {
    float mouseSensitivity = 1.0f;  // mouse counts per count the mouse reports
    bool invertPitch = false;       // moving the mouse (or stick) forward lifts the nose
    float padSensitivity = 1.0f;    // the right stick's turning speed, 1 = full deflection 48 counts a frame
    int padDeadZone = 25;           // percent of a stick's travel ignored around its centre
    ButtonKeyTable keys = kDefaultButtonKeys;
    // The game as its rules have it: losing the focus leaves it running. The
    // player's settings turn this on; scripted runs keep it off unless asked.
    bool pauseOnFocusLoss = false;
    // F11, Alt+Enter (fullscreen) and F12 (screenshot); off in scripted runs,
    // where every key is the game's.
    bool comfortKeys = true;
};

// Takes new settings (and installs their keys); pad state, remainders and a
// pending pause are cleared.
void SetInputSettings(const InputSettings& settings);
const InputSettings& CurrentInputSettings();

// One event from the window, mapped and handed on.
void DeliverInput(const PlatformEvent& ev);
// Once per frame, before its scene: the right stick's motion for the frame.
void InputFrame();

// The window lost the focus during a stage and the pause it asks for has
// not been taken yet (see DispatchScene).
bool FocusPausePending();
void ClearFocusPause();
// Asks for that pause as a lost focus does (a recorded run played back).
void RequestFocusPause();
// F12 was pressed since the last call.
bool TakeScreenshotRequest();

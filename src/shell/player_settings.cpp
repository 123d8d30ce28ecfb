#include "shell/player_settings.h"

#include "formats/replay_store.h"
#include "formats/settings_file.h"
#include "platform/audio.h"
#include "platform/window.h"
#include "shell/input_map.h"

void ApplyPlayerSettings(const PlayerSettings& s) {
    DisplayOptions display;
    display.fullscreen = s.fullscreen;
    display.scale = s.scale;
    display.vsync = s.vsync;
    display.integerScaling = s.integerScaling;
    PlatformSetDisplayOptions(display);
    AudioSetVolumes(s.musicVolume, s.effectsVolume, s.mute);
    InputSettings input;
    input.mouseSensitivity = s.mouseSensitivity;
    input.invertPitch = s.invertPitch;
    input.padSensitivity = s.padSensitivity;
    input.padDeadZone = s.padDeadZone;
    input.keys = s.keys;
    input.pauseOnFocusLoss = s.pauseOnFocusLoss;
    SetInputSettings(input);
    SetReplaysKept(s.replaysKept);
}

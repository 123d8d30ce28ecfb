// The player's settings file (settings.ini): display, keys, mouse, game
// controller, sound, focus and replays. Every key is optional and the game
// never writes the file; `zorbat --print-settings` prints a complete one with
// every default. The keys are the rows of one table (settings_file.cpp), from
// which the reader, the printed file and the help text are all made.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>

#include "core/buttons.h"
#include "formats/replay_store.h"

struct PlayerSettings {
    // [display]
    bool fullscreen = false;
    int scale = 1;
    bool vsync = true;
    bool integerScaling = false;
    // [keys]
    ButtonKeyTable keys = kDefaultButtonKeys;
    // [mouse]
    float mouseSensitivity = 1.0f;
    bool invertPitch = false;
    // [gamepad]
    float padSensitivity = 1.0f;
    int padDeadZone = 25;
    // [sound]
    int musicVolume = 100;
    int effectsVolume = 100;
    bool mute = false;
    // [focus]
    bool pauseOnFocusLoss = true;
    // [replays]
    int replaysKept = kDefaultReplaysKept;
};

// Reads settings text into `settings`, which keeps whatever the text does not
// set. Each bad line gets one message through `report` ("NAME:LINE: what is
// wrong"), and every other line still applies. Returns the number of bad lines.
using SettingsReport = void (*)(const std::string& message, void* user);
int ReadSettings(const std::string& text, const std::string& name, PlayerSettings* settings,
                 SettingsReport report, void* user);

// Reads the file at `path`; a missing file is no error (the defaults stay).
// Files that are not plain files (a FIFO, a device) or are larger than
// kSettingsMaxBytes are refused with one message and not read. Messages go
// to stderr. Returns the number of messages given.
constexpr long kSettingsMaxBytes = 64 * 1024;
int LoadSettingsFile(const std::string& path, PlayerSettings* settings);

// A complete settings file holding `settings`, every key with a comment.
void PrintSettings(std::FILE* to, const PlayerSettings& settings);
// One line per key for --help: "[section] key = default   what it does".
void PrintSettingsHelp(std::FILE* to);

// The player's settings put to work: the display (before the window opens),
// the sound's volumes and the input mapping.
#pragma once

struct PlayerSettings;

void ApplyPlayerSettings(const PlayerSettings& settings);

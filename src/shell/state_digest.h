// One number for the whole state of a stage attempt, so that two runs can be
// compared frame by frame without keeping the state itself.
#pragma once
#include <cstdint>

// The scene, the run state, the player, the enemies, the live shots and
// effects, the follow camera's angles, the generator, the buttons' latches,
// the countdown, pause and stage-end state and the HUD's blink and pulse.
uint64_t GameStateDigest();

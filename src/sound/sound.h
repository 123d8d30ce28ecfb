// Sound effects (12 slots) and stage music (16 slots).
#pragma once
#include "core/tables.h"

int InitSound();
int LoadWave(int slot, const char* path);
void PlaySound(int slot, int restart);
void ReleaseSound();

int InitMusic();
int LoadMusic(const char* path, int slot);
// Loop end in thousands of ticks of 768 per quarter note. Slot -1 does nothing.
void PlayMusic(int slot, int loopEndThousands);
void StopMusic();
// Hundredths of a decibel as the master music volume. Slot -1 does nothing.
void SetMusicVolume(int slot, int volume);
void ReleaseMusic();

// Last volume set (for state dumps).
int CurrentMusicVolume();

// The synthesizer's linear gain at full music volume (0 hundredths of a dB).
// Chosen by ear and meter: our stage tunes then peak near half of full scale
// (RMS about 0.06 to 0.09), just under the sound effects (RMS about 0.1), so
// a shot over the loudest bar rarely clips.
constexpr float kMusicFullGain = 0.4f;
// Linear gain for a volume in hundredths of a decibel: full gain times
// 10^(volume / 2000), at most 10 (the synthesizer's limit).
float MusicGainFromVolume(int hundredthsDb);

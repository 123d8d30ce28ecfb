// The audio output: one SDL device, its callback, and the mixer that sums the
// sound-effect slots over the music synthesizer. The mixer runs on the audio
// thread; the game thread only flips per-slot request counters, so it never
// waits for the mixer except while a slot's sample data is swapped at load.
#pragma once
#include <cstdint>
#include <vector>

constexpr int kMixerSlots = 12;
constexpr int kMixerDefaultRate = 44100;

// Opens the default output device (float stereo, 44100 Hz asked, any rate
// taken) and starts it. False, with the reason in AudioLastError(), when
// there is no device.
bool AudioOpenDevice();
// The same mixer with no device: tests and benchmarks call AudioRender.
void AudioOpenOffline(int rate);
// Empties every slot and closes the device.
void AudioClose();
bool AudioIsOpen();
int AudioRate();
const char* AudioLastError();

// Holds the audio thread off while shared data is swapped (load time only).
void AudioLock();
void AudioUnlock();

// Slot contents: interleaved signed 16-bit stereo at AudioRate(). Replacing a
// slot stops it.
void AudioSetSound(int slot, std::vector<int16_t>&& stereo);
// restart: stop, rewind and play from the first frame; otherwise start only
// when the slot is not already playing. A sound plays once, never loops.
void AudioPlay(int slot, bool restart);

// Mixes `frames` stereo frames into `out` (float, interleaved): the music
// synthesizer first, then every playing slot, clamped to [-1, 1].
// Called by the device callback, or directly when opened offline.
void AudioRender(float* out, int frames);
// Frames mixed since the mixer opened (read from any thread).
uint64_t AudioFramesRendered();

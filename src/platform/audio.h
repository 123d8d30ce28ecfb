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

// The player's volumes, on top of the game's own music fades: music and
// effects from 0 (silent) to 100 (as the game plays them), and a mute.
void AudioSetVolumes(int music, int effects, bool mute);
// Linear gain of a volume of 0 to 100 (its square: half way is a quarter,
// about -12 dB, as the ear judges loudness).
float VolumeGain(int volume);

// The ceiling of the mix, -1 dB below full scale: the limiter keeps every
// sample within it.
constexpr float kMixCeiling = 0.89125094f;

// Mixes `frames` stereo frames into `out` (float, interleaved): the music
// synthesizer first, then every playing slot, summed in floating point (so
// with room above full scale), then limited to kMixCeiling. A mix that stays
// within the ceiling passes unchanged; a louder one is turned down at once
// and let back up over a tenth of a second, so it never clips.
// Called by the device callback, or directly when opened offline.
void AudioRender(float* out, int frames);
// Samples the limiter turned down since the mixer opened (tests, figures).
uint64_t AudioLimitedSamples();
// Frames mixed since the mixer opened (read from any thread).
uint64_t AudioFramesRendered();

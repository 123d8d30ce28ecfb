#include "platform/audio.h"

#include "platform/synth.h"

#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <string>

namespace {
struct Slot {
    std::vector<int16_t> samples;  // stereo frames; swapped only under AudioLock
    uint32_t frames = 0;
    // Written by the game thread, read by the mixer.
    std::atomic<uint32_t> restarts{0};
    std::atomic<uint32_t> plays{0};
    // Mixer side only.
    uint32_t seenRestarts = 0;
    uint32_t seenPlays = 0;
    uint32_t position = 0;
    bool playing = false;
};

Slot g_slots[kMixerSlots];
bool g_open = false;
SDL_AudioDeviceID g_device = 0;
int g_rate = 0;
std::atomic<uint64_t> g_framesRendered{0};
std::string g_lastError;

// Bus gains, written by the game thread.
std::atomic<float> g_musicGain{1.0f};
std::atomic<float> g_effectsGain{1.0f};

// The limiter (mixer side only): how far below 1 its gain is now (kept as
// the distance, which keeps its precision as it shrinks, where a gain near 1
// would stop rising between two floats), and how fast that distance shrinks.
float g_limiterDepth = 0.0f;
float g_limiterRelease = 0.0f;  // per frame: the distance is multiplied by this
std::atomic<uint64_t> g_limited{0};

void ResetLimiter(int rate) {
    g_limiterDepth = 0.0f;
    // Back up by 1 - 1/e in 100 ms.
    g_limiterRelease = float(std::exp(-1.0 / (0.1 * double(rate > 0 ? rate : kMixerDefaultRate))));
    g_limited.store(0);
}

// Keeps every sample within the ceiling: a frame whose peak would pass it
// takes the gain that puts it exactly there; between such frames the gain
// rises back towards 1, and at 1 the mix passes untouched, bit for bit.
void Limit(float* out, int frames) {
    float depth = g_limiterDepth;
    uint64_t limited = 0;
    for (int i = 0; i < frames; ++i) {
        float* f = out + 2 * i;
        depth *= g_limiterRelease;
        if (depth < 1e-6f) depth = 0.0f;
        float gain = 1.0f - depth;
        const float peak = std::max(std::fabs(f[0]), std::fabs(f[1]));
        if (peak * gain > kMixCeiling) {
            gain = kMixCeiling / peak;
            // The quotient may round up: never a hair over the ceiling.
            while (peak * gain > kMixCeiling) gain = std::nextafter(gain, 0.0f);
            depth = 1.0f - gain;
        }
        if (depth > 0.0f) {
            f[0] *= gain;
            f[1] *= gain;
            limited += 2;
        }
    }
    g_limiterDepth = depth;
    if (limited) g_limited.fetch_add(limited, std::memory_order_relaxed);
}

void Callback(void*, Uint8* stream, int len) {
    AudioRender(reinterpret_cast<float*>(stream), len / int(2 * sizeof(float)));
}

void ResetSlot(Slot& s) {
    s.samples.clear();
    s.samples.shrink_to_fit();
    s.frames = 0;
    s.playing = false;
    s.position = 0;
    s.seenRestarts = s.restarts.load(std::memory_order_acquire);
    s.seenPlays = s.plays.load(std::memory_order_acquire);
}

bool ValidSlot(int slot) { return slot >= 0 && slot < kMixerSlots; }
}  // namespace

bool AudioOpenDevice() {
    AudioClose();
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        g_lastError = SDL_GetError();
        return false;
    }
    SDL_AudioSpec want{}, have{};
    want.freq = kMixerDefaultRate;
    want.format = AUDIO_F32SYS;
    want.channels = 2;
    // 512 frames: about 12 ms between a shot and its sound.
    want.samples = 512;
    want.callback = Callback;
    g_device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
    if (g_device == 0) {
        g_lastError = SDL_GetError();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    g_rate = have.freq;
    g_open = true;
    g_framesRendered.store(0);
    ResetLimiter(g_rate);
    SDL_PauseAudioDevice(g_device, 0);
    return true;
}

void AudioOpenOffline(int rate) {
    AudioClose();
    g_rate = rate > 0 ? rate : kMixerDefaultRate;
    g_open = true;
    g_framesRendered.store(0);
    ResetLimiter(g_rate);
}

void AudioClose() {
    if (g_device != 0) {
        SDL_CloseAudioDevice(g_device);
        g_device = 0;
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
    for (Slot& s : g_slots) ResetSlot(s);
    g_open = false;
    g_rate = 0;
}

bool AudioIsOpen() { return g_open; }
int AudioRate() { return g_rate; }
const char* AudioLastError() { return g_lastError.c_str(); }

void AudioLock() {
    if (g_device != 0) SDL_LockAudioDevice(g_device);
}

void AudioUnlock() {
    if (g_device != 0) SDL_UnlockAudioDevice(g_device);
}

void AudioSetSound(int slot, std::vector<int16_t>&& stereo) {
    if (!ValidSlot(slot)) return;
    std::vector<int16_t> old;
    AudioLock();
    Slot& s = g_slots[slot];
    old.swap(s.samples);
    s.samples = std::move(stereo);
    s.frames = uint32_t(s.samples.size() / 2);
    s.playing = false;
    s.position = 0;
    s.seenRestarts = s.restarts.load(std::memory_order_acquire);
    s.seenPlays = s.plays.load(std::memory_order_acquire);
    AudioUnlock();
    // `old` is freed here, outside the lock.
}

void AudioPlay(int slot, bool restart) {
    if (!g_open || !ValidSlot(slot)) return;
    Slot& s = g_slots[slot];
    if (restart)
        s.restarts.fetch_add(1, std::memory_order_release);
    else
        s.plays.fetch_add(1, std::memory_order_release);
}

void AudioSetVolumes(int music, int effects, bool mute) {
    g_musicGain.store(mute ? 0.0f : VolumeGain(music), std::memory_order_relaxed);
    g_effectsGain.store(mute ? 0.0f : VolumeGain(effects), std::memory_order_relaxed);
}

float VolumeGain(int volume) {
    const float v = float(std::clamp(volume, 0, 100)) / 100.0f;
    return v * v;
}

void AudioRender(float* out, int frames) {
    if (frames <= 0) return;
    SynthRender(out, frames);
    const float musicGain = g_musicGain.load(std::memory_order_relaxed);
    if (musicGain != 1.0f) {
        for (int i = 0; i < frames * 2; ++i) out[i] *= musicGain;
    }
    // At full volume the scale is the plain 16-bit one, so sounds mix exactly as they are.
    const float scale = g_effectsGain.load(std::memory_order_relaxed) / 32768.0f;
    for (Slot& s : g_slots) {
        // Requests since the last buffer: a restart rewinds even a playing
        // sound; a plain play starts only a sound that is not playing.
        uint32_t r = s.restarts.load(std::memory_order_acquire);
        if (r != s.seenRestarts) {
            s.seenRestarts = r;
            s.position = 0;
            s.playing = s.frames > 0;
        }
        uint32_t p = s.plays.load(std::memory_order_acquire);
        if (p != s.seenPlays) {
            s.seenPlays = p;
            if (!s.playing) {
                s.position = 0;
                s.playing = s.frames > 0;
            }
        }
        if (!s.playing) continue;
        uint32_t n = std::min<uint32_t>(uint32_t(frames), s.frames - s.position);
        const int16_t* src = s.samples.data() + size_t(s.position) * 2;
        for (uint32_t i = 0; i < n * 2; ++i) out[i] += float(src[i]) * scale;
        s.position += n;
        if (s.position >= s.frames) {
            // A one-shot sound ends stopped and rewound.
            s.playing = false;
            s.position = 0;
        }
    }
    Limit(out, frames);
    g_framesRendered.fetch_add(uint64_t(frames), std::memory_order_relaxed);
}

uint64_t AudioFramesRendered() { return g_framesRendered.load(std::memory_order_relaxed); }
uint64_t AudioLimitedSamples() { return g_limited.load(std::memory_order_relaxed); }

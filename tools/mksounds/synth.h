// A small synthesiser for the sound effects: oscillators, noise, filters,
// envelopes and a reverb, all deterministic, rendering into float buffers.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace sfx {
constexpr int kRate = 44100;

struct Sound {
    std::vector<float> s;
    explicit Sound(float seconds) : s(size_t(seconds * kRate), 0.0f) {}
    size_t size() const { return s.size(); }
    float Time(size_t i) const { return float(i) / kRate; }
};

// Curves of time in seconds.
using Curve = std::function<float(float)>;
Curve Const(float v);
Curve ExpSweep(float from, float to, float seconds);  // exponential glide, then holds
Curve LinSweep(float from, float to, float seconds);

// Envelope: linear attack, then exponential decay with time constant tau,
// silenced after `length` with a short release.
Curve Perc(float attack, float tau, float length);

enum class Wave { Sine, Triangle, Square, Saw };

// Adds an oscillator into the sound from `start` (seconds): frequency and
// amplitude follow their curves (time measured from start). Square and saw are
// band-limited (polyBLEP) so high notes do not alias.
void AddTone(Sound& out, float start, Wave wave, const Curve& freq, const Curve& amp, float pulseWidth = 0.5f);
// Two-operator FM: carrier f, modulator f * ratio with index following its curve.
void AddFm(Sound& out, float start, const Curve& freq, float ratio, const Curve& index, const Curve& amp);
// White noise through a resonant band-pass whose centre follows a curve.
void AddNoise(Sound& out, float start, const Curve& centre, float q, const Curve& amp, uint32_t seed,
              bool lowpass = false);

void LowPass(Sound& snd, const Curve& cutoff);
void Reverb(Sound& snd, float mix, float roomSize);
// Scales the peak to the given level in dBFS and fades the ends so nothing clicks.
void Finish(Sound& snd, float peakDb);

bool WriteWav16(const std::string& path, const Sound& snd);
}  // namespace sfx

#include "synth.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace sfx {
namespace {
const float kTwoPi = 6.28318530718f;

float PolyBlep(float t, float dt) {
    if (t < dt) {
        t /= dt;
        return t + t - t * t - 1;
    }
    if (t > 1 - dt) {
        t = (t - 1) / dt;
        return t * t + t + t + 1;
    }
    return 0;
}

uint32_t gNoise;
float NextNoise() {
    gNoise = gNoise * 1664525u + 1013904223u;
    return float(gNoise >> 8) / float(1 << 23) - 1.0f;
}
}  // namespace

Curve Const(float v) {
    return [v](float) { return v; };
}

Curve ExpSweep(float from, float to, float seconds) {
    return [=](float t) { return from * std::pow(to / from, std::clamp(t / seconds, 0.0f, 1.0f)); };
}

Curve LinSweep(float from, float to, float seconds) {
    return [=](float t) { return from + (to - from) * std::clamp(t / seconds, 0.0f, 1.0f); };
}

Curve Perc(float attack, float tau, float length) {
    return [=](float t) {
        if (t < 0 || t > length) return 0.0f;
        float a = attack > 0 ? std::min(1.0f, t / attack) : 1.0f;
        float d = std::exp(-std::max(0.0f, t - attack) / tau);
        float release = std::clamp((length - t) / 0.004f, 0.0f, 1.0f);
        return a * d * release;
    };
}

void AddTone(Sound& out, float start, Wave wave, const Curve& freq, const Curve& amp, float pulseWidth) {
    float phase = 0;
    for (size_t i = size_t(start * kRate); i < out.size(); ++i) {
        float t = out.Time(i) - start;
        float a = amp(t);
        float dt = freq(t) / kRate;
        float v = 0;
        switch (wave) {
            case Wave::Sine: v = std::sin(kTwoPi * phase); break;
            case Wave::Triangle: v = 4 * std::fabs(phase - 0.5f) - 1; break;
            case Wave::Square: {
                v = phase < pulseWidth ? 1.0f : -1.0f;
                v += PolyBlep(phase, dt);
                float p2 = phase - pulseWidth;
                if (p2 < 0) p2 += 1;
                v -= PolyBlep(p2, dt);
                break;
            }
            case Wave::Saw: v = 2 * phase - 1 - PolyBlep(phase, dt); break;
        }
        out.s[i] += v * a;
        phase += dt;
        if (phase >= 1) phase -= 1;
    }
}

void AddFm(Sound& out, float start, const Curve& freq, float ratio, const Curve& index, const Curve& amp) {
    float pc = 0, pm = 0;
    for (size_t i = size_t(start * kRate); i < out.size(); ++i) {
        float t = out.Time(i) - start;
        float f = freq(t);
        out.s[i] += std::sin(kTwoPi * pc + index(t) * std::sin(kTwoPi * pm)) * amp(t);
        pc += f / kRate;
        pm += f * ratio / kRate;
        pc -= std::floor(pc), pm -= std::floor(pm);
    }
}

void AddNoise(Sound& out, float start, const Curve& centre, float q, const Curve& amp, uint32_t seed, bool lowpass) {
    gNoise = seed;
    float low = 0, band = 0;
    for (size_t i = size_t(start * kRate); i < out.size(); ++i) {
        float t = out.Time(i) - start;
        float f = 2 * std::sin(3.14159265f * std::min(centre(t), 0.45f * kRate) / kRate);
        float in = NextNoise();
        low += f * band;
        float high = in - low - band / q;
        band += f * high;
        out.s[i] += (lowpass ? low : band) * amp(t);
    }
}

void LowPass(Sound& snd, const Curve& cutoff) {
    float y = 0;
    for (size_t i = 0; i < snd.size(); ++i) {
        float a = 1 - std::exp(-kTwoPi * cutoff(snd.Time(i)) / kRate);
        y += a * (snd.s[i] - y);
        snd.s[i] = y;
    }
}

void Reverb(Sound& snd, float mix, float roomSize) {
    // Four feedback combs into two all-passes (the classic small-room layout).
    const int combLen[4] = {1557, 1617, 1491, 1422}, apLen[2] = {225, 556};
    std::vector<float> wet(snd.size(), 0.0f);
    for (int c = 0; c < 4; ++c) {
        std::vector<float> buf(size_t(combLen[c]), 0.0f);
        float damp = 0;
        for (size_t i = 0; i < snd.size(); ++i) {
            float& b = buf[i % buf.size()];
            float y = b;
            damp = y * 0.6f + damp * 0.4f;
            b = snd.s[i] + damp * roomSize;
            wet[i] += y * 0.25f;
        }
    }
    for (int a = 0; a < 2; ++a) {
        std::vector<float> buf(size_t(apLen[a]), 0.0f);
        for (size_t i = 0; i < snd.size(); ++i) {
            float& b = buf[i % buf.size()];
            float y = b - wet[i];
            b = wet[i] + b * 0.5f;
            wet[i] = y;
        }
    }
    for (size_t i = 0; i < snd.size(); ++i) snd.s[i] = snd.s[i] * (1 - mix) + wet[i] * mix;
}

void Finish(Sound& snd, float peakDb) {
    float peak = 0;
    for (float v : snd.s) peak = std::max(peak, std::fabs(v));
    if (peak > 0) {
        float g = std::pow(10.0f, peakDb / 20) / peak;
        for (float& v : snd.s) v *= g;
    }
    size_t fadeIn = std::min(snd.size(), size_t(kRate / 1000)), fadeOut = std::min(snd.size(), size_t(kRate / 200));
    for (size_t i = 0; i < fadeIn; ++i) snd.s[i] *= float(i) / fadeIn;
    for (size_t i = 0; i < fadeOut; ++i) snd.s[snd.size() - 1 - i] *= float(i) / fadeOut;
}

bool WriteWav16(const std::string& path, const Sound& snd) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    auto u32 = [&](uint32_t v) { uint8_t b[4] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)}; std::fwrite(b, 1, 4, f); };
    auto u16 = [&](uint16_t v) { uint8_t b[2] = {uint8_t(v), uint8_t(v >> 8)}; std::fwrite(b, 1, 2, f); };
    uint32_t bytes = uint32_t(snd.size() * 2);
    std::fwrite("RIFF", 1, 4, f);
    u32(36 + bytes);
    std::fwrite("WAVEfmt ", 1, 8, f);
    u32(16);
    u16(1);  // PCM
    u16(1);  // mono
    u32(kRate);
    u32(kRate * 2);
    u16(2);
    u16(16);
    std::fwrite("data", 1, 4, f);
    u32(bytes);
    for (float v : snd.s) {
        long q = std::lround(std::clamp(v, -1.0f, 1.0f) * 32767.0f);
        u16(uint16_t(int16_t(q)));
    }
    return std::fclose(f) == 0;
}
}  // namespace sfx

// Builders for small wave and MIDI files used by the sound tests.
#pragma once
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace soundtest {

using Bytes = std::vector<uint8_t>;

inline void Put16(Bytes& b, uint32_t v) {
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}
inline void Put32(Bytes& b, uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}
inline void PutId(Bytes& b, const char* id) {
    for (int i = 0; i < 4; ++i) b.push_back(uint8_t(id[i]));
}

// A canonical PCM wave: "fmt " of 16 bytes, optional extra chunks, "data".
inline Bytes MakeWave(int channels, int rate, int bits, const Bytes& samples, const Bytes& chunksBeforeData = {}) {
    Bytes b;
    PutId(b, "RIFF");
    Put32(b, uint32_t(4 + 24 + chunksBeforeData.size() + 8 + samples.size()));
    PutId(b, "WAVE");
    PutId(b, "fmt ");
    Put32(b, 16);
    Put16(b, 1);
    Put16(b, uint32_t(channels));
    Put32(b, uint32_t(rate));
    Put32(b, uint32_t(rate * channels * bits / 8));
    Put16(b, uint32_t(channels * bits / 8));
    Put16(b, uint32_t(bits));
    b.insert(b.end(), chunksBeforeData.begin(), chunksBeforeData.end());
    PutId(b, "data");
    Put32(b, uint32_t(samples.size()));
    b.insert(b.end(), samples.begin(), samples.end());
    return b;
}

inline Bytes Samples16(const std::vector<int>& v) {
    Bytes b;
    for (int s : v) Put16(b, uint32_t(uint16_t(int16_t(s))));
    return b;
}

// MIDI: big-endian fields and variable-length numbers.
inline void PutBe32(Bytes& b, uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) b.push_back(uint8_t(v >> s));
}
inline void PutVar(Bytes& b, uint32_t v) {
    uint8_t tmp[5];
    int n = 0;
    tmp[n++] = uint8_t(v & 0x7F);
    while (v >>= 7) tmp[n++] = uint8_t(0x80 | (v & 0x7F));
    while (n) b.push_back(tmp[--n]);
}

struct TrackWriter {
    Bytes body;
    uint32_t now = 0;
    void At(uint32_t tick) {
        PutVar(body, tick - now);
        now = tick;
    }
    void Raw(std::initializer_list<uint8_t> bytes) { body.insert(body.end(), bytes); }
    void Note(uint32_t tick, int key, uint32_t length, int channel = 0) {
        At(tick);
        Raw({uint8_t(0x90 | channel), uint8_t(key), 100});
        At(tick + length);
        Raw({uint8_t(0x80 | channel), uint8_t(key), 64});
    }
    void Tempo(uint32_t tick, uint32_t us) {
        At(tick);
        Raw({0xFF, 0x51, 0x03, uint8_t(us >> 16), uint8_t(us >> 8), uint8_t(us)});
    }
    void End(uint32_t tick) {
        At(tick);
        Raw({0xFF, 0x2F, 0x00});
    }
};

inline Bytes MakeMidi(int format, uint16_t division, const std::vector<Bytes>& tracks) {
    Bytes b;
    PutId(b, "MThd");
    PutBe32(b, 6);
    b.push_back(0);
    b.push_back(uint8_t(format));
    b.push_back(uint8_t(tracks.size() >> 8));
    b.push_back(uint8_t(tracks.size()));
    b.push_back(uint8_t(division >> 8));
    b.push_back(uint8_t(division));
    for (const Bytes& t : tracks) {
        PutId(b, "MTrk");
        PutBe32(b, uint32_t(t.size()));
        b.insert(b.end(), t.begin(), t.end());
    }
    return b;
}

inline std::string TempPath(const std::string& name) { return std::string(ZORBAT_BINARY_DIR) + "/sound_test_" + name; }

inline std::string WriteTemp(const std::string& name, const Bytes& bytes) {
    std::string path = TempPath(name);
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return path;
}

inline Bytes ReadAll(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

inline std::string TestData(const std::string& rel) { return std::string(ZORBAT_TESTDATA_DIR) + "/" + rel; }

// Restores an environment variable when the test ends.
struct EnvGuard {
    std::string name;
    bool had;
    std::string old;
    EnvGuard(const char* n, const char* value) : name(n) {
        const char* o = std::getenv(n);
        had = o != nullptr;
        if (had) old = o;
        setenv(n, value, 1);
    }
    ~EnvGuard() {
        if (had)
            setenv(name.c_str(), old.c_str(), 1);
        else
            unsetenv(name.c_str());
    }
};
}  // namespace soundtest

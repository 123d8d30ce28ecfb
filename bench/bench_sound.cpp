// Sound and music costs: loading each General MIDI soundfont on Debian (time
// and resident memory), loading a large tune, and mixing one device buffer
// with every effect slot and a dense orchestral tune playing.
#include <benchmark/benchmark.h>
#include <fluidsynth.h>
#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/audio.h"
#include "platform/synth.h"
#include "sound/sound.h"

namespace {
constexpr int kRate = 44100;
const std::string kTestData = std::string(ZORBAT_TESTDATA_DIR) + "/";
const std::string kBigTune = kTestData + "midi/bartok-concerto_for_orchestra_1.mid";

struct Font {
    const char* path;
    bool dynamic;  // load samples per instrument as the game does
};
const Font kFonts[] = {
    {"/usr/share/sounds/sf2/FluidR3_GM.sf2", true},
    {"/usr/share/sounds/sf2/FluidR3_GM.sf2", false},
    {"/usr/share/sounds/sf2/TimGM6mb.sf2", true},
};

double ResidentMB() {
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

bool FontPresent(const Font& f) { return access(f.path, R_OK) == 0; }

// The synthesizer as the game sets it up, straight from the library so that
// the whole-font variant can be compared.
fluid_synth_t* LoadFont(const Font& f, fluid_settings_t** settings) {
    fluid_set_log_function(FLUID_WARN, nullptr, nullptr);
    *settings = new_fluid_settings();
    fluid_settings_setnum(*settings, "synth.sample-rate", kRate);
    fluid_settings_setint(*settings, "synth.dynamic-sample-loading", f.dynamic ? 1 : 0);
    fluid_settings_setint(*settings, "synth.lock-memory", 0);
    fluid_synth_t* synth = new_fluid_synth(*settings);
    int id = fluid_synth_sfload(synth, f.path, 1);
    fluid_synth_pin_preset(synth, id, 0, 0);
    fluid_synth_pin_preset(synth, id, 128, 0);
    return synth;
}

void SoundfontLoad(benchmark::State& state, const Font& f) {
    if (!FontPresent(f)) return state.SkipWithError("soundfont not installed");
    for (auto _ : state) {
        fluid_settings_t* settings;
        fluid_synth_t* synth = LoadFont(f, &settings);
        benchmark::DoNotOptimize(synth);
        delete_fluid_synth(synth);
        delete_fluid_settings(settings);
    }
}

// Resident memory the loaded font adds. Memory freed by earlier loads is
// handed back to the system first, so that reusing it cannot hide any.
void SoundfontResident(benchmark::State& state, const Font& f) {
    if (!FontPresent(f)) return state.SkipWithError("soundfont not installed");
    double added = 0;
    for (auto _ : state) {
        malloc_trim(0);
        double before = ResidentMB();
        fluid_settings_t* settings;
        fluid_synth_t* synth = LoadFont(f, &settings);
        added = ResidentMB() - before;
        delete_fluid_synth(synth);
        delete_fluid_settings(settings);
    }
    state.counters["MB"] = added;
}

// The game's own path: the mixer offline, the chosen soundfont, and a tune
// with 36 tracks over all 16 channels whose instruments are all kept loaded.
void MusicOpenAndLoadBigTune(benchmark::State& state) {
    double added = 0;
    for (auto _ : state) {
        malloc_trim(0);
        double before = ResidentMB();
        AudioOpenOffline(kRate);
        InitMusic();
        if (!SynthHasSoundfont()) return state.SkipWithError("no soundfont installed");
        if (LoadMusic(kBigTune.c_str(), 0) != 1) return state.SkipWithError("test tune missing");
        added = ResidentMB() - before;
        state.PauseTiming();
        ReleaseMusic();
        ReleaseSound();
        state.ResumeTiming();
    }
    state.SetLabel(SynthSoundfontPath());
    state.counters["resident_MB"] = added;
}

// One 512-frame buffer (11.6 ms of sound): the big tune and every effect slot
// restarted in turn so that several overlap.
void MixBuffer(benchmark::State& state) {
    AudioOpenOffline(kRate);
    InitMusic();
    if (!SynthHasSoundfont()) return state.SkipWithError("no soundfont installed");
    if (LoadMusic(kBigTune.c_str(), 0) != 1) return state.SkipWithError("test tune missing");
    const std::string effect = kTestData + "wav/sword.wav";
    for (int slot = 0; slot < kSoundSlots; ++slot) LoadWave(slot, effect.c_str());
    PlayMusic(0, 0);
    std::vector<float> buffer(512 * 2);
    // Into the tune, where the orchestra is busy.
    for (int i = 0; i < 2000; ++i) AudioRender(buffer.data(), 512);
    int turn = 0;
    for (auto _ : state) {
        PlaySound(turn++ % kSoundSlots, 1);
        AudioRender(buffer.data(), 512);
        benchmark::DoNotOptimize(buffer.data());
    }
    state.counters["voices"] = SynthActiveVoices();
    ReleaseMusic();
    ReleaseSound();
}
// One buffer of a crafted tune: 100,000 events inside a loop one tick (42 us)
// long, which once stalled the mixer for seconds per buffer. The worst
// buffer counts; it must come back within the buffer's own time.
void MixBufferTinyLoop(benchmark::State& state) {
    AudioOpenOffline(kRate);
    InitMusic();
    if (!SynthHasSoundfont()) return state.SkipWithError("no soundfont installed");
    std::vector<uint8_t> track = {0x00, 0xFF, 0x51, 0x03, 0x00, 0x00, 0x2A};
    for (int i = 0; i < 50000; ++i) track.insert(track.end(), {0x00, 0x90, uint8_t(i % 128), 100, 0x00, 0x80, uint8_t(i % 128), 0});
    track.insert(track.end(), {0x01, 0xFF, 0x2F, 0x00});
    std::vector<uint8_t> file = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 1, 'M', 'T', 'r', 'k'};
    for (int s = 24; s >= 0; s -= 8) file.push_back(uint8_t(track.size() >> s));
    file.insert(file.end(), track.begin(), track.end());
    const std::string path = std::string(ZORBAT_BINARY_DIR) + "/bench_tiny_loop.mid";
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(file.data(), 1, file.size(), f);
        std::fclose(f);
    }
    if (LoadMusic(path.c_str(), 0) != 1) return state.SkipWithError("tune not written");
    PlayMusic(0, 0);
    std::vector<float> buffer(512 * 2);
    for (int i = 0; i < 50; ++i) AudioRender(buffer.data(), 512);
    double worst = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        AudioRender(buffer.data(), 512);
        worst = std::max(worst, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        benchmark::DoNotOptimize(buffer.data());
    }
    state.counters["worst_ms"] = worst * 1e3;
    state.counters["voices"] = SynthActiveVoices();
    ReleaseMusic();
    ReleaseSound();
}
}  // namespace

BENCHMARK_CAPTURE(SoundfontLoad, FluidR3_GM_dynamic, kFonts[0])->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK_CAPTURE(SoundfontLoad, FluidR3_GM_whole, kFonts[1])->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(SoundfontLoad, TimGM6mb, kFonts[2])->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK_CAPTURE(SoundfontResident, FluidR3_GM_dynamic, kFonts[0])->Iterations(1);
BENCHMARK_CAPTURE(SoundfontResident, FluidR3_GM_whole, kFonts[1])->Iterations(1);
BENCHMARK_CAPTURE(SoundfontResident, TimGM6mb, kFonts[2])->Iterations(1);
BENCHMARK(MusicOpenAndLoadBigTune)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(MixBuffer)->Unit(benchmark::kMicrosecond);
BENCHMARK(MixBufferTinyLoop)->Unit(benchmark::kMicrosecond)->Iterations(400);

// The targets the benchmarks are held to, by benchmark name.
#pragma once
#include <cstring>
#include <string>

struct BenchTarget {
    const char* name;  // a benchmark name, or a prefix ending in '*'
    double limit;
    const char* unit;
};

// Play-frame figures: logic at the heaviest load a stage allows, drawing under
// a software renderer, start-up, memory and pacing.
inline const BenchTarget kBenchTargets[] = {
    {"PlayFrameLogic/heaviest*", 0.5, "ms"},
    // The same frames drawn in a 1600 x 1200 window (first: the next row's
    // prefix would take it too).
    {"PlayFrameDraw/busiest_stage_1600x1200*", 16.0, "ms"},
    {"PlayFrameDraw/busiest_stage*", 8.0, "ms"},
    {"PlayFrameDraw/heaviest*", 16.0, "ms"},
    {"StartToTitle*", 1000.0, "ms"},
    {"LoadingFrame*", 250.0, "ms"},
    {"ResidentWhilePlaying*", 150.0, "MB"},
    {"FramePacing/p99_interval*", 17.0, "ms"},
    {"FramePacing/max_interval*", 33.0, "ms"},
    // Samples at full scale in the loudest play (MixPeaks, a counter of its run).
    {"MixPeaks/stage3_all_weapons/iterations:1/manual_time/clipped", 0.0, "samples"},
    // One 11.6 ms device buffer of music and effects in a quarter of its time.
    {"MixBuffer", 2.9, "ms"},
    // A crafted tune of 100,000 events in a loop one tick long: a buffer
    // still within its own time.
    {"MixBufferTinyLoop*", 11.6, "ms"},
    // The crafted mesh of 480,000 faces split at every corner.
    {"MeshLoad/split_480000_faces*", 5000.0, "ms"},
    // The soundfont the game loads first, its own resident memory.
    {"SoundfontResident/TimGM6mb*", 20.0, "MB"},
};

inline const BenchTarget* FindBenchTarget(const std::string& name) {
    for (const BenchTarget& t : kBenchTargets) {
        const size_t n = std::strlen(t.name);
        if (n && t.name[n - 1] == '*') {
            if (name.compare(0, n - 1, t.name, n - 1) == 0) return &t;
        } else if (name == t.name) {
            return &t;
        }
    }
    return nullptr;
}

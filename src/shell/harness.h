// Scripted runs of the real game: same scenes and platform layer, input from a
// script, no real-time pacing unless asked.
#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "shell/script.h"

struct HarnessOptions {
    int frames = 0;
    uint32_t seed = 1;
    bool realtime = false;
    // Prints one line per frame on stdout: "frame F scene S start T0 end T1 rss KB
    // draws D quads Q meshes M culled C programs P", S the scene that ran, T0 and
    // T1 the monotonic clock in ms when it was due and when it had run, KB the
    // resident memory after it, then
    // the render device's counters for the frame (benchmarks).
    bool timings = false;
    // The game's rules leave play running when the window loses the focus;
    // tests of the player's option to pause turn this on.
    bool pauseOnFocusLoss = false;
    std::vector<ScriptEvent> script;
    std::vector<std::pair<int, std::string>> screenshots;  // frame, PNG path
    std::vector<std::pair<int, std::string>> states;       // frame, JSON path
    // A replay played instead of a script (the run ends with it), and whether
    // its digests are checked; a file the run's last stage attempt is recorded to.
    std::string replay;
    bool verify = false;
    std::string record;
    // Called before the loop looks for each frame: may queue input with PlatformInjectEvent.
    void (*inputHook)(int frame, void* ctx) = nullptr;
    // Called when each frame has run (tests).
    void (*frameHook)(int frame, void* ctx) = nullptr;
    void* hookCtx = nullptr;
};

// Runs the game from start-up; returns 0 after tear-down, 1 when there is no
// window or a fatal message ended the game, or a checked replay differed from
// its recording; 2 when the replay cannot be played; 3 when a screenshot, a
// state dump or the replay asked for could not be written.
int RunHarness(const HarnessOptions& options);
// Parses the command line; on an error prints it and returns false with the exit code.
bool ParseHarnessArgs(int argc, char** argv, HarnessOptions* out, std::string* dir, int* exitCode);

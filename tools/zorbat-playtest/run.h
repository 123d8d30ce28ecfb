// One attempt at a stage by a pilot, through the game's own stage set-up and
// play update, without a window, drawing or pacing.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Who took the craft's life, by enemy kind and weapon.
enum DamageSource {
    HurtGunshipBullet,
    HurtTorpedo,
    HurtGunshipRam,
    HurtBeam,
    HurtTankShell,
    HurtTankRam,
    HurtAircraftShell,
    HurtAircraftRam,
    HurtOther,
};
constexpr int kDamageSources = 9;
const char* DamageSourceName(int source);
// The enemy kind (2..5) a source belongs to, 0 for none.
int DamageSourceKind(int source);

struct RunPlan {
    int stage = 1;
    int pilot = 0;
    uint32_t seed = 1;
};

// Plain data, so that worker processes can hand it back through a pipe.
struct RunResult {
    RunPlan plan;
    int endReason;  // 0 clear, 1 game over, 2 time out
    int frames;     // play frames, the last one included
    int timeLeft;   // StageTime when it ended
    int life;
    int maxLife;
    int score;  // the result screen's total on a clear, 0 otherwise
    int enemies;
    int killed;
    int beams, stars;  // shots fired
    int hits;          // hit points taken from enemies
    int damage[kDamageSources];
};

// One line of a harness script, its frame counted in play frames (1 is the first).
struct InputLine {
    int playFrame;
    std::string event;  // "down W", "mouse 90 -18", "button 0 up", ...
};

// Once per process: messages on stderr only, scripted input, the shot colliders.
void PrepareHeadlessGame();
// True when both files of the stage are regular files that can be read.
bool StageReadable(int stage, std::string* error);
// Plays one run in the working directory's data/bin; false (with the reason)
// when the stage files cannot be read. The pilot's inputs go to `inputs` when given.
bool PlayRun(const RunPlan& plan, RunResult* result, std::vector<InputLine>* inputs, std::string* error);

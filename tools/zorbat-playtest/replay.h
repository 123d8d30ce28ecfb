// A run written as a zorbat-harness script, so that it can be watched (and
// checked) in the real game.
#pragma once
#include <string>

#include "run.h"

// The harness frame on which play frame 1 runs after the script's menu lines.
constexpr int kFirstPlayFrame = 269;

// Plays the run, writes its script (menus from the title, then the pilot's
// inputs frame by frame) and, when statePath is given, the game state after
// its last frame as the harness's --state writes it; prints the harness
// command that replays it. False with a message when it cannot.
bool WriteReplay(const RunPlan& plan, const std::string& scriptPath, const std::string& statePath);

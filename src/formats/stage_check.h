// The stage-file checker behind build/stagecheck: reads actor files (c*.pxd)
// and map files (m*.pxd) with the game's own readers and tells the stage's
// author, by file and line, where the game would read something other than
// what the file seems to say.
#pragma once
#include <cstdio>

// stagecheck FILE...: prints what it read and every finding to `out`.
// Returns 1 when any file has an error, 0 otherwise (warnings do not count),
// 2 for bad usage.
int StageCheckMain(int argc, char** argv, std::FILE* out);

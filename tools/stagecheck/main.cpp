// stagecheck: reads stage files with the game's own readers and explains
// where the game would read them differently from how they look.
#include <cstdio>

#include "formats/stage_check.h"

int main(int argc, char** argv) { return StageCheckMain(argc, argv, stdout); }

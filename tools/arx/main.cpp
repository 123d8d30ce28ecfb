// arx: packs, lists and extracts the game's resource archives.
#include <cstdio>

#include "formats/archive_tool.h"

int main(int argc, char** argv) { return ArchiveToolMain(argc, argv, stdout, stderr); }

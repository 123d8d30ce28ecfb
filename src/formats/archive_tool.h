// The command-line side of the archive tool (build/arx), kept in the library so
// that the tests can drive it in-process.
#pragma once
#include <cstdio>

// arx pack OUT.arx FILE... | arx list ARCHIVE | arx extract ARCHIVE NAME OUTFILE
// Returns the exit status: 0 done, 1 failed, 2 bad usage.
int ArchiveToolMain(int argc, char** argv, std::FILE* out, std::FILE* err);

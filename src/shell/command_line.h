// The command line of the zorbat program: one table row per option, from
// which both the parser and --help are made.
#pragma once
#include <cstdio>

struct CommandLine {
    bool help = false;
    bool version = false;
};

// Reads the arguments. Returns -1 when the game should start, else the exit
// status to leave with (0 after --help or --version, 2 after a bad argument,
// with the reason on stderr).
int ParseCommandLine(int argc, char** argv, CommandLine* out);
void PrintHelp(std::FILE* to);
void PrintVersion(std::FILE* to);

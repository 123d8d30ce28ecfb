// The command line of the zorbat program: one table row per option, from
// which both the parser and --help are made.
#pragma once
#include <cstdio>

#include <string>

struct CommandLine {
    bool help = false;
    bool version = false;
    bool printSettings = false;
    // Over the settings file: -1 as it says, 0 --window, 1 --fullscreen.
    int fullscreen = -1;
    int scale = 0;  // --scale N; 0 as the settings file says
    std::string replay;  // a replay to watch instead of playing
};

// Reads the arguments. Returns -1 when the game should start, else the exit
// status to leave with (0 after --help, --version or --print-settings, 2
// after a bad argument, with the reason on stderr).
int ParseCommandLine(int argc, char** argv, CommandLine* out);
void PrintHelp(std::FILE* to);
void PrintVersion(std::FILE* to);

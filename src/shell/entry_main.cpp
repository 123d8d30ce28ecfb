#include <cstdio>

#include "shell/command_line.h"
#include "shell/data_places.h"
#include "shell/game_loop.h"

int main(int argc, char** argv) {
    CommandLine line;
    const int status = ParseCommandLine(argc, argv, &line);
    if (status >= 0) {
        if (line.help) PrintHelp(stdout);
        else if (line.version) PrintVersion(stdout);
        return status;
    }
    if (!SetUpDataPlaces()) return 1;
    RunOptions options;
    return RunGame(options);
}

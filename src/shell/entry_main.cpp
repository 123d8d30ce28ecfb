#include <cstdio>

#include "formats/settings_file.h"
#include "platform/user_dirs.h"
#include "shell/command_line.h"
#include "shell/data_places.h"
#include "shell/game_loop.h"
#include "shell/player_settings.h"

int main(int argc, char** argv) {
    CommandLine line;
    const int status = ParseCommandLine(argc, argv, &line);
    if (status >= 0) {
        if (line.help) PrintHelp(stdout);
        else if (line.version) PrintVersion(stdout);
        else if (line.printSettings) PrintSettings(stdout, PlayerSettings{});
        return status;
    }
    if (!SetUpDataPlaces()) return 1;
    // The player's settings, then the command line over them.
    PlayerSettings settings;
    const std::string config = XdgConfigHome();
    if (!config.empty()) LoadSettingsFile(config + "/zorbat/settings.ini", &settings);
    if (line.fullscreen >= 0) settings.fullscreen = line.fullscreen == 1;
    if (line.scale > 0) settings.scale = line.scale;
    ApplyPlayerSettings(settings);
    RunOptions options;
    return RunGame(options);
}

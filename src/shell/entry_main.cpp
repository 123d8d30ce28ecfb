#include <cstdio>

#include "formats/replay_store.h"
#include "formats/settings_file.h"
#include "platform/system.h"
#include "platform/user_dirs.h"
#include "platform/window.h"
#include "shell/command_line.h"
#include "shell/data_places.h"
#include "shell/game_loop.h"
#include "shell/player_settings.h"
#include "shell/replay.h"

namespace {

// zorbat --replay FILE: the recorded attempt in the window, at real speed;
// the keyboard only steers the watching.
int WatchReplay(const std::string& path) {
    std::string error;
    if (!LoadReplay(path.c_str(), &error)) {
        std::fprintf(stderr, "zorbat: %s: %s\n", path.c_str(), error.c_str());
        return 1;
    }
    PlatformSetScripted(true);
    StartPlayback(false, true);
    RunOptions options;
    const int status = RunGame(options);
    StopPlayback();
    PlatformSetScripted(false);
    return status;
}

}  // namespace

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
    // Watched in the player's window and sound; the input is the replay's.
    if (!line.replay.empty()) return WatchReplay(line.replay);
    const std::string home = XdgDataHome();
    if (!home.empty()) {
        SetReplayFolder(home + "/zorbat/replays");
        RecordAttemptsToStore(true);
    }
    RunOptions options;
    return RunGame(options);
}

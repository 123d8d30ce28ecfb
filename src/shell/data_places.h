// Where the game finds its data and keeps its hiscore file. Looked for in
// this order, the first folder that holds the game's archives winning:
//   1. data/ in the working directory (as scripted runs and a build folder use it),
//   2. $ZORBAT_DATA_DIR,
//   3. data/ beside the executable,
//   4. the installed data, ../share/zorbat from the executable's folder,
// so that an installed, staged or moved copy finds its own data.
#pragma once
#include <string>
#include <vector>

struct DataSearch {
    std::string dir;                    // the data folder found, "" when none
    std::vector<std::string> searched;  // every place looked in, in order
    std::string note;                   // a set ZORBAT_DATA_DIR that holds no data
};

// True when `dir` holds the game's two resource archives.
bool HoldsGameArchives(const std::string& dir);
// The search itself; `envDir` is ZORBAT_DATA_DIR's value (null when unset),
// `exeDir` the executable's folder ("" when unknown).
DataSearch FindDataDir(const char* envDir, const std::string& exeDir);
// The hiscore file for `dataDir`: beside the data when its bin/ folder is
// writable, else zorbat/hiscore.pxd under `dataHome` (the folder is created).
// "" when neither can be had: the game then tries beside the data.
std::string ChooseHiscorePath(const std::string& dataDir, const std::string& dataHome);
// The places a player can be told about (for --help), one per line.
std::string DataPlacesHelp();
// At start-up of the game: finds the data and sets the data folder and the
// hiscore path. With no data anywhere it shows one message naming the places
// searched and returns false.
bool SetUpDataPlaces();

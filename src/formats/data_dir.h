// The folder the game's data is read from, and the place of the hiscore file.
// Every data path is built from the data folder; until the start-up search
// sets it, it is "data" in the working directory, as scripted runs expect.
#pragma once
#include <string>

// The data folder (no trailing slash).
void SetDataDir(const std::string& dir);
const std::string& DataDir();
// `rel` (a path inside the data folder, such as "bin/c1.pxd") under it.
std::string DataFile(const std::string& rel);

// The hiscore file; until set (or set to ""), "bin/hiscore.pxd" in the data folder.
void SetHiscorePath(const std::string& path);
const char* HiscorePath();

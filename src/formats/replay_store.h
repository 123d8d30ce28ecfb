// The player's replays: one file per stage attempt in the replay folder
// ($XDG_DATA_HOME/zorbat/replays), named by stage, date, time and how it
// ended, such as stage2-20261209-153012-clear.replay. The replay of a run that
// entered the hiscore table is kept in its hiscore/ folder, with the entry's
// score and name in its file name, for as long as the table holds that entry;
// of the others the newest are kept, up to a number the player sets.
#pragma once
#include <ctime>
#include <string>

#include "formats/hiscore.h"

constexpr int kDefaultReplaysKept = 20;

// The folder; "" (the default) keeps nothing and makes every call below do nothing.
void SetReplayFolder(const std::string& dir);
const std::string& ReplayFolder();
// How many replays outside the hiscore table are kept (0 or more).
void SetReplaysKept(int count);
int ReplaysKept();

// Writes a new replay file (the folder is made when missing) and returns its
// path; false with the reason in *error. The file is never written over one
// already there.
bool StoreReplay(const std::string& text, int stage, int end, std::time_t when, std::string* path,
                 std::string* error);
// The last replay stored, when it is a clear of `stage`, goes with the hiscore
// entry just made (name, score).
void KeepReplayWithHiscore(int stage, const char* name, int score);
// Replays whose entry has left the table become ordinary replays again; then
// ordinary replays beyond the number kept are removed, oldest first. Only files
// named as this game names its replays are ever moved or removed.
void PruneReplays(const HiscoreEntry* table);

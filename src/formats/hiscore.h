// The hiscore table and its file: the three best totals of each stage, stored
// as 9 records of 208 bytes among random filler words.
#pragma once
#include <cstdint>
#include <cstdio>

#include "core/tables.h"

struct HiscoreEntry {
    char name[4];  // up to three letters and a terminating zero byte
    int32_t score;
};

constexpr int kHiscoreRecordSize = 208;
constexpr int kHiscoreFileSize = kHiscoreEntries * kHiscoreRecordSize;  // 1872

// Stage s (1..3) owns entries 3(s - 1) .. 3(s - 1) + 2, best first.
extern HiscoreEntry HiscoreTable[kHiscoreEntries];

// Reads `count` entries (clamped to 0..9); 1 after reading, 0 when the file
// cannot be opened (the table is left as it was). Entries whose bytes are
// missing from a short file keep their previous values.
int HiscoreRead(const char* path, HiscoreEntry* table, int count);
// The same on a file already open, from its current position (used by the fuzzer).
void HiscoreReadFrom(std::FILE* file, HiscoreEntry* table, int count);
// Writes all 9 entries. The new file is written beside the old one (made
// exclusively, under a name of this process's own, never through a link) and
// renamed over it, so a failed write (full disk, read-only directory, a kill)
// leaves the old file as it was; temporary files left by earlier saves that
// were cut short are removed. A file that is there but cannot be read is not
// replaced. A save that cannot be made says so in one line on stderr; callers
// may ignore the result.
bool HiscoreWrite(const char* path, const HiscoreEntry* table);
enum class HiscoreFileCheck { Present, Created, NotCreated, Unreadable };
// What the loading scene does with the file: the default table is written
// only when there is no file at all. A file that is there but cannot be read
// (permissions, a directory or a FIFO in its place) is kept, with one line on
// stderr, and HiscoreWrite will not replace it.
HiscoreFileCheck HiscoreEnsureFile(const char* path);
// Writes the default table: "PXD" with (i / 3 + 1) * 3500 - 300 * i.
bool HiscoreCreateDefault(const char* path);
// The default table itself.
void HiscoreDefaultTable(HiscoreEntry* table);
// The rank 1..3 `score` would take in the stage's group, or 4. A tie ranks below.
int HiscoreRank(int stage, int score, const HiscoreEntry* table);
// Puts (score, name) at `rank` of the stage's group, whose last entry has index
// `last` within the group (the game passes 2); the group's last entry drops out.
void HiscoreInsert(int score, const char* name, int rank, int last, int stage, HiscoreEntry* table);

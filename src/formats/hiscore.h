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
// Writes all 9 entries. The new file is written beside the old one and renamed
// over it, so a failed write (full disk, read-only directory) leaves the old
// file as it was. Callers may ignore the result; there is no message.
bool HiscoreWrite(const char* path, const HiscoreEntry* table);
// Writes the default table: "PXD" with (i / 3 + 1) * 3500 - 300 * i.
bool HiscoreCreateDefault(const char* path);
// The default table itself.
void HiscoreDefaultTable(HiscoreEntry* table);
// The rank 1..3 `score` would take in the stage's group, or 4. A tie ranks below.
int HiscoreRank(int stage, int score, const HiscoreEntry* table);
// Puts (score, name) at `rank` of the stage's group, whose last entry has index
// `last` within the group (the game passes 2); the group's last entry drops out.
void HiscoreInsert(int score, const char* name, int rank, int last, int stage, HiscoreEntry* table);

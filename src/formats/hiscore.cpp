// The hiscore table and its file. Each record hides one entry among filler
// words: 20 fillers, the 4 name bytes, 30 fillers, then score + 999 * i, all
// 32-bit little-endian, so the file does not read as a plain table.
#include "formats/hiscore.h"

#include <unistd.h>
#include <cstdio>
#include <string>

#include "core/random.h"

HiscoreEntry HiscoreTable[kHiscoreEntries];

namespace {

constexpr size_t kNameOffset = 80;
constexpr size_t kScoreOffset = 204;
constexpr int kFillersBeforeName = 20;
constexpr int kFillersAfterName = 30;
constexpr uint32_t kScoreStep = 999;

void PutU32(uint8_t* out, uint32_t v) {
    out[0] = uint8_t(v);
    out[1] = uint8_t(v >> 8);
    out[2] = uint8_t(v >> 16);
    out[3] = uint8_t(v >> 24);
}

uint32_t GetU32(const uint8_t* in) {
    return uint32_t(in[0]) | uint32_t(in[1]) << 8 | uint32_t(in[2]) << 16 | uint32_t(in[3]) << 24;
}

// The offset is added and taken away modulo 2^32, so any stored word reads
// back without overflow.
int32_t StoredScore(int32_t score, int i) { return int32_t(uint32_t(score) + kScoreStep * uint32_t(i)); }
int32_t PlainScore(uint32_t stored, int i) { return int32_t(stored - kScoreStep * uint32_t(i)); }

// Copies a name the way a zero-terminated string copy does (bytes after the
// terminator keep what they held), but never more than three letters.
void CopyName(char* to, const char* from) {
    int i = 0;
    for (; i < 3 && from[i] != '\0'; ++i) to[i] = from[i];
    to[i] = '\0';
}

// One record, fillers drawn at the moment they are laid down.
void BuildRecord(uint8_t* record, const HiscoreEntry& entry, int i) {
    uint8_t* p = record;
    for (int k = 0; k < kFillersBeforeName; ++k, p += 4) PutU32(p, uint32_t(RandomRange(99999, 0)));
    for (int k = 0; k < 4; ++k) *p++ = uint8_t(entry.name[k]);
    for (int k = 0; k < kFillersAfterName; ++k, p += 4) PutU32(p, uint32_t(RandomRange(99999, 0)));
    PutU32(p, uint32_t(StoredScore(entry.score, i)));
}

}  // namespace

int HiscoreRead(const char* path, HiscoreEntry* table, int count) {
    std::FILE* f = std::fopen(path, "rb");
    if (!f) return 0;
    HiscoreReadFrom(f, table, count);
    std::fclose(f);
    return 1;
}

void HiscoreReadFrom(std::FILE* file, HiscoreEntry* table, int count) {
    // The whole file in one read; anything past the 9 records is never looked at.
    uint8_t bytes[kHiscoreFileSize];
    const size_t length = std::fread(bytes, 1, sizeof bytes, file);
    if (count > kHiscoreEntries) count = kHiscoreEntries;
    for (int i = 0; i < count; ++i) {
        const size_t record = size_t(kHiscoreRecordSize) * i;
        // Each field is taken only when all its bytes are there: a short file
        // leaves the entries it no longer covers as they were.
        if (record + kNameOffset + 4 <= length) {
            for (int k = 0; k < 4; ++k) table[i].name[k] = char(bytes[record + kNameOffset + k]);
            table[i].name[3] = '\0';  // a damaged file must not leave a name without its end
        }
        if (record + kScoreOffset + 4 <= length)
            table[i].score = PlainScore(GetU32(bytes + record + kScoreOffset), i);
    }
}

bool HiscoreWrite(const char* path, const HiscoreEntry* table) {
    uint8_t bytes[kHiscoreFileSize];
    for (int i = 0; i < kHiscoreEntries; ++i) BuildRecord(bytes + kHiscoreRecordSize * i, table[i], i);
    // Written beside the old file and renamed over it only once it is safely on
    // disk: a full disk or a read-only directory never costs the old table.
    const std::string temp = std::string(path) + ".tmp";
    std::FILE* f = std::fopen(temp.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(bytes, 1, sizeof bytes, f) == sizeof bytes;
    ok = std::fflush(f) == 0 && ok;
    ok = ok && fsync(fileno(f)) == 0;
    ok = std::fclose(f) == 0 && ok;
    ok = ok && std::rename(temp.c_str(), path) == 0;
    if (!ok) std::remove(temp.c_str());
    return ok;
}

void HiscoreDefaultTable(HiscoreEntry* table) {
    for (int i = 0; i < kHiscoreEntries; ++i) {
        table[i].name[0] = 'P';
        table[i].name[1] = 'X';
        table[i].name[2] = 'D';
        table[i].name[3] = '\0';
        table[i].score = (i / 3 + 1) * 3500 - 300 * i;
    }
}

bool HiscoreCreateDefault(const char* path) {
    HiscoreEntry table[kHiscoreEntries];
    HiscoreDefaultTable(table);
    return HiscoreWrite(path, table);
}

int HiscoreRank(int stage, int score, const HiscoreEntry* table) {
    constexpr int kUnranked = kHiscorePerStage + 1;
    if (stage < 1 || stage > kStageCount) return kUnranked;
    // Strictly greater only: on a tie the earlier holder keeps the place.
    for (int k = 0; k < kHiscorePerStage; ++k)
        if (table[kHiscorePerStage * (stage - 1) + k].score < score) return k + 1;
    return kUnranked;
}

void HiscoreInsert(int score, const char* name, int rank, int last, int stage, HiscoreEntry* table) {
    // Arguments that would reach outside the table are refused (the game only
    // ever passes last 2, stage 1..3 and a rank from HiscoreRank 1..3).
    if (last < 0 || last >= kHiscoreEntries || stage < 1 || stage > kHiscoreEntries || rank < 1 ||
        rank > last + 1)
        return;
    const int first = (stage - 1) * (last + 1);
    if (first + last >= kHiscoreEntries) return;
    HiscoreEntry* group = table + first;
    for (int j = last - 1; j >= rank - 1; --j) {
        CopyName(group[j + 1].name, group[j].name);
        group[j + 1].score = group[j].score;
    }
    CopyName(group[rank - 1].name, name);
    group[rank - 1].score = score;
}

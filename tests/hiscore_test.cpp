// The hiscore table and file: default scores, ranking, inserting, the record
// layout and what a damaged file or a failed write does.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <algorithm>
#include <climits>
#include <cstring>
#include <filesystem>
#include <string>

#include "child_run.h"
#include "core/random.h"
#include "formats/hiscore.h"
#include "formats_test_util.h"

namespace {

uint32_t WordAt(const std::vector<uint8_t>& bytes, size_t at) {
    return uint32_t(bytes[at]) | uint32_t(bytes[at + 1]) << 8 | uint32_t(bytes[at + 2]) << 16 |
           uint32_t(bytes[at + 3]) << 24;
}

// The names in the scratch folder, sorted.
std::vector<std::string> FilesBeside(const ScratchDir& dir) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir.Path()))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

void Fill(HiscoreEntry* table, const char* name, int32_t score) {
    for (int i = 0; i < kHiscoreEntries; ++i) {
        std::memcpy(table[i].name, name, 4);
        table[i].score = score;
    }
}

TEST(Hiscore, DefaultFileHoldsPxdAndTheStageScores) {
    ScratchDir dir;
    const std::string path = dir.File("hiscore.pxd");
    ASSERT_TRUE(HiscoreCreateDefault(path.c_str()));
    const std::vector<uint8_t> raw = ReadBytes(path);
    ASSERT_EQ(raw.size(), 1872u);
    HiscoreEntry table[kHiscoreEntries];
    Fill(table, "ZZZ", -1);
    ASSERT_EQ(HiscoreRead(path.c_str(), table, 9), 1);
    // The values the hiscore screen shows on a first run.
    const int32_t expected[9] = {3500, 3200, 2900, 6100, 5800, 5500, 8700, 8400, 8100};
    for (int i = 0; i < 9; ++i) {
        EXPECT_STREQ(table[i].name, "PXD") << i;
        EXPECT_EQ(table[i].score, expected[i]) << i;
        // The stored word carries the 999 * i offset; the name bytes sit at 80.
        EXPECT_EQ(WordAt(raw, 208 * i + 204), uint32_t(expected[i] + 999 * i)) << i;
        EXPECT_EQ(std::memcmp(&raw[208 * i + 80], "PXD\0", 4), 0) << i;
        for (int k = 0; k < 50; ++k) {
            const size_t at = 208 * i + (k < 20 ? 4 * k : 84 + 4 * (k - 20));
            EXPECT_LE(WordAt(raw, at), 32767u) << "filler " << k << " of record " << i;
        }
    }
}

TEST(Hiscore, FillersAreDrawnAfreshButTheDataIsTheSame) {
    ScratchDir dir;
    const std::string a = dir.File("a.pxd"), b = dir.File("b.pxd");
    SeedRandom(7);
    ASSERT_TRUE(HiscoreCreateDefault(a.c_str()));
    ASSERT_TRUE(HiscoreCreateDefault(b.c_str()));
    const std::vector<uint8_t> ra = ReadBytes(a), rb = ReadBytes(b);
    ASSERT_EQ(ra.size(), rb.size());
    EXPECT_NE(ra, rb);
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(WordAt(ra, 208 * i + 80), WordAt(rb, 208 * i + 80));
        EXPECT_EQ(WordAt(ra, 208 * i + 204), WordAt(rb, 208 * i + 204));
    }
}

TEST(Hiscore, WriteReadRoundTripIncludingExtremeScores) {
    ScratchDir dir;
    const std::string path = dir.File("hiscore.pxd");
    HiscoreEntry table[kHiscoreEntries];
    const char* names[9] = {"ABC", "Z", "", "QQQ", "AB", "XYZ", "MMM", "N", "OPQ"};
    const int32_t scores[9] = {0, -5, 1, 12345, INT32_MIN, 999, 42, -999, INT32_MAX};
    for (int i = 0; i < 9; ++i) {
        std::memset(table[i].name, 0, 4);
        std::strcpy(table[i].name, names[i]);
        table[i].score = scores[i];
    }
    ASSERT_TRUE(HiscoreWrite(path.c_str(), table));
    const std::vector<uint8_t> raw = ReadBytes(path);
    // INT32_MAX + 999 * 8 wraps: the word is still score + 999 * i modulo 2^32.
    EXPECT_EQ(WordAt(raw, 208 * 8 + 204), uint32_t(INT32_MAX) + 999u * 8u);
    EXPECT_EQ(WordAt(raw, 208 * 3 + 204), 12345u + 2997u);
    HiscoreEntry back[kHiscoreEntries];
    Fill(back, "???", 77);
    ASSERT_EQ(HiscoreRead(path.c_str(), back, 9), 1);
    for (int i = 0; i < 9; ++i) {
        EXPECT_STREQ(back[i].name, names[i]) << i;
        EXPECT_EQ(back[i].score, scores[i]) << i;
    }
}

TEST(Hiscore, ReadOnlyTakesTheCountAndShortFilesKeepMissingEntries) {
    ScratchDir dir;
    const std::string path = dir.File("hiscore.pxd");
    ASSERT_TRUE(HiscoreCreateDefault(path.c_str()));
    HiscoreEntry table[kHiscoreEntries];
    Fill(table, "OLD", 1);
    ASSERT_EQ(HiscoreRead(path.c_str(), table, 2), 1);
    EXPECT_EQ(table[1].score, 3200);
    EXPECT_EQ(table[2].score, 1);  // beyond the count
    EXPECT_STREQ(table[2].name, "OLD");

    // Cut inside record 4, after its name but before its score.
    std::vector<uint8_t> raw = ReadBytes(path);
    raw.resize(208 * 4 + 206);
    WriteBytes(path, raw);
    Fill(table, "OLD", 1);
    ASSERT_EQ(HiscoreRead(path.c_str(), table, 9), 1);
    EXPECT_EQ(table[3].score, 6100);
    EXPECT_STREQ(table[4].name, "PXD");
    EXPECT_EQ(table[4].score, 1);  // its bytes are missing: neither read nor offset
    for (int i = 5; i < 9; ++i) {
        EXPECT_STREQ(table[i].name, "OLD") << i;
        EXPECT_EQ(table[i].score, 1) << i;
    }

    // No file: 0, table untouched.
    Fill(table, "OLD", 1);
    EXPECT_EQ(HiscoreRead(dir.File("none.pxd").c_str(), table, 9), 0);
    EXPECT_EQ(table[0].score, 1);
    EXPECT_STREQ(table[0].name, "OLD");
}

TEST(Hiscore, NameWithoutTerminatorInTheFileIsCut) {
    ScratchDir dir;
    const std::string path = dir.File("hiscore.pxd");
    ASSERT_TRUE(HiscoreCreateDefault(path.c_str()));
    std::vector<uint8_t> raw = ReadBytes(path);
    std::memcpy(&raw[80], "ABCD", 4);
    WriteBytes(path, raw);
    HiscoreEntry table[kHiscoreEntries] = {};
    ASSERT_EQ(HiscoreRead(path.c_str(), table, 9), 1);
    EXPECT_STREQ(table[0].name, "ABC");
}

TEST(Hiscore, RankTiesGoBelowTheHolder) {
    HiscoreEntry table[kHiscoreEntries];
    HiscoreDefaultTable(table);
    // Stage 2 holds 6100, 5800, 5500.
    EXPECT_EQ(HiscoreRank(2, 5800, table), 3);
    EXPECT_EQ(HiscoreRank(2, 5801, table), 2);
    EXPECT_EQ(HiscoreRank(2, 6100, table), 2);
    EXPECT_EQ(HiscoreRank(2, 6101, table), 1);
    EXPECT_EQ(HiscoreRank(2, 5500, table), 4);
    EXPECT_EQ(HiscoreRank(1, 2901, table), 3);
    EXPECT_EQ(HiscoreRank(3, 8700, table), 2);
    EXPECT_EQ(HiscoreRank(4, 999999, table), 4);  // no such stage
    table[0].score = -10;
    EXPECT_EQ(HiscoreRank(1, -9, table), 1);  // signed comparison
}

TEST(Hiscore, InsertShiftsTheGroupAndDropsItsLast) {
    HiscoreEntry table[kHiscoreEntries];
    HiscoreDefaultTable(table);
    std::strcpy(table[0].name, "AAA");
    std::strcpy(table[1].name, "BBB");
    std::strcpy(table[2].name, "CCC");
    HiscoreInsert(4000, "NEW", 1, 2, 1, table);
    EXPECT_STREQ(table[0].name, "NEW");
    EXPECT_EQ(table[0].score, 4000);
    EXPECT_STREQ(table[1].name, "AAA");
    EXPECT_EQ(table[1].score, 3500);
    EXPECT_STREQ(table[2].name, "BBB");
    EXPECT_EQ(table[2].score, 3200);
    for (int i = 3; i < 9; ++i) EXPECT_STREQ(table[i].name, "PXD") << i;
    EXPECT_EQ(table[3].score, 6100);

    // Rank 3 of stage 3 replaces only the last entry.
    HiscoreInsert(8200, "Z", 3, 2, 3, table);
    EXPECT_EQ(table[6].score, 8700);
    EXPECT_EQ(table[7].score, 8400);
    EXPECT_STREQ(table[8].name, "Z");
    EXPECT_EQ(table[8].score, 8200);

    // Rank 2 of stage 2.
    HiscoreInsert(5900, "MID", 2, 2, 2, table);
    EXPECT_EQ(table[3].score, 6100);
    EXPECT_EQ(table[4].score, 5900);
    EXPECT_EQ(table[5].score, 5800);

    // Out-of-range arguments and an over-long name never reach past the table
    // or the 4-byte name.
    HiscoreEntry before[kHiscoreEntries];
    std::memcpy(before, table, sizeof table);
    HiscoreInsert(1, "X", 4, 2, 3, table);
    HiscoreInsert(1, "X", 1, 2, 4, table);
    HiscoreInsert(1, "X", 0, 2, 1, table);
    EXPECT_EQ(std::memcmp(before, table, sizeof table), 0);
    HiscoreInsert(9000, "LONGNAME", 1, 2, 3, table);
    EXPECT_STREQ(table[6].name, "LON");
    EXPECT_EQ(table[7].score, 8700);
}

TEST(Hiscore, FailedWriteLeavesTheOldFile) {
    ScratchDir dir;
    const std::string path = dir.File("hiscore.pxd");
    ASSERT_TRUE(HiscoreCreateDefault(path.c_str()));
    const std::vector<uint8_t> old = ReadBytes(path);
    HiscoreEntry table[kHiscoreEntries];
    Fill(table, "NEW", 99);

    // 1. The disk fills up part-way: a file-size limit makes the write fail
    // after 1000 bytes, as a full disk would.
    struct rlimit saved;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    void (*oldHandler)(int) = signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 1000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = HiscoreWrite(path.c_str(), table);
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(written);
    EXPECT_EQ(ReadBytes(path), old);
    EXPECT_EQ(FilesBeside(dir), std::vector<std::string>{"hiscore.pxd"});

    // 2. The directory is gone: said once on stderr.
    testing::internal::CaptureStderr();
    EXPECT_FALSE(HiscoreWrite(dir.File("no/such/dir/hiscore.pxd").c_str(), table));
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("no/such/dir/hiscore.pxd: the hiscore table cannot be saved"), std::string::npos)
        << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;

    // And a write that succeeds does replace it.
    ASSERT_TRUE(HiscoreWrite(path.c_str(), table));
    HiscoreEntry back[kHiscoreEntries] = {};
    ASSERT_EQ(HiscoreRead(path.c_str(), back, 9), 1);
    EXPECT_EQ(back[8].score, 99);
    EXPECT_EQ(FilesBeside(dir), std::vector<std::string>{"hiscore.pxd"});
}

// Whatever lies at the name saves used to write first: a link is never
// written through, a directory does not stop the save, and a file left by a
// save that was killed is cleared away; a live save's file is not touched.
TEST(Hiscore, SaveIsNotMisledByWhatLiesBesideTheTable) {
    ScratchDir dir;
    const std::string path = dir.File("hiscore.pxd");
    const std::string victim = dir.File("c1.pxd");
    WriteText(victim, "{\nZORBAT\n}\n");
    std::filesystem::create_symlink(victim, path + ".tmp");
    HiscoreEntry table[kHiscoreEntries];
    Fill(table, "NEW", 77);
    ASSERT_TRUE(HiscoreWrite(path.c_str(), table));
    EXPECT_EQ(ReadBytes(victim), std::vector<uint8_t>({'{', '\n', 'Z', 'O', 'R', 'B', 'A', 'T', '\n', '}', '\n'}));
    EXPECT_FALSE(std::filesystem::is_symlink(path));
    EXPECT_TRUE(std::filesystem::is_symlink(path + ".tmp"));  // not ours: left alone
    std::filesystem::remove(path + ".tmp");

    std::filesystem::create_directory(path + ".tmp");
    Fill(table, "DIR", 78);
    EXPECT_TRUE(HiscoreWrite(path.c_str(), table));
    HiscoreEntry back[kHiscoreEntries] = {};
    ASSERT_EQ(HiscoreRead(path.c_str(), back, 9), 1);
    EXPECT_EQ(back[0].score, 78);
    std::filesystem::remove(path + ".tmp");

    // Debris: the old fixed name, a process that has ended, and one that
    // still runs (its save may be under way).
    const pid_t gone = fork();
    if (gone == 0) _exit(0);
    ASSERT_GT(gone, 0);
    waitpid(gone, nullptr, 0);
    const std::string live = path + ".tmp." + std::to_string(getppid());
    WriteText(path + ".tmp", "half a table");
    WriteText(path + ".tmp." + std::to_string(gone), "half a table");
    WriteText(live, "half a table");
    ASSERT_TRUE(HiscoreWrite(path.c_str(), table));
    EXPECT_EQ(FilesBeside(dir), std::vector<std::string>({"c1.pxd", "hiscore.pxd", "hiscore.pxd.tmp." +
                                                          std::to_string(getppid())}));
}

// At start-up only a missing file is made anew. A file that cannot be read
// (no permission, a FIFO in its place) is kept, said once, and not saved over
// later. Run in a child process, as a plain user when the tests run as root
// (root reads any file), and given five seconds (a FIFO once blocked the open).
TEST(Hiscore, AFileThatCannotBeReadIsKeptAndNotSavedOver) {
    ScratchDir dir;
    std::filesystem::permissions(dir.Path(), std::filesystem::perms::all);
    const std::string path = dir.File("hiscore.pxd");
    HiscoreEntry table[kHiscoreEntries];
    Fill(table, "OLD", 4242);
    ASSERT_TRUE(HiscoreWrite(path.c_str(), table));
    const std::vector<uint8_t> old = ReadBytes(path);
    ASSERT_EQ(chmod(path.c_str(), 0), 0);
    const std::string fifo = dir.File("fifo.pxd");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0666), 0);

    const int failures = RunInChild(
        [&] {
            if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) return 64;
            HiscoreEntry mine[kHiscoreEntries];
            Fill(mine, "NEW", 1);
            int found = 0;
            for (const std::string& p : {path, fifo}) {
                if (HiscoreEnsureFile(p.c_str()) != HiscoreFileCheck::Unreadable) found |= 1;
                if (HiscoreRead(p.c_str(), mine, kHiscoreEntries) != 0) found |= 2;
                if (HiscoreWrite(p.c_str(), mine)) found |= 4;
            }
            return found;
        },
        5);
    EXPECT_EQ(failures, 0) << "-1: still opening the file after five seconds";
    chmod(path.c_str(), 0644);
    EXPECT_EQ(ReadBytes(path), old);
    EXPECT_TRUE(std::filesystem::is_fifo(fifo));
}

}  // namespace

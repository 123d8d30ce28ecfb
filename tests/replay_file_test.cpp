// The replay reader against damaged and hostile files, and the replay folder
// keeping the newest replays and those of the hiscore table's runs.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <set>
#include <string>

#include "formats/hiscore.h"
#include "formats/replay_file.h"
#include "formats/replay_store.h"
#include "run_util.h"

namespace fs = std::filesystem;

namespace {

const std::string kCorpus = std::string(ZORBAT_SOURCE_DIR) + "/tests/replays/";

struct Scratch {
    Scratch() {
        char tmpl[] = "/tmp/zorbat-replay-test-XXXXXX";
        path = mkdtemp(tmpl) ? tmpl : "/tmp";
    }
    ~Scratch() { fs::remove_all(path); }
    fs::path path;
};

// Replaces the first occurrence of `from` (which must be there).
std::string Edit(std::string text, const std::string& from, const std::string& to) {
    const size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

// The line of the digests starting with `prefix`.
std::string DigestLine(const std::string& text, const std::string& prefix) {
    const size_t at = text.find("\n" + prefix, text.find("\ndigests\n"));
    if (at == std::string::npos) return "";
    return text.substr(at + 1, text.find('\n', at + 1) - at - 1);
}

struct Damage {
    const char* what;
    std::function<std::string(const std::string&)> apply;
    const char* reason;  // part of the message
};

TEST(ReplayFile, DamagedReplaysAreRefusedWithWhatIsWrongAndWhere) {
    const std::string good = run_util::Slurp(kCorpus + "stage1-ram.replay");
    ASSERT_FALSE(good.empty());
    auto replay = std::make_unique<Replay>();
    std::string error;
    ASSERT_TRUE(ParseReplay(good.data(), good.size(), replay.get(), &error)) << error;
    const std::string lastDigests = DigestLine(good, std::to_string(replay->frames - 1) + " ");
    ASSERT_FALSE(lastDigests.empty());

    const Damage cases[] = {
        {"empty", [](const std::string&) { return std::string(); }, "empty file"},
        {"another file", [](const std::string&) { return std::string("\x89PNG\r\n\x1a\n"); }, "not a replay"},
        {"a newer format", [](const std::string& t) { return Edit(t, "zorbat replay 1", "zorbat replay 2"); },
         "format version 2; this game plays version 1"},
        {"a zero byte", [](const std::string& t) { return Edit(t, "stage 1", std::string("stage \0", 7)); },
         "not a text file"},
        {"cut in the input", [](const std::string& t) { return t.substr(0, t.find("digests")); }, "ends before 'digests'"},
        {"cut in the digests", [](const std::string& t) { return t.substr(0, t.size() - 100); }, "line"},
        {"no end line", [](const std::string& t) { return t.substr(0, t.size() - 4); }, "ends before 'end'"},
        {"more after the end", [](const std::string& t) { return t + "0 press up\n"; }, "more after 'end'"},
        {"stage 4", [](const std::string& t) { return Edit(t, "stage 1\n", "stage 4\n"); }, "line 2: stage must be"},
        {"no frames", [](const std::string& t) { return Edit(t, "frames 924", "frames 0"); }, "line 4: frames must be"},
        {"too many frames", [](const std::string& t) { return Edit(t, "frames 924", "frames 99999999999"); },
         "frames must be"},
        {"data of another stage", [](const std::string& t) { return Edit(t, "data c1.pxd", "data c2.pxd"); },
         "expected: data c1.pxd"},
        {"a latch of 2", [](const std::string& t) { return Edit(t, "latches 0 0 0 0 1", "latches 0 0 0 0 2"); },
         "a latch is 0 or 1"},
        {"a countdown not a number", [](const std::string& t) { return Edit(t, "countdown 180", "countdown nan"); },
         "countdown must be"},
        {"frames going back", [](const std::string& t) { return Edit(t, "input\n", "input\n300 press up\n"); },
         "frames must not go back"},
        {"an input past the end", [](const std::string& t) { return Edit(t, "digests\n", "924 press up\ndigests\n"); },
         "frame outside 0..923"},
        {"an unknown input", [](const std::string& t) { return Edit(t, "digests\n", "923 jump\ndigests\n"); },
         "unknown input '923 jump'"},
        {"a mouse moved beyond reason",
         [](const std::string& t) { return Edit(t, "digests\n", "923 mouse 99999999 0\ndigests\n"); }, "unknown input"},
        {"two spaces", [](const std::string& t) { return Edit(t, "end quit", "end  quit"); }, "line 3"},
        {"a short digest missing",
         [&](const std::string& t) { return Edit(t, lastDigests, lastDigests.substr(0, lastDigests.size() - 4)); },
         "short digests"},
        {"digests that disagree",
         [&](const std::string& t) {
             std::string d = lastDigests;
             d.back() = d.back() == '0' ? '1' : '0';
             return Edit(t, lastDigests, d);
         },
         "the frame's digests disagree"},
        {"an endless line", [](const std::string& t) { return Edit(t, "input\n", "input\n0 " + std::string(600, 'x') + "\n"); },
         "longer than 512 characters"},
    };
    for (const Damage& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string text = c.apply(good);
        error.clear();
        EXPECT_FALSE(ParseReplay(text.data(), text.size(), replay.get(), &error));
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
    }
}

TEST(ReplayFile, OnlyRegularFilesOfABoundedSizeAreRead) {
    Scratch dir;
    auto replay = std::make_unique<Replay>();
    std::string error;
    const fs::path fifo = dir.path / "fifo.replay";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    // A FIFO with no writer would block an open for reading: refused at once instead.
    EXPECT_FALSE(ReadReplayFile(fifo.c_str(), replay.get(), &error));
    EXPECT_EQ(error, "not a regular file");
    EXPECT_FALSE(ReadReplayFile(dir.path.c_str(), replay.get(), &error));
    EXPECT_EQ(error, "not a regular file");
    EXPECT_FALSE(ReadReplayFile("/dev/zero", replay.get(), &error));
    EXPECT_EQ(error, "not a regular file");
    EXPECT_FALSE(ReadReplayFile((dir.path / "none.replay").c_str(), replay.get(), &error));
    EXPECT_EQ(error, "no such file");
    const fs::path big = dir.path / "big.replay";
    std::ofstream(big) << std::string(kReplayMaxFileBytes + 1, '\n');
    EXPECT_FALSE(ReadReplayFile(big.c_str(), replay.get(), &error));
    EXPECT_EQ(error, "larger than 8388608 bytes");
}

// A replay file as the recorder would store it, for the folder tests.
std::string Store(int stage, int end, std::time_t when) {
    std::string path, error;
    EXPECT_TRUE(StoreReplay("zorbat replay 1\n", stage, end, when, &path, &error)) << error;
    return fs::path(path).filename().string();
}

std::set<std::string> Files(const fs::path& dir) {
    std::set<std::string> names;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(dir, ec))
        if (e.is_regular_file()) names.insert(e.path().filename().string());
    return names;
}

class ReplayFolder : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = scratch_.path / "zorbat" / "replays";
        SetReplayFolder(folder_.string());
        SetReplaysKept(3);
        HiscoreDefaultTable(table_);
    }
    void TearDown() override {
        SetReplayFolder("");
        SetReplaysKept(kDefaultReplaysKept);
    }
    Scratch scratch_;
    fs::path folder_;
    HiscoreEntry table_[kHiscoreEntries];
    const std::time_t t0_ = 1765000000;  // each store below a minute later
};

TEST_F(ReplayFolder, TheNewestAreKeptAndTheOldestRemovedFirst) {
    const std::string oldest = Store(1, ReplayGameOver, t0_);
    const std::string second = Store(3, ReplayClear, t0_ + 60);
    // Two in the same second get names of their own; neither is written over.
    const std::string a = Store(2, ReplayQuit, t0_ + 120);
    const std::string b = Store(2, ReplayQuit, t0_ + 120);
    const std::string newest = Store(1, ReplayTimeOut, t0_ + 180);
    EXPECT_NE(a, b);
    EXPECT_EQ(Files(folder_).size(), 5u);
    // Files the game did not name are never touched.
    std::ofstream(folder_ / "notes.txt") << "mine";
    std::ofstream(folder_ / "stage1-best.replay") << "mine too";
    PruneReplays(table_);
    EXPECT_EQ(Files(folder_), (std::set<std::string>{a, b, newest, "notes.txt", "stage1-best.replay"}));
    SetReplaysKept(0);
    PruneReplays(table_);
    EXPECT_EQ(Files(folder_), (std::set<std::string>{"notes.txt", "stage1-best.replay"}));
}

TEST_F(ReplayFolder, AHiscoreRunsReplayStaysAsLongAsItsEntry) {
    const std::string kept = Store(2, ReplayClear, t0_);
    KeepReplayWithHiscore(2, "ABC", 9000);
    // A stage 2 table with ABC's 9000 on top.
    HiscoreInsert(9000, "ABC", 1, 2, 2, table_);
    for (int i = 1; i <= 4; ++i) Store(1, ReplayClear, t0_ + 60 * i);
    PruneReplays(table_);
    const fs::path hiscore = folder_ / "hiscore";
    ASSERT_EQ(Files(hiscore).size(), 1u);
    EXPECT_EQ(*Files(hiscore).begin(), kept.substr(0, kept.size() - 7) + "-9000-ABC.replay");
    EXPECT_EQ(Files(folder_).size(), 3u);  // the limit counts only the others
    // Three better totals push the entry out: the replay is an ordinary one
    // again, and being the oldest it goes.
    for (int s = 20000; s < 20003; ++s) HiscoreInsert(s, "XYZ", 1, 2, 2, table_);
    PruneReplays(table_);
    EXPECT_TRUE(Files(hiscore).empty());
    EXPECT_EQ(Files(folder_).size(), 3u);
    EXPECT_EQ(Files(folder_).count(kept), 0u);
}

TEST_F(ReplayFolder, OnlyTheLastClearOfTheStageGoesWithAnEntry) {
    Store(2, ReplayClear, t0_);
    Store(2, ReplayGameOver, t0_ + 60);
    KeepReplayWithHiscore(2, "ABC", 9000);  // the last one stored was lost
    EXPECT_TRUE(Files(folder_ / "hiscore").empty());
    Store(3, ReplayClear, t0_ + 120);
    KeepReplayWithHiscore(2, "ABC", 9000);  // a clear, but of another stage
    EXPECT_TRUE(Files(folder_ / "hiscore").empty());
    EXPECT_EQ(Files(folder_).size(), 3u);
}

}  // namespace

// Whole runs of the game through zorbat-harness on a copy of the game's data
// whose stage 1 is the quick test stage: from loading through the menus, a
// stage, its result and the name entry back to the title, and a lost stage.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "core/scene_id.h"
#include "formats/hiscore.h"
#include "run_util.h"

namespace fs = std::filesystem;
using run_util::Field;
using run_util::Slurp;

namespace {

class GameRun : public ::testing::Test {
protected:
    void SetUp() override {
        const fs::path data = fs::path(ZORBAT_BINARY_DIR) / "data";
        ASSERT_TRUE(fs::exists(data / "images" / "images.arx"))
            << "the game's data is not built: cmake --build build --target gamedata";
        ASSERT_TRUE(fs::exists(fs::path(ZORBAT_BINARY_DIR) / "zorbat-harness"));
        char tmpl[] = "/tmp/zorbat-run-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
        fs::copy(data, dir_ / "data", fs::copy_options::recursive);
        UseStage("quick_stage");
        fs::remove(HiscorePath());
    }
    // Stage 1 of the copy becomes one of the test stages: its actors, and the
    // quick stage's open map.
    void UseStage(const char* name) {
        const fs::path stages = fs::path(ZORBAT_SOURCE_DIR) / "tests" / "data";
        fs::copy_file(stages / name / "c1.pxd", dir_ / "data" / "bin" / "c1.pxd",
                      fs::copy_options::overwrite_existing);
        fs::copy_file(stages / "quick_stage" / "m1.pxd", dir_ / "data" / "bin" / "m1.pxd",
                      fs::copy_options::overwrite_existing);
    }
    void TearDown() override { fs::remove_all(dir_); }

    fs::path HiscorePath() const { return dir_ / "data" / "bin" / "hiscore.pxd"; }

    // Runs the harness for `frames` frames with the script, dumping the state
    // after each frame in `dumps`; returns the exit status.
    int Run(int frames, const std::string& script, const std::vector<int>& dumps) {
        std::ofstream(dir_ / "script.txt") << script;
        std::string cmd = "cd '" + dir_.string() + "' && '" + ZORBAT_BINARY_DIR +
                          "/zorbat-harness' --frames " + std::to_string(frames) +
                          " --script script.txt";
        for (int f : dumps)
            cmd += " --state " + std::to_string(f) + ":state" + std::to_string(f) + ".json";
        cmd += " > run.log 2>&1";
        const int status = std::system(cmd.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::string State(int frame) const {
        return Slurp(dir_ / ("state" + std::to_string(frame) + ".json"));
    }
    int SceneAt(int frame) const { return Field(State(frame), "scene"); }
    std::string Log() const { return Slurp(dir_ / "run.log"); }

    fs::path dir_;
};

// Frames of the scripted run (frame 1 is start-up, 2..52 loading, the title
// from 53; its fade lets Enter through from its 25th frame, frame 77).
const char* kMenusToStage =
    "80 tap DOWN\n"     // title cursor to Hiscore
    "82 tap RETURN\n"   // hiscore view from 83
    "90 tap RIGHT\n"    // stage 2 page
    "95 tap RIGHT\n"    // stage 3 page
    "100 tap LEFT\n"    // back to stage 2
    "105 tap SHIFT\n"   // title again, no fade, cursor on Start
    "110 tap RETURN\n"  // stage select from 111
    "115 tap SPACE\n"   // stage 1: stage load 116, countdown from 117
    "150 tap RETURN\n"  // pause in the countdown (its 34th frame)
    "160 tap RETURN\n";  // resume: the countdown goes on
const char* kPauseInPlay =
    "320 tap RETURN\n"  // pause in play
    "330 tap SPACE\n";  // Return Game

TEST_F(GameRun, ClearedStageEntersTheTypedNameIntoTheHiscoreFile) {
    const std::string script = std::string(kMenusToStage) + kPauseInPlay +
                               "340 button 0 down\n"  // one shot at the target
                               "342 button 0 up\n"
                               "650 tap SPACE\n"  // leave the result
                               "660 tap Z\n"
                               "662 tap O\n"
                               "664 tap R\n"
                               "670 tap RETURN\n";  // save, back to the title
    const std::vector<int> dumps = {51,  52,  83,  106, 111, 116, 150, 155, 161,
                                    306, 307, 320, 331, 640, 651, 670, 700};
    ASSERT_EQ(Run(700, script, dumps), 0) << Log();

    EXPECT_EQ(SceneAt(51), SceneLoading);
    EXPECT_EQ(SceneAt(52), SceneTitle);  // loading handed over after 51 frames
    EXPECT_EQ(SceneAt(83), SceneHiscoreView);
    EXPECT_EQ(SceneAt(106), SceneTitle);
    EXPECT_EQ(SceneAt(111), SceneStageSelect);
    EXPECT_EQ(SceneAt(116), SceneCountdown);  // stage load ran on 116
    EXPECT_EQ(Field(State(116), "stageNumber"), 1);
    EXPECT_EQ(SceneAt(150), ScenePause);
    EXPECT_EQ(Field(State(150), "startBanner"), -1);
    EXPECT_EQ(SceneAt(155), ScenePause);
    EXPECT_EQ(SceneAt(161), SceneCountdown);
    // 34 countdown frames before the pause, 146 after it, then the frame
    // that starts play: 117 + 34 + 146 - 1 + 10 (the pause) + 1.
    EXPECT_EQ(SceneAt(306), SceneCountdown);
    EXPECT_EQ(SceneAt(307), ScenePlay);
    EXPECT_EQ(Field(State(307), "startBanner"), 120);
    EXPECT_EQ(Field(State(307), "currentMusic"), 0);
    EXPECT_EQ(SceneAt(320), ScenePause);
    EXPECT_EQ(SceneAt(331), ScenePlay);
    EXPECT_EQ(SceneAt(640), SceneResult);
    EXPECT_EQ(Field(State(640), "endReason"), 0);
    EXPECT_EQ(SceneAt(651), SceneNameEntry);
    EXPECT_EQ(SceneAt(670), SceneTitle);
    EXPECT_EQ(SceneAt(700), SceneTitle);

    // The total the result showed, at the rank the first-run table gives it.
    const int total = Field(State(640), "runTotal");
    EXPECT_GT(total, 2900);
    HiscoreEntry defaults[kHiscoreEntries];
    HiscoreDefaultTable(defaults);
    const int rank = HiscoreRank(1, total, defaults);
    ASSERT_LE(rank, 3);

    // The file: 9 records of 208 bytes, the name at byte 80 of the record and
    // the score plus 999 times the index at byte 204.
    const std::string file = Slurp(HiscorePath());
    ASSERT_EQ(file.size(), 1872u);
    const int index = rank - 1;
    EXPECT_EQ(std::memcmp(file.data() + 208 * index + 80, "ZOR", 4), 0);
    int32_t stored = 0;
    std::memcpy(&stored, file.data() + 208 * index + 204, 4);
    EXPECT_EQ(stored, total + 999 * index);
    HiscoreEntry read[kHiscoreEntries] = {};
    ASSERT_EQ(HiscoreRead(HiscorePath().c_str(), read, kHiscoreEntries), 1);
    for (int i = 0; i < kHiscoreEntries; ++i) {
        if (i == index) continue;
        const int from = (i < 3 && i > index) ? i - 1 : i;  // pushed down one place
        EXPECT_STREQ(read[i].name, defaults[from].name) << i;
        EXPECT_EQ(read[i].score, defaults[from].score) << i;
    }
}

// A stage whose craft has no life left is lost on its first play frame: the
// game-over banner, then straight back to the title, with no result, no name
// entry and no change to the file.
TEST_F(GameRun, LostStageGoesBackToTheTitleAndLeavesTheFileAlone) {
    UseStage("doomed_stage");
    HiscoreEntry table[kHiscoreEntries];
    HiscoreDefaultTable(table);
    table[0] = HiscoreEntry{{'A', 'C', 'E', 0}, 4000};
    ASSERT_TRUE(HiscoreWrite(HiscorePath().c_str(), table));
    const std::string before = Slurp(HiscorePath());

    // Play starts on 307 as above; 308, the first play frame, is the last,
    // then 201 frames of banner (309..509).
    std::vector<int> dumps = {307, 308};
    for (int f = 310; f <= 560; f += 10) dumps.push_back(f);
    dumps.push_back(509);
    dumps.push_back(510);
    ASSERT_EQ(Run(560, kMenusToStage, dumps), 0) << Log();

    EXPECT_EQ(SceneAt(307), ScenePlay);
    EXPECT_EQ(SceneAt(308), SceneStageEnd);
    EXPECT_EQ(Field(State(308), "endReason"), 1);
    for (int f : dumps) {
        if (f < 309) continue;
        const int scene = SceneAt(f);
        ASSERT_EQ(scene, f < 509 ? SceneStageEnd : SceneTitle) << f;
    }
    EXPECT_EQ(Slurp(HiscorePath()), before);
}

}  // namespace

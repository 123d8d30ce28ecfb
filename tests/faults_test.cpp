// The game started in hostile conditions: missing or damaged data, a hiscore
// file it cannot use, no sound device, no display. It says what is wrong and
// exits cleanly, or plays on, but never crashes or hangs.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "run_util.h"

namespace fs = std::filesystem;
using run_util::Field;
using run_util::Shell;
using run_util::Slurp;

namespace {

TEST(Faults, NoDisplayGivesAClearMessageAndNonZeroExit) {
    const std::string out = Shell("cd /tmp && env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER "
                                  "timeout 20 " ZORBAT_BINARY_DIR "/zorbat");
    EXPECT_EQ(out.substr(0, 2), "1|") << out;
    EXPECT_NE(out.find("no display"), std::string::npos) << out;
}

// Frames: 1 start-up, 2..52 loading, the title from 53 (input from 77), stage
// select from 81, stage 1 loads on 86, the countdown runs 87..267, play from 267.
constexpr const char* kIntoStageOne = "80 tap RETURN\n85 tap RETURN\n";

struct Missing {
    const char* file;     // under data/
    const char* message;  // expected on stderr, or "" for none
    bool quits;           // the game ends at once
};

class DamagedData : public ::testing::Test {
protected:
    void SetUp() override {
        const fs::path data = fs::path(ZORBAT_BINARY_DIR) / "data";
        ASSERT_TRUE(fs::exists(data / "images" / "images.arx")) << "the game's data is not built";
        char tmpl[] = "/tmp/zorbat-faults-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
        fs::copy(data, dir_ / "data", fs::copy_options::recursive);
        fs::remove(dir_ / "data" / "bin" / "hiscore.pxd");
        std::ofstream(dir_ / "script.txt") << kIntoStageOne;
    }
    void TearDown() override { fs::remove_all(dir_); }

    // Runs the harness through the menus into stage 1's play; "exit|output".
    std::string Run(int frames, const std::string& env = "") {
        return Shell("cd '" + dir_.string() + "' && " + env + " timeout 120 '" ZORBAT_BINARY_DIR
                     "/zorbat-harness' --frames " + std::to_string(frames) +
                     " --script script.txt --state " + std::to_string(frames) + ":end.json");
    }
    // One run of 300 frames with data/FILE moved aside and `replace` making
    // what stands in its place (nothing, for a missing file); the file is put
    // back. Checks a clean exit, the message and whether the game ended early.
    template <typename Replace>
    void RunWithout(const Missing& m, Replace replace) {
        const fs::path file = dir_ / "data" / m.file;
        const fs::path aside = dir_ / "aside";
        fs::rename(file, aside);
        replace(file);
        fs::remove(dir_ / "end.json");
        const std::string out = Run(300);
        fs::remove(file);
        fs::rename(aside, file);
        // Never a crash or a hang; a file the game cannot do without is a failure.
        ASSERT_EQ(out.substr(0, 2), m.quits ? "1|" : "0|") << out;
        if (*m.message) {
            EXPECT_NE(out.find(m.message), std::string::npos) << out;
        }
        // A quit ends the run early, so the last frame's state never comes.
        EXPECT_EQ(fs::exists(dir_ / "end.json"), !m.quits) << out;
    }
    fs::path dir_;
};

TEST_F(DamagedData, EachMissingFileGivesItsMessageAndACleanExit) {
    const Missing cases[] = {
        {"images/images.arx", "画像\"NowLoading.png\"が見つかりませんでした", true},
        {"xfiles/xfiles.arx", "データ\"beam.x\"が見つかりませんでした", true},
        {"musics/music_s2.mid", "楽曲ファイルの読み込みに失敗", true},
        {"xfiles/maps/floor_1.x", "メッシュデータの読み込みに失敗", true},
        {"xfiles/maps/buildings.x", "メッシュデータの読み込みに失敗", true},
        {"xfiles/maps/building_wall.png", "メッシュテクスチャの読み込みに失敗", false},
        {"sounds/beam.wav", "", false},
        // A stage cannot be played without both of its files.
        {"bin/c1.pxd", "ステージファイルが開けません", true},
        {"bin/m1.pxd", "ステージファイルが開けません", true},
    };
    for (const Missing& m : cases) {
        SCOPED_TRACE(m.file);
        RunWithout(m, [](const fs::path&) {});
        if (HasFatalFailure()) return;
    }
}

// Special files where data files belong: a FIFO once blocked the open for
// ever and /dev/zero was read for ever (or up to a size limit). Each is now
// refused at once, with the message the missing file gives.
TEST_F(DamagedData, SpecialFilesInPlaceOfTheDataAreRefusedAtOnce) {
    const Missing cases[] = {
        {"bin/c1.pxd", "ステージファイルが開けません", true},
        {"bin/m1.pxd", "ステージファイルが開けません", true},
        {"images/images.arx", "画像\"NowLoading.png\"が見つかりませんでした", true},
        {"musics/music_s1.mid", "楽曲ファイルの読み込みに失敗", true},
        {"xfiles/maps/floor_1.x", "メッシュデータの読み込みに失敗", true},
        {"sounds/beam.wav", "not a regular file", false},
        {"bin/hiscore.pxd", "the hiscore file cannot be read (not a regular file)", false},
    };
    // The hiscore file is made at start when missing: one to move aside.
    std::ofstream(dir_ / "data" / "bin" / "hiscore.pxd") << "";
    for (const Missing& m : cases) {
        for (bool fifo : {true, false}) {
            SCOPED_TRACE(std::string(m.file) + (fifo ? " as a FIFO" : " as /dev/zero"));
            RunWithout(m, [fifo](const fs::path& file) {
                if (fifo)
                    mkfifo(file.c_str(), 0666);
                else
                    fs::create_symlink("/dev/zero", file);
            });
            if (HasFatalFailure()) return;
        }
    }
}

TEST_F(DamagedData, HiscoreFileThatCannotBeReadOrWrittenKeepsTheTableInMemory) {
    // A directory in the hiscore file's place: it cannot be read as the table
    // nor replaced by a new one. The default table is offered all the same.
    fs::create_directories(dir_ / "data" / "bin" / "hiscore.pxd");
    std::ofstream(dir_ / "script.txt") << "80 tap DOWN\n82 tap RETURN\n";
    const std::string out = Run(90);
    ASSERT_EQ(out.substr(0, 2), "0|") << out;
    const std::string state = Slurp(dir_ / "end.json");
    EXPECT_EQ(Field(state, "scene"), 3) << state;  // the hiscore view, the game goes on
    EXPECT_TRUE(fs::is_directory(dir_ / "data" / "bin" / "hiscore.pxd"));
}

TEST_F(DamagedData, NoSoundDevicePlaysSilently) {
    const std::string out = Run(300, "SDL_AUDIODRIVER=no-such-driver");
    ASSERT_EQ(out.substr(0, 2), "0|") << out;
    const std::string state = Slurp(dir_ / "end.json");
    EXPECT_EQ(Field(state, "scene"), 7) << out;  // playing stage 1
    EXPECT_EQ(Field(state, "stageNumber"), 1);
}

}  // namespace

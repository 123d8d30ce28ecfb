// Replays in the real game: the recorded runs of tests/replays/ still play
// frame for frame (a change that alters any frame of play fails here; see
// the README for re-recording them when it is meant), a replay is checked
// against its digests, a damaged or foreign one plays nothing, and watching
// one leaves the player's files alone.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "run_util.h"

namespace fs = std::filesystem;
using run_util::Shell;
using run_util::Slurp;

namespace {

const std::string kCorpus = std::string(ZORBAT_SOURCE_DIR) + "/tests/replays";
const std::string kHarness = std::string(ZORBAT_BINARY_DIR) + "/zorbat-harness";

std::vector<std::string> CorpusNames() {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(kCorpus, ec))
        if (e.path().extension() == ".replay") names.push_back(e.path().stem().string());
    std::sort(names.begin(), names.end());
    return names;
}

// A folder of its own with the built data in data/ (linked, or copied where
// the test changes it).
class ReplayRun : public ::testing::Test {
protected:
    void SetUp() override {
        const fs::path data = fs::path(ZORBAT_BINARY_DIR) / "data";
        if (!fs::exists(data / "images" / "images.arx")) GTEST_SKIP() << "the game data is not built";
        char tmpl[] = "/tmp/zorbat-replay-run-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
        fs::create_directories(dir_ / "data");
        for (const auto& e : fs::directory_iterator(data))
            fs::create_directory_symlink(e.path(), dir_ / "data" / e.path().filename());
    }
    void TearDown() override {
        if (!dir_.empty()) fs::remove_all(dir_);
    }
    // The stage files as a copy of their own, to be changed.
    void OwnStageFiles() {
        const fs::path bin = dir_ / "data" / "bin";
        fs::remove(bin);
        fs::copy(fs::path(ZORBAT_BINARY_DIR) / "data" / "bin", bin, fs::copy_options::recursive);
        fs::remove(bin / "hiscore.pxd");
    }
    std::string Harness(const std::string& args) {
        return Shell("cd '" + dir_.string() + "' && timeout 300 '" + kHarness + "' " + args);
    }
    fs::path dir_;
};

class Corpus : public ReplayRun, public ::testing::WithParamInterface<std::string> {};

TEST_P(Corpus, PlaysFrameForFrameAsRecorded) {
    const std::string file = kCorpus + "/" + GetParam() + ".replay";
    const std::string out = Harness("--replay '" + file + "' --verify");
    EXPECT_EQ(out.substr(0, 2), "0|") << out;
    EXPECT_NE(out.find("frames as recorded"), std::string::npos) << out;
}

INSTANTIATE_TEST_SUITE_P(Replays, Corpus, ::testing::ValuesIn(CorpusNames()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                             std::string name = info.param;
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name;
                         });

TEST(CorpusFiles, EachStageHasAClearAndALoss) {
    const std::vector<std::string> names = CorpusNames();
    for (const char* stage : {"stage1", "stage2", "stage3"}) {
        bool clear = false, loss = false;
        for (const std::string& n : names) {
            if (n.rfind(stage, 0) != 0) continue;
            const std::string text = Slurp(kCorpus + "/" + n + ".replay");
            clear |= text.find("\nend clear\n") != std::string::npos;
            loss |= text.find("\nend gameover\n") != std::string::npos || text.find("\nend timeout\n") != std::string::npos;
        }
        EXPECT_TRUE(clear && loss) << stage;
    }
}

// One mouse report of the ram run made a count larger: the craft turns a
// little more from that frame on, and the check names that frame.
TEST_F(ReplayRun, ACheckNamesTheFirstFrameThatDiffers) {
    std::string text = Slurp(kCorpus + "/stage1-ram.replay");
    const size_t at = text.find(" mouse 373 0\n");
    ASSERT_NE(at, std::string::npos);
    const size_t line = text.rfind('\n', at) + 1;
    const std::string frame = text.substr(line, at - line);
    text.replace(at, 12, " mouse 374 0");
    std::ofstream(dir_ / "changed.replay") << text;
    const std::string out = Harness("--replay changed.replay --verify");
    EXPECT_EQ(out.substr(0, 2), "1|") << out;
    EXPECT_NE(out.find("changed.replay: frame " + frame + " of 924 (the run's frame " +
                       std::to_string(std::stoi(frame) + 53) + ") differs from the recording"),
              std::string::npos)
        << out;
}

TEST_F(ReplayRun, ADamagedOrForeignReplayPlaysNothing) {
    const std::string good = Slurp(kCorpus + "/stage1-ram.replay");
    std::ofstream(dir_ / "cut.replay") << good.substr(0, good.size() / 2);
    std::string out = Harness("--replay cut.replay --verify --state 1:start.json");
    EXPECT_EQ(out.substr(0, 2), "2|") << out;
    EXPECT_NE(out.find("zorbat-harness: cut.replay: line "), std::string::npos) << out;
    EXPECT_FALSE(fs::exists(dir_ / "start.json"));  // not even start-up ran

    // Recorded with stage files other than these: one line says which.
    OwnStageFiles();
    std::ofstream(dir_ / "data" / "bin" / "m1.pxd", std::ios::app) << "\n";
    out = Harness("--replay '" + kCorpus + "/stage1-ram.replay' --state 1:start.json");
    EXPECT_EQ(out.substr(0, 2), "2|") << out;
    EXPECT_NE(out.find("recorded with another m1.pxd (stage 1) than this game's"), std::string::npos) << out;
    EXPECT_FALSE(fs::exists(dir_ / "start.json"));
}

// Three attempts in one run: stage 3 played until its game over (its
// chargers draw from the generator), stage 1 left from a paused countdown,
// then stage 3 again with a pause, Quit Game at the end. The last attempt
// starts from what the others left (the generator, a countdown partly run,
// the latches, the game over last shown) and must play the same when it is
// all a fresh game has.
TEST_F(ReplayRun, AnAttemptAfterOthersPlaysTheSameInAFreshGame) {
    std::ofstream(dir_ / "three.txt") << "80 tap RETURN\n82 tap DOWN\n84 tap DOWN\n86 tap SPACE\n"
                                         "300 down W\n300 button 0 down\n406 up W\n406 button 0 up\n"
                                         "730 tap RETURN\n735 tap SPACE\n"
                                         "810 tap RETURN\n820 tap DOWN\n825 tap SPACE\n"
                                         "860 tap RETURN\n862 tap DOWN\n864 tap DOWN\n866 tap SPACE\n"
                                         "1070 down D\n1070 button 1 down\n1090 mouse 40 -20\n1120 tap RETURN\n"
                                         "1150 tap RETURN\n1190 up D\n1190 button 1 up\n1200 tap RETURN\n"
                                         "1205 tap DOWN\n1210 tap SPACE\n";
    std::string out = Harness("--seed 5 --frames 1230 --script three.txt --record last.replay --state 700:over.json");
    ASSERT_EQ(out.substr(0, 2), "0|") << out;
    const std::string text = Slurp((dir_ / "last.replay").string());
    ASSERT_NE(text.find("\nstage 3\nend quit\n"), std::string::npos) << text.substr(0, 200);
    ASSERT_NE(Slurp((dir_ / "over.json").string()).find("\"endReason\":1,"), std::string::npos);
    EXPECT_EQ(text.find("\nrandom 5\n"), std::string::npos);  // the first attempt drew numbers
    EXPECT_EQ(text.find("\ncountdown 180\n"), std::string::npos);  // the second left its countdown
    out = Harness("--replay last.replay --verify");
    EXPECT_EQ(out.substr(0, 2), "0|") << out;
}

// zorbat --replay in the window, at real speed: a short attempt into stage 1,
// its countdown paused by a lost focus (the player's setting) and by Enter,
// then quit. It plays as recorded under the player's own keys, where Enter
// and Down are bound elsewhere; no hiscore file is made where there was none,
// and nothing is recorded.
TEST_F(ReplayRun, WatchingAReplayPlaysItUnderAnyKeysAndLeavesThePlayersFilesAlone) {
    std::ofstream(dir_ / "short.txt") << "80 tap RETURN\n86 tap SPACE\n100 focus out\n104 focus in\n110 tap RETURN\n"
                                         "120 tap RETURN\n123 tap DOWN\n126 tap SPACE\n";
    ASSERT_EQ(Harness("--frames 130 --pause-on-focus-loss --script short.txt --record short.replay").substr(0, 2),
              "0|");
    ASSERT_NE(Slurp((dir_ / "short.replay").string()).find(" focus pause\n"), std::string::npos);
    const std::string checked = Harness("--replay short.replay --verify");
    EXPECT_EQ(checked.substr(0, 2), "0|") << checked;
    OwnStageFiles();
    const fs::path home = dir_ / "home";
    const fs::path config = dir_ / "config";
    fs::create_directories(home);
    fs::create_directories(config / "zorbat");
    std::ofstream(config / "zorbat" / "settings.ini") << "[keys]\nenter = P\ndown = K\nspace = Return\n";
    const std::string out = Shell("cd '" + dir_.string() + "' && env -u ZORBAT_DATA_DIR XDG_DATA_HOME='" +
                                  home.string() + "' XDG_CONFIG_HOME='" + config.string() + "' timeout 60 '"
                                  ZORBAT_BINARY_DIR "/zorbat' --replay short.replay");
    EXPECT_EQ(out.substr(0, 2), "0|") << out;
    EXPECT_EQ(out.find("differently"), std::string::npos) << out;
    EXPECT_FALSE(fs::exists(dir_ / "data" / "bin" / "hiscore.pxd"));
    EXPECT_TRUE(fs::is_empty(home));
}

}  // namespace

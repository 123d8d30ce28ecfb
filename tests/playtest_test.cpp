// The playtest tool (zorbat-playtest), checked where a fault would mislead
// the tuning of the stages: pilots that never fire or never hit, a pilot that
// acts on what it could not have seen yet, and runs that the real game would
// play differently from the tool.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "json_lite.h"
#include "run_util.h"

namespace {

namespace fs = std::filesystem;
using json_lite::Value;

const std::string kTool = std::string(ZORBAT_BINARY_DIR) + "/zorbat-playtest";
const std::string kHarness = std::string(ZORBAT_BINARY_DIR) + "/zorbat-harness";
// The harness frame of the first play frame after the replay script's menu lines.
constexpr int kFirstPlayFrame = 269;

fs::path ScratchDir(const char* name) {
    const fs::path dir = fs::temp_directory_path() / ("zorbat_playtest_" + std::string(name) + "_" +
                                                      std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir / "data" / "bin");
    return dir;
}

Value ReadJson(const fs::path& path) {
    Value v;
    EXPECT_TRUE(json_lite::Parse(run_util::Slurp(path.string()), &v)) << path << " is not JSON";
    return v;
}

struct ScriptLine {
    int frame;
    std::string event;
};

std::vector<ScriptLine> ReadScript(const fs::path& path) {
    std::vector<ScriptLine> lines;
    std::istringstream in(run_util::Slurp(path.string()));
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        const size_t space = line.find(' ');
        lines.push_back(ScriptLine{std::atoi(line.c_str()), line.substr(space + 1)});
    }
    return lines;
}

// A craft at height 10 facing one drone 40 units ahead, in an open stage.
void WriteTargetAhead(const fs::path& dir) {
    std::ofstream(dir / "data" / "bin" / "c1.pxd")
        << "{\nZORBAT\n0,0,0\n0,10,0\n1,1,1\n1\n1.5,0.45,1.5\n0,0.65,0\n0.65,0.25,0.65\n2.3\n30\n}\n"
           "{\nENEMY1\n0,0,0\n0,10,40\n1,1,1\n0\n1.2,1.3,1.8\n2.6\n6\n}\n";
    std::ofstream(dir / "data" / "bin" / "m1.pxd")
        << "{\n0,15,-60\n25,30,0\n0,0,0\n}\n{\n90,120,160\n-200,0,-200\n200,100,200\n0.3,-1,0.5\n1,1,1,1\n}\n";
}

TEST(Playtest, PilotsFireAndHitButOnlyOnceTheyCouldHaveSeenTheTarget) {
    const fs::path dir = ScratchDir("ahead");
    WriteTargetAhead(dir);
    const std::string out = run_util::Shell(kTool + " --dir " + dir.string() +
                                            " --stages 1 --seeds 3 --json " + (dir / "p.json").string());
    ASSERT_EQ(out.substr(0, 2), "0|") << out;
    const Value report = ReadJson(dir / "p.json");
    ASSERT_EQ(report["runs"].Size(), 9u);
    for (size_t i = 0; i < report["runs"].Size(); ++i) {
        const Value& r = report["runs"][i];
        const std::string pilot = r["pilot"].text;
        SCOPED_TRACE(pilot + " seed " + std::to_string(r["seed"].Int()));
        if (pilot == "idle") {
            EXPECT_EQ(r["end"].text, "time out");
            EXPECT_EQ(r["beams"].Int() + r["stars"].Int(), 0);
        } else {
            EXPECT_EQ(r["end"].text, "clear");
            EXPECT_GT(r["beams"].Int(), 0);
            EXPECT_EQ(r["hits"].Int(), 6);
            if (pilot == "skilled") {
                EXPECT_GT(r["stars"].Int(), 0) << "the skilled pilot uses both weapons";
            }
        }
    }
    // The drone is on screen from the first frame; a pilot sees a picture
    // 12 frames late, so nothing it does can come before play frame 13.
    for (const char* pilot : {"novice", "skilled"}) {
        const fs::path script = dir / (std::string(pilot) + ".txt");
        const std::string replay =
            run_util::Shell(kTool + " --dir " + dir.string() + " --replay 1:" + pilot + ":1 --script " + script.string());
        ASSERT_EQ(replay.substr(0, 2), "0|") << replay;
        int first = 0;
        for (const ScriptLine& line : ReadScript(script))
            if (line.frame >= kFirstPlayFrame && first == 0) first = line.frame - kFirstPlayFrame + 1;
        EXPECT_GE(first, 13) << pilot << " acts on play frame " << first;
    }
    fs::remove_all(dir);
}

// An actor block: one box, no parts.
std::string Actor(const char* tag, const char* rotation, const char* position, int hp) {
    std::ostringstream s;
    s << "{\n" << tag << "\n" << rotation << "\n" << position << "\n1,1,1\n0\n1.5,1,1.5\n2.5\n" << hp << "\n}\n";
    return s.str();
}

// The part of a state dump that a run decides: the run state, the craft,
// the enemies, the shots and the effects (not the music or the hiscores).
std::string Outcome(const std::string& dump) {
    const size_t a = dump.find("\"scene\"");
    const size_t b = dump.find(",\"fadeAlpha\"");
    const size_t c = dump.find("\"player\"");
    const size_t d = dump.find(",\"hiscore\"");
    if (a == std::string::npos || b == std::string::npos || c == std::string::npos || d == std::string::npos)
        return "unreadable: " + dump;
    return dump.substr(a, b - a) + "|" + dump.substr(c, d - c);
}

TEST(Playtest, ARunReplayedInTheHarnessEndsTheSameAndTurnsAtAHumanRate) {
    const fs::path data = fs::path(ZORBAT_BINARY_DIR) / "data";
    if (!fs::exists(data / "images" / "images.arx") || !fs::exists(data / "bin" / "m3.pxd"))
        GTEST_SKIP() << "the game data is not built";
    const fs::path dir = ScratchDir("replay");
    for (const auto& entry : fs::directory_iterator(data)) {
        if (entry.path().filename() != "bin") fs::create_directory_symlink(entry.path(), dir / "data" / entry.path().filename());
    }
    // Stage 3's town with one enemy of each kind near a frail craft: every
    // behaviour, the charger's draws from the game's generator, and the
    // skilled pilot's homing stars, in a run short enough for the harness.
    std::ofstream(dir / "data" / "bin" / "c3.pxd")
        << Actor("ZORBAT", "0,0,0", "0,8,-150", 40) << Actor("ENEMY1", "0,0,0", "-30,9,-100", 6)
        << Actor("ENEMY2", "0,0,0", "-57,30,-60", 10) << Actor("ENEMY3", "0,0,0", "40,12,-90", 8)
        << Actor("ENEMY4", "0,90,0", "20,0.63,-110", 6) << Actor("ENEMY5", "0,270,0", "-60,20,-40", 5);
    fs::copy_file(data / "bin" / "m3.pxd", dir / "data" / "bin" / "m3.pxd");
    const std::string list = run_util::Shell(kTool + " --dir " + dir.string() +
                                             " --stages 3 --pilots skilled --seeds 4 --json " + (dir / "p.json").string());
    ASSERT_EQ(list.substr(0, 2), "0|") << list;
    const Value report = ReadJson(dir / "p.json");
    int seed = 0, frames = 0;
    for (size_t i = 0; i < report["runs"].Size(); ++i) {
        const Value& r = report["runs"][i];
        if (seed == 0 || r["frames"].Int() < frames) {
            seed = r["seed"].Int();
            frames = r["frames"].Int();
        }
    }
    ASSERT_GT(seed, 0);
    const fs::path script = dir / "run.txt";
    const std::string replay = run_util::Shell(kTool + " --dir " + dir.string() + " --replay 3:skilled:" +
                                               std::to_string(seed) + " --script " + script.string() + " --state " +
                                               (dir / "tool.json").string());
    ASSERT_EQ(replay.substr(0, 2), "0|") << replay;

    const int last = kFirstPlayFrame + frames - 1;
    const std::string harness = run_util::Shell(
        kHarness + " --dir " + dir.string() + " --seed " + std::to_string(seed) + " --frames " + std::to_string(last) +
        " --script " + script.string() + " --state " + std::to_string(last) + ":" + (dir / "game.json").string());
    ASSERT_EQ(harness.substr(0, 2), "0|") << harness;
    const std::string game = run_util::Slurp((dir / "game.json").string());
    EXPECT_EQ(run_util::Field(game, "scene"), 9) << "the stage did not end on the tool's last frame";
    EXPECT_EQ(Outcome(game), Outcome(run_util::Slurp((dir / "tool.json").string())));

    // No faster than a hand on a mouse: 5 degrees a frame, 18 counts a degree.
    for (const ScriptLine& line : ReadScript(script)) {
        int dx = 0, dy = 0;
        if (std::sscanf(line.event.c_str(), "mouse %d %d", &dx, &dy) != 2) continue;
        EXPECT_LE(std::sqrt(double(dx) * dx + double(dy) * dy), 90.0) << "frame " << line.frame;
    }
    fs::remove_all(dir);
}

}  // namespace

// Scripted runs of the real game (zorbat-harness) on test stages of our own:
// the menus are driven by key taps, the craft by held keys and mouse reports,
// and the numbers the craft and the enemies must show are read back from the
// harness's state dumps, frame by frame.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "json_lite.h"

namespace {

namespace fs = std::filesystem;
using json_lite::Value;

// Block of an actor file: tag, rotation, position, scale, no parts, main half
// extents, radius, hit points.
std::string ActorBlock(const char* tag, const char* position, const char* half, float radius, int hp) {
    std::ostringstream s;
    s << "{\n" << tag << "\n0,0,0\n" << position << "\n1,1,1\n0\n" << half << "\n" << radius
      << "\n" << hp << "\n}\n";
    return s.str();
}

// Camera, settings (bounds -200..200 across, 0..100 high) and no stage objects.
const char* const kOpenMap =
    "{\n0,15,-60\n25,30,0\n0,0,0\n}\n"
    "{\n90,120,160\n-200,0,-200\n200,100,200\n0.3,-1,0.5\n1,1,1,1\n}\n";

class ScriptedPlay : public ::testing::Test {
protected:
    void SetUp() override {
        const fs::path data = fs::path(ZORBAT_BINARY_DIR) / "data";
        if (!fs::exists(data / "images" / "images.arx") || !fs::exists(data / "xfiles" / "xfiles.arx"))
            GTEST_SKIP() << "the game data is not built";
        dir_ = fs::temp_directory_path() /
               ("zorbat_scripted_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) +
                "_" + std::to_string(getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_ / "data" / "bin");
        // Everything but the stage files comes from the built data.
        for (const auto& entry : fs::directory_iterator(data)) {
            if (entry.path().filename() != "bin") fs::create_directory_symlink(entry.path(), dir_ / "data" / entry.path().filename());
        }
    }
    void TearDown() override {
        if (!dir_.empty()) fs::remove_all(dir_);
    }

    void WriteStage(const std::string& actors, const std::string& map) {
        std::ofstream(dir_ / "data" / "bin" / "c1.pxd") << actors;
        std::ofstream(dir_ / "data" / "bin" / "m1.pxd") << map;
    }

    // Runs the game for `frames` frames with the menus taken to stage 1 and
    // the extra script lines; dumps the state at each frame in `dumps`.
    std::map<int, Value> Run(const std::string& extra, int frames, const std::vector<int>& dumps) {
        const fs::path script = dir_ / "script.txt";
        std::ofstream(script) << kMenuScript << extra;
        std::string cmd = std::string(ZORBAT_BINARY_DIR) + "/zorbat-harness --frames " +
                          std::to_string(frames) + " --dir " + dir_.string() + " --script " + script.string();
        for (int f : dumps) cmd += " --state " + std::to_string(f) + ":" + (dir_ / ("s" + std::to_string(f) + ".json")).string();
        cmd += " > " + (dir_ / "log.txt").string() + " 2>&1";
        const int status = std::system(cmd.c_str());
        EXPECT_EQ(status, 0) << "harness failed: " << cmd;
        std::map<int, Value> out;
        for (int f : dumps) {
            std::ifstream in(dir_ / ("s" + std::to_string(f) + ".json"));
            std::stringstream text;
            text << in.rdbuf();
            if (!json_lite::Parse(text.str(), &out[f])) ADD_FAILURE() << "unreadable state of frame " << f;
        }
        return out;
    }

    // The frame on which the first play frame runs: the stage time first reads 5399 there.
    int FindPlayStart() {
        std::vector<int> dumps;
        for (int f = 60; f <= 420; ++f) dumps.push_back(f);
        const auto states = Run("", 420, dumps);
        for (const auto& [f, s] : states) {
            if (s["scene"].Int() == 7 && s["stageTime"].Int() == 5399) return f;
        }
        ADD_FAILURE() << "play never started";
        return 0;
    }

    // Harness frames of play frames 0 .. last, play frame 1 running on harness frame p.
    static std::vector<int> PlayFrames(int p, int last) {
        std::vector<int> frames;
        for (int k = 0; k <= last; ++k) frames.push_back(p + k - 1);
        return frames;
    }

    static std::string At(int frame, const std::string& line) { return std::to_string(frame) + " " + line + "\n"; }

    // Title fade-in, Start, then stage 1 (the harness's frame numbers; the
    // title accepts input once its 25-frame fade is done).
    static constexpr const char* kMenuScript = "120 tap SPACE\n140 tap SPACE\n";
    fs::path dir_;
};

// Shots of a tag spawned on the frame of this state: at their time-to-live
// less the frame's two steps, and not in their slot two steps earlier (an
// older shot of the same tag and a longer life can pass through that count).
int Fresh(const Value& state, const Value& before, const char* tag, int ttl) {
    int n = 0;
    const Value& shots = state["shots"];
    const Value& old = before["shots"];
    for (size_t i = 0; i < shots.Size(); ++i) {
        if (shots[i]["tag"].text != tag || shots[i]["hitPoints"].Int() != ttl - 2) continue;
        bool carried = false;
        for (size_t j = 0; j < old.Size(); ++j) {
            carried |= old[j]["slot"].Int() == shots[i]["slot"].Int() && old[j]["tag"].text == tag &&
                       old[j]["hitPoints"].Int() == ttl;
        }
        if (!carried) ++n;
    }
    return n;
}

// Play frames (1-based from the frame `start`) on which shots were spawned;
// needs the states of frames start - 1 .. start + last - 1.
std::vector<int> FreshFrames(const std::map<int, Value>& states, int start, int last, const char* tag, int ttl) {
    std::vector<int> out;
    for (int k = 1; k <= last; ++k) {
        auto it = states.find(start + k - 1);
        auto prev = states.find(start + k - 2);
        if (it == states.end() || prev == states.end()) {
            ADD_FAILURE() << "no state for play frame " << k;
            continue;
        }
        for (int n = Fresh(it->second, prev->second, tag, ttl); n > 0; --n) out.push_back(k);
    }
    return out;
}

TEST_F(ScriptedPlay, CraftThrustClimbFireAndTurnMatchTheirNumbers) {
    WriteStage(ActorBlock("ZORBAT", "0,10,0", "1.5,0.6,1.5", 2.5f, 100) +
                   ActorBlock("ENEMY1", "150,10,-150", "2,2,2", 3.0f, 5),
               kOpenMap);
    const int p = FindPlayStart();
    ASSERT_GT(p, 0);
    // Keys and the left button held from the countdown; the right button
    // alone from play frame 60, both from frame 100; then turns.
    std::string s;
    s += At(p - 10, "down W") + At(p - 10, "down SPACE") + At(p - 10, "button 0 down");
    s += At(p + 49, "button 0 up") + At(p + 59, "button 1 down") + At(p + 99, "button 0 down");
    s += At(p + 139, "mouse 180 0") + At(p + 140, "mouse 0 36") + At(p + 141, "mouse 0 1458");
    s += At(p + 142, "mouse 0 -2880");
    const std::vector<int> dumps = PlayFrames(p, 145);
    const auto st = Run(s, p + 145, dumps);
    auto play = [&](int k) -> const Value& { return st.at(p + k - 1); };

    // Thrust before damping, climb after it: 0.0384, 0.075264; 0.02 exactly.
    EXPECT_NEAR(play(1)["player"]["velocity"][2].Num(), 0.0384, 1e-6);
    EXPECT_NEAR(play(2)["player"]["velocity"][2].Num(), 0.075264, 1e-6);
    EXPECT_FLOAT_EQ(static_cast<float>(play(1)["player"]["velocity"][1].Num()), 0.02f);
    EXPECT_NEAR(play(1)["player"]["position"][1].Num() - play(0)["player"]["position"][1].Num(), 0.02, 1e-6);
    // Toward 0.96 forward and 0.5 up (limit x (1 - 0.96^n) after n frames);
    // the bounds hold the craft, not its velocity.
    const double decay = std::pow(0.96, 139);
    EXPECT_NEAR(play(139)["player"]["velocity"][1].Num(), 0.5 * (1.0 - decay), 1e-5);
    EXPECT_NEAR(play(139)["player"]["velocity"][2].Num(), 0.96 * (1.0 - decay), 1e-5);
    EXPECT_LE(play(139)["player"]["position"][1].Num(), 100.0);

    // NORMAL every 7 frames, STAR every 14, both together every 14.
    EXPECT_EQ(FreshFrames(st, p, 135, "NORMAL", 180), (std::vector<int>{1, 8, 15, 22, 29, 36, 43, 102, 116, 130}));
    EXPECT_EQ(FreshFrames(st, p, 135, "STAR", 260), (std::vector<int>{60, 74, 88, 102, 116, 130}));
    EXPECT_EQ(play(1)["player"]["fireCooldown"].Int(), 6);
    EXPECT_EQ(play(60)["player"]["fireCooldown"].Int(), 13);

    // 180 counts turn 10 degrees right; pitch is held at 80 down and 80 up.
    EXPECT_NEAR(play(140)["player"]["rotation"][1].Num(), 10.0, 1e-4);
    EXPECT_NEAR(play(141)["player"]["rotation"][0].Num(), 2.0, 1e-4);
    EXPECT_NEAR(play(142)["player"]["rotation"][0].Num(), 80.0, 1e-4);
    EXPECT_NEAR(play(143)["player"]["rotation"][0].Num(), 280.0, 1e-4);
    // The clock: 5400 before the first play frame, then one frame less each frame.
    EXPECT_EQ(play(0)["stageTime"].Int(), 5400);
    EXPECT_EQ(play(145)["stageTime"].Int(), 5400 - 145);
}

TEST_F(ScriptedPlay, BeamsLeadHitAndLeaveSparksForThirtyOneFrames) {
    // The craft hovers at the origin, facing a target 60 ahead at its height.
    WriteStage(ActorBlock("ZORBAT", "0,10,0", "1.5,0.6,1.5", 2.5f, 100) +
                   ActorBlock("ENEMY1", "0,10,60", "2,2,2", 3.0f, 100),
               kOpenMap);
    const int p = FindPlayStart();
    ASSERT_GT(p, 0);
    const std::vector<int> dumps = PlayFrames(p, 60);
    const auto st = Run(At(p - 10, "button 0 down"), p + 60, dumps);
    auto play = [&](int k) -> const Value& { return st.at(p + k - 1); };

    // First beam: 2 x 1.55 ahead at the spawn, then the frame's two steps.
    ASSERT_EQ(play(1)["shots"].Size(), 1u);
    EXPECT_NEAR(play(1)["shots"][0]["position"][2].Num(), 3.1 + 2 * 1.55, 1e-5);
    EXPECT_NEAR(play(2)["shots"][0]["position"][2].Num(), 3.1 + 4 * 1.55, 1e-5);

    // The boxes (half lengths 1.4 and 2) meet once the beam passes z 56.6:
    // step 35 = 3.1 + 35 x 1.55, the first step of frame 18.
    EXPECT_EQ(play(17)["enemies"][0]["hitPoints"].Int(), 100);
    EXPECT_EQ(play(17)["effects"].Size(), 0u);
    EXPECT_EQ(play(18)["enemies"][0]["hitPoints"].Int(), 99);
    ASSERT_EQ(play(18)["effects"].Size(), 1u);
    const Value& spark = play(18)["effects"][0];
    EXPECT_EQ(spark["tag"].text, "NORMAL");
    EXPECT_EQ(spark["frames"].Int(), 31);  // aged once in the frame it was made
    // Drifted on by 0.001 x 32 after the hit at 3.1 + 35 x 1.55.
    EXPECT_NEAR(spark["position"][2].Num(), 3.1 + 35 * 1.55 + 0.032, 1e-4);
    // A beam every 7 frames: one damage each.
    EXPECT_EQ(play(25)["enemies"][0]["hitPoints"].Int(), 98);
    EXPECT_EQ(play(53)["enemies"][0]["hitPoints"].Int(), 94);

    // The first sparks are drawn 31 times (frames 31 .. 1) and gone on frame 49.
    auto slotFrames = [&](int k, int slot) {
        const Value& effects = play(k)["effects"];
        for (size_t i = 0; i < effects.Size(); ++i) {
            if (effects[i]["slot"].Int() == slot) return effects[i]["frames"].Int();
        }
        return 0;
    };
    const int slot = spark["slot"].Int();
    EXPECT_EQ(slotFrames(48, slot), 1);
    EXPECT_EQ(slotFrames(49, slot), 0);
    EXPECT_EQ(play(49)["effects"].Size(), 4u);  // the hits of frames 25, 32, 39 and 46
}

TEST_F(ScriptedPlay, ARammingTankStunsTheCraftForTwentyNineFrames) {
    // A tank heading +z and the craft 20 ahead of it, backing toward it.
    WriteStage(ActorBlock("ZORBAT", "0,2,20", "1.5,0.6,1.5", 2.5f, 30000) +
                   ActorBlock("ENEMY4", "0,2,0", "2,1,3", 4.0f, 50),
               kOpenMap);
    const int p = FindPlayStart();
    ASSERT_GT(p, 0);
    const std::vector<int> dumps = PlayFrames(p, 90);
    const auto st = Run(At(p - 10, "down S"), p + 90, dumps);
    auto player = [&](int k) -> const Value& { return st.at(p + k - 1)["player"]; };
    auto z = [&](int k) { return player(k)["position"][2].Num(); };

    // The ram: 10 damage (a shell may land in the same frame for 3 more).
    int ram = 0;
    for (int k = 1; k <= 60 && ram == 0; ++k) {
        if (player(k - 1)["hitPoints"].Int() - player(k)["hitPoints"].Int() >= 10) ram = k;
    }
    ASSERT_GT(ram, 0);
    const int lost = player(ram - 1)["hitPoints"].Int() - player(ram)["hitPoints"].Int();
    EXPECT_TRUE(lost == 10 || lost == 13) << lost;
    // Pushed along the tank's heading by 4 x 0.9^j on the j-th stunned frame;
    // the 29th brings the speed to 0 without a move. No thrust meanwhile.
    for (int j = 1; j <= 28; ++j) {
        EXPECT_NEAR(z(ram + j) - z(ram + j - 1), 4.0 * std::pow(0.9, j), 1e-4) << j;
    }
    EXPECT_EQ(z(ram + 29), z(ram + 28));
    // Free on the 30th: the velocity kept through the stun takes the held
    // back thrust and the damping again.
    const float v = static_cast<float>(player(ram)["velocity"][2].Num());
    EXPECT_FLOAT_EQ(static_cast<float>(player(ram + 29)["velocity"][2].Num()), v);
    EXPECT_NEAR(z(ram + 30) - z(ram + 29), (v - 0.04f) * 0.96f, 1e-5);
}

TEST_F(ScriptedPlay, EnemyPatternsMatchTheirNumbers) {
    WriteStage(ActorBlock("ZORBAT", "0,90,0", "1.5,0.6,1.5", 2.5f, 30000) +
                   ActorBlock("ENEMY2", "-100,20,-100", "3,1.5,4", 5.0f, 50) +
                   ActorBlock("ENEMY3", "100,10,-100", "2,2,2", 3.0f, 50) +
                   ActorBlock("ENEMY4", "100,2,0", "2,1,3", 4.0f, 50) +
                   ActorBlock("ENEMY5", "-100,30,100", "2,1,2", 3.0f, 50),
               kOpenMap);
    const int p = FindPlayStart();
    ASSERT_GT(p, 0);
    std::vector<int> dumps = PlayFrames(p, 30);
    for (int k : {166, 167, 168, 200, 201, 216, 217, 218, 240, 300, 401, 402}) dumps.push_back(p + k - 1);
    const auto st = Run("", p + 402, dumps);
    auto enemy = [&](int k, int i) -> const Value& { return st.at(p + k - 1)["enemies"][i]; };

    // Gunship: up 9.6 in its first 240 frames, then level; a bullet every 8 frames.
    const double y0 = enemy(0, 0)["position"][1].Num();
    EXPECT_NEAR(enemy(240, 0)["position"][1].Num() - y0, 9.6, 2e-3);
    EXPECT_NEAR(enemy(300, 0)["position"][1].Num() - y0, 9.6, 2e-3);
    EXPECT_EQ(FreshFrames(st, p, 30, "ENEMY2", 240), (std::vector<int>{1, 9, 17, 25}));
    EXPECT_EQ(FreshFrames(st, p, 30, "TORP", 560), std::vector<int>{});  // the player is above

    // Charger: glow blinks from frame 167, first beam on frame 218.
    EXPECT_EQ(enemy(166, 1)["state"][3].Num(), 0.0);
    EXPECT_EQ(enemy(167, 1)["state"][3].Num(), 1.0);
    EXPECT_EQ(enemy(168, 1)["state"][3].Num(), 0.0);
    EXPECT_EQ(Fresh(st.at(p + 217 - 1), st.at(p + 216 - 1), "ENEMY3", 360), 0);
    EXPECT_EQ(Fresh(st.at(p + 218 - 1), st.at(p + 217 - 1), "ENEMY3", 360), 1);
    EXPECT_EQ(enemy(218, 1)["state"][2].Num(), 0.0);

    // Tank: straight for 200 frames, turning 0.4 per frame for 201; a shell every 12 frames.
    EXPECT_EQ(enemy(200, 2)["rotation"][1].Num(), 0.0);
    EXPECT_NEAR(enemy(201, 2)["rotation"][1].Num(), 0.4, 1e-5);
    EXPECT_NEAR(enemy(401, 2)["rotation"][1].Num(), 80.4, 1e-3);
    EXPECT_NEAR(enemy(402, 2)["rotation"][1].Num(), 80.4, 1e-3);
    EXPECT_EQ(FreshFrames(st, p, 30, "ENEMY4", 200), (std::vector<int>{1, 13, 25}));

    // Aircraft: a pair of shells every 6 frames.
    EXPECT_EQ(FreshFrames(st, p, 30, "ENEMY4", 220), (std::vector<int>{1, 1, 7, 7, 13, 13, 19, 19, 25, 25}));
}

}  // namespace

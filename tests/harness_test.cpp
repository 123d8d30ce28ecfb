// The scripted-run harness delivers input on the frames a script names, and
// its command line behaves as documented.
#include <gtest/gtest.h>
#include <unistd.h>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "core/buttons.h"
#include "core/scene_id.h"
#include "game/stage.h"
#include "graphics/device.h"
#include "json_lite.h"
#include "platform/image.h"
#include "platform/mouse.h"
#include "run_util.h"
#include "screens/screen_state.h"
#include "shell/harness.h"
#include "shell/state_dump.h"

using run_util::Slurp;

namespace {

// A folder of this process's own, so that runs side by side never share files.
std::string PrivateDir() {
    const std::string dir = testing::TempDir() + "zorbat-harness-test-" + std::to_string(getpid());
    std::filesystem::create_directories(dir);
    return dir;
}

struct Trace {
    int enterPressed[16] = {};
    int keyA[16] = {};
    int active[16] = {};
};

// After start-up the hook parks the dispatcher on a scene number that runs
// nothing, so these runs test delivery alone, without loading any data.
void Record(int frame, void* ctx) {
    Trace* t = static_cast<Trace*>(ctx);
    if (frame == 1) SceneId = 99;
    if (frame >= 16) return;
    UpdateButtons();
    t->enterPressed[frame] = ButtonPressed(ButtonEnter);
    t->keyA[frame] = KeyState['A'];
    t->active[frame] = WindowActive;
}

HarnessOptions Options(const char* script, int frames, Trace* trace) {
    HarnessOptions o;
    o.frames = frames;
    int line = 0;
    std::string reason;
    EXPECT_TRUE(ParseScript(script, &o.script, &line, &reason)) << line << ": " << reason;
    o.frameHook = Record;
    o.hookCtx = trace;
    return o;
}

TEST(Harness, ScriptedKeyPressReachesButtonPressedOnItsFrame) {
    Trace t;
    ASSERT_EQ(RunHarness(Options("3 tap RETURN\n", 6, &t)), 0);
    EXPECT_EQ(t.enterPressed[2], 0);
    EXPECT_EQ(t.enterPressed[3], 1);
    EXPECT_EQ(t.enterPressed[4], 0);  // released before frame 4
    EXPECT_EQ(t.enterPressed[5], 0);
}

TEST(Harness, FocusOutClearsKeyState) {
    Trace t;
    ASSERT_EQ(RunHarness(Options("2 down A\n4 focus out\n6 focus in\n", 7, &t)), 0);
    EXPECT_EQ(t.keyA[2], 1);
    EXPECT_EQ(t.keyA[3], 1);
    EXPECT_EQ(t.active[3], 1);
    EXPECT_EQ(t.active[4], 0);
    EXPECT_EQ(t.keyA[4], 0);  // held key reads as released while inactive
    EXPECT_EQ(t.active[6], 1);
    EXPECT_EQ(t.keyA[6], 0);  // and stays released until pressed again
}

// Frame 2 presents a green picture (drawn by the hook, the parked scene
// draws nothing), frame 3 presents nothing: the screenshot of frame 3 is
// still the picture presented last, frame 2's.
void PresentOnFrameTwo(int frame, void*) {
    if (frame == 1) SceneId = 99;
    if (frame != 2) return;
    BeginFrame(10, 200, 30);
    EndFrame();
}

TEST(Harness, ScreenshotOfAFrameThatPresentsNothingShowsTheLastPicture) {
    const std::string png = PrivateDir() + "/last.png";
    std::remove(png.c_str());
    HarnessOptions o;
    o.frames = 3;
    o.frameHook = PresentOnFrameTwo;
    o.screenshots.emplace_back(3, png);
    ASSERT_EQ(RunHarness(o), 0);
    const std::string bytes = Slurp(png);
    ASSERT_FALSE(bytes.empty()) << "no screenshot written";
    int w = 0, h = 0;
    uint8_t* rgba = nullptr;
    ASSERT_TRUE(DecodeImage(reinterpret_cast<const uint8_t*>(bytes.data()),
                            static_cast<int>(bytes.size()), &w, &h, &rgba));
    EXPECT_EQ(w, 800);
    EXPECT_EQ(h, 600);
    EXPECT_EQ(rgba[0], 10);
    EXPECT_EQ(rgba[1], 200);
    EXPECT_EQ(rgba[2], 30);
    FreeImage(rgba);
}

std::string RunCli(const std::string& args) {
    return run_util::Shell(std::string(ZORBAT_BINARY_DIR) + "/zorbat-harness " + args);
}

TEST(HarnessCommandLine, StateDumpAfterStartUpIsInTheLoadingScene) {
    const std::string dir = PrivateDir();
    const std::string json = dir + "/s.json";
    std::remove(json.c_str());
    EXPECT_EQ(RunCli("--frames 1 --dir " + dir + " --state 1:" + json).substr(0, 2), "0|");
    const std::string s = Slurp(json);
    EXPECT_NE(s.find("\"frame\":1,"), std::string::npos) << s;
    EXPECT_NE(s.find("\"scene\":1,"), std::string::npos) << s;
}

// A screenshot or a state that cannot be written fails the run (it once
// exited 0 after saying so), and numbers that do not fit are refused rather
// than wrapped (4294967297 frames was one frame).
TEST(HarnessCommandLine, FailuresAreNotReportedAsSuccess) {
    const std::string dir = PrivateDir();
    std::string out = RunCli("--frames 1 --dir " + dir + " --state 1:" + dir + "/no/such/dir/s.json");
    EXPECT_EQ(out.substr(0, 2), "3|") << out;
    EXPECT_NE(out.find("cannot write state"), std::string::npos) << out;
    out = RunCli("--frames 1 --dir " + dir + " --screenshot 1:" + dir + "/no/such/dir/s.png");
    EXPECT_EQ(out.substr(0, 2), "3|") << out;
    for (const char* args : {"--frames 4294967297", "--frames 2147483648", "--frames -1",
                             "--frames 1 --seed 4294967296", "--frames 1 --seed -1",
                             "--frames 1 --state 4294967297:x.json"}) {
        out = RunCli(std::string(args) + " --dir " + dir);
        EXPECT_EQ(out.substr(0, 2), "2|") << args << ": " << out;
    }
}

// A state with values that are not finite is still JSON: null in their place
// (bare inf and nan once made the dump unreadable).
TEST(HarnessState, ValuesThatAreNotFiniteAreNull) {
    const Vec3 saved = Player.position;
    const float fade = FadeAlpha;
    Player.position = Vec3{INFINITY, -INFINITY, 2.5f};
    FadeAlpha = NAN;
    const std::string path = PrivateDir() + "/nonfinite.json";
    const bool written = WriteStateJson(path.c_str(), 7);
    Player.position = saved;
    FadeAlpha = fade;
    ASSERT_TRUE(written);
    json_lite::Value state;
    ASSERT_TRUE(json_lite::Parse(Slurp(path), &state)) << Slurp(path);
    EXPECT_EQ(state["fadeAlpha"].kind, json_lite::Value::Null);
    EXPECT_EQ(state["player"]["position"][0].kind, json_lite::Value::Null);
    EXPECT_EQ(state["player"]["position"][1].kind, json_lite::Value::Null);
    EXPECT_EQ(state["player"]["position"][2].Num(), 2.5);
}

// --timings: one line per frame with the scene that ran, the clock around it
// and the resident memory, in the order the frames ran.
TEST(HarnessCommandLine, TimingsLineForEveryFrame) {
    const std::string out = RunCli("--frames 2 --timings --dir " + testing::TempDir());
    ASSERT_EQ(out.substr(0, 2), "1|") << out;  // no data there: the loading frame's faults end the run
    std::istringstream lines(out.substr(2));
    std::string line;
    int n = 0;
    double lastEnd = 0.0;
    while (std::getline(lines, line)) {
        int frame = 0, scene = -1, draws = -1, quads, meshes, culled, programs;
        double start = 0.0, end = 0.0;
        long rss = 0;
        if (std::sscanf(line.c_str(),
                        "frame %d scene %d start %lf end %lf rss %ld draws %d quads %d meshes %d "
                        "culled %d programs %d",
                        &frame, &scene, &start, &end, &rss, &draws, &quads, &meshes, &culled,
                        &programs) != 10) {
            continue;  // the loading scene's messages about the missing data
        }
        ++n;
        EXPECT_EQ(frame, n);
        EXPECT_EQ(scene, n - 1) << line;  // start-up, then loading
        EXPECT_GE(end, start);
        EXPECT_GE(start, lastEnd);
        EXPECT_GT(rss, 1000);
        EXPECT_GE(draws, 0);
        lastEnd = end;
    }
    EXPECT_EQ(n, 2) << out;
}

TEST(HarnessCommandLine, EscapeEndsTheRunBeforeTheNextFrame) {
    const std::string dir = PrivateDir();
    std::ofstream(dir + "/esc.txt") << "# quit on the third frame\n3 down ESCAPE\n";
    const std::string a = dir + "/a.json", b = dir + "/b.json";
    std::remove(a.c_str());
    std::remove(b.c_str());
    const std::string out = RunCli("--frames 10 --dir " + dir + " --script " + dir +
                                "/esc.txt --state 2:" + a + " --state 3:" + b);
    EXPECT_EQ(out.substr(0, 2), "1|") << out;  // no data there: a fatal data error
    // The key message is handled before frame 3 would run; the quit it posts
    // ends the loop at its next turn, so frame 2 was the last one.
    EXPECT_NE(Slurp(a).find("\"frame\":2,"), std::string::npos);
    EXPECT_EQ(Slurp(b), "");
}

TEST(HarnessCommandLine, MalformedScriptLinesExitTwoWithTheirLineNumber) {
    const std::string dir = PrivateDir();
    std::ofstream(dir + "/bad.txt") << "1 down A\n\n3 tap F13\n";
    std::string out = RunCli("--frames 3 --script " + dir + "/bad.txt");
    EXPECT_EQ(out.substr(0, 2), "2|") << out;
    EXPECT_NE(out.find("bad.txt:3:"), std::string::npos) << out;
    std::ofstream(dir + "/bad2.txt") << "0 down A\n";  // frames count from 1
    out = RunCli("--frames 3 --script " + dir + "/bad2.txt");
    EXPECT_NE(out.find("bad2.txt:1:"), std::string::npos) << out;
    EXPECT_EQ(RunCli("--frames 3 --screenshot nonsense").substr(0, 2), "2|");
    EXPECT_EQ(RunCli("--dir /tmp").substr(0, 2), "2|");  // --frames is required
}

TEST(Script, ParsesEveryEventKind) {
    std::vector<ScriptEvent> ev;
    int line = 0;
    std::string reason;
    ASSERT_TRUE(ParseScript("5 mouse -3 4   # turn\n2 button 1 down\n2 focus out\n7 up SHIFT\n"
                            "1 tap SPACE\n",
                            &ev, &line, &reason));
    ASSERT_EQ(ev.size(), 6u);
    EXPECT_EQ(ev[0].frame, 1);  // sorted by frame, file order kept within a frame
    EXPECT_EQ(ev[0].event.type, EvKeyDown);
    EXPECT_EQ(ev[0].event.code, 0x20);
    EXPECT_EQ(ev[1].frame, 2);
    EXPECT_EQ(ev[1].event.type, EvMouseButton);
    EXPECT_EQ(ev[1].event.code, 1);
    EXPECT_EQ(ev[2].event.type, EvFocusOut);
    EXPECT_EQ(ev[3].frame, 2);  // the tap's release
    EXPECT_EQ(ev[3].event.type, EvKeyUp);
    EXPECT_EQ(ev[4].event.type, EvMouseMotion);
    EXPECT_EQ(ev[4].event.dx, -3);
    EXPECT_EQ(ev[4].event.dy, 4);
    EXPECT_EQ(ev[5].event.code, 0x10);
    EXPECT_FALSE(ParseScript("1 button 3 down\n", &ev, &line, &reason));
    EXPECT_FALSE(ParseScript("1 focus sideways\n", &ev, &line, &reason));
    EXPECT_FALSE(ParseScript("1 jump\n", &ev, &line, &reason));
    EXPECT_FALSE(ParseScript("x down A\n", &ev, &line, &reason));

    // One frame's events all wait in the 256-event input queue; the 257th would be
    // dropped silently, so the script is refused at the line that brings it.
    std::string full;
    for (int i = 0; i < 256; ++i) full += "3 mouse 1 0\n";
    EXPECT_TRUE(ParseScript(full + "4 mouse 1 0\n", &ev, &line, &reason)) << reason;
    EXPECT_FALSE(ParseScript("2 tap A\n" + full, &ev, &line, &reason));  // the tap's release is on 3
    EXPECT_EQ(line, 257);
    EXPECT_EQ(reason, "too many events for one frame");
}

}  // namespace

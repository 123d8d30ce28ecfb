// The input mapping between the devices and the game: keys the player
// rebound, the game controller's buttons, sticks and triggers, and the pause
// when the window loses the focus. The scripted runs play the game's own
// stage 1 from its built data.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "core/buttons.h"
#include "formats/settings_file.h"
#include "platform/window.h"
#include "run_util.h"
#include "shell/input_map.h"
#include "shell/player_settings.h"

namespace {

namespace fs = std::filesystem;

PlatformEvent Event(int type, int code, int value = 0, int down = 0) {
    PlatformEvent e{};
    e.type = type;
    e.code = code;
    e.dx = value;
    e.down = down;
    return e;
}

class InputMapping : public ::testing::Test {
protected:
    void SetUp() override {
        ResetInput();
        SetInputSettings(InputSettings{});
    }
    void TearDown() override {
        SetInputSettings(InputSettings{});
        ResetInput();
    }
};

// Menus to stage 1 (countdown from frame 87, play from 268), as keys and as
// the controller: each line of one matches the same line of the other.
const char* const kMenuKeys = "80 tap RETURN\n85 tap SPACE\n";
const char* const kMenuPad = "80 pad start down\n81 pad start up\n85 pad a down\n86 pad a up\n";

class PadAndFocusRuns : public ::testing::Test {
protected:
    void SetUp() override {
        const fs::path data = fs::path(ZORBAT_BINARY_DIR) / "data";
        if (!fs::exists(data / "images" / "images.arx")) GTEST_SKIP() << "the game data is not built";
        dir_ = fs::temp_directory_path() /
               ("zorbat_input_" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()) +
                "_" + std::to_string(getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_ / "data");
        for (const auto& entry : fs::directory_iterator(data)) {
            if (entry.path().filename() == "bin") {
                fs::copy(entry.path(), dir_ / "data" / "bin", fs::copy_options::recursive);
                fs::remove(dir_ / "data" / "bin" / "hiscore.pxd");
            } else {
                fs::create_directory_symlink(entry.path(), dir_ / "data" / entry.path().filename());
            }
        }
    }
    void TearDown() override {
        if (!dir_.empty()) fs::remove_all(dir_);
    }

    // The state dumps of the frames asked for, as text.
    std::map<int, std::string> Run(const std::string& script, int frames, const std::vector<int>& dumps,
                                   const char* flags = "") {
        std::ofstream(dir_ / "script.txt") << script;
        std::string cmd = std::string(ZORBAT_BINARY_DIR) + "/zorbat-harness " + flags + " --frames " +
                          std::to_string(frames) + " --dir " + dir_.string() + " --script " +
                          (dir_ / "script.txt").string();
        for (int f : dumps) cmd += " --state " + std::to_string(f) + ":" + (dir_ / ("s" + std::to_string(f) + ".json")).string();
        const std::string out = run_util::Shell(cmd);
        EXPECT_EQ(out.substr(0, 2), "0|") << cmd << "\n" << out;
        std::map<int, std::string> states;
        for (int f : dumps) {
            const fs::path p = dir_ / ("s" + std::to_string(f) + ".json");
            states[f] = run_util::Slurp(p.string());
            fs::remove(p);
        }
        return states;
    }

    fs::path dir_;
};

}  // namespace

// A key the player gave a button holds it as the default key did, through
// the path every key takes; the key it replaced holds it no longer, and a
// rebound letter still types in name entry.
TEST_F(InputMapping, RemappedKeyReachesButtonPressed) {
    PlayerSettings s;
    ASSERT_EQ(ReadSettings("[keys]\nspace = J\nenter = Keypad0 Return\n", "test", &s, nullptr, nullptr), 0);
    ApplyPlayerSettings(s);
    DeliverInput(Event(EvKeyDown, 'J'));
    UpdateButtons();
    EXPECT_EQ(ButtonPressed(ButtonSpace), 1);
    EXPECT_EQ(KeyState['J'], 1);
    DeliverInput(Event(EvKeyUp, 'J'));
    DeliverInput(Event(EvKeyDown, VK_SPACE));
    UpdateButtons();
    EXPECT_EQ(ButtonPressed(ButtonSpace), 0);  // Space is not the button's key any more
    DeliverInput(Event(EvKeyDown, 0x60));
    UpdateButtons();
    EXPECT_EQ(ButtonPressed(ButtonEnter), 1);
    DeliverInput(Event(EvKeyDown, VK_CONTROL));
    DeliverInput(Event(EvKeyUp, 0x60));
    UpdateButtons();
    EXPECT_EQ(ButtonState[ButtonEnter], 0);  // nor Ctrl
}

// The left stick past its dead zone and the d-pad hold the arrows, A, B and
// Start the other buttons; what a controller held is let go when it is
// unplugged or the window loses the focus.
TEST_F(InputMapping, PadHoldsButtonsAndLetsGoWhenUnpluggedOrInTheBackground) {
    DeliverInput(Event(EvPadAxis, PadLeftY, -8000));  // inside 25 percent
    DeliverInput(Event(EvPadAxis, PadLeftX, 9000));
    DeliverInput(Event(EvPadButton, PadDpadLeft, 0, 1));
    DeliverInput(Event(EvPadButton, PadA, 0, 1));
    DeliverInput(Event(EvPadButton, PadStart, 0, 1));
    UpdateButtons();
    EXPECT_EQ(ButtonState[ButtonUp], 0);
    EXPECT_EQ(ButtonState[ButtonRight], 1);
    EXPECT_EQ(ButtonState[ButtonLeft], 1);
    EXPECT_EQ(ButtonState[ButtonSpace], 1);
    EXPECT_EQ(ButtonState[ButtonShift], 0);
    EXPECT_EQ(ButtonPressed(ButtonEnter), 1);
    DeliverInput(Event(EvPadRemoved, 0));
    UpdateButtons();
    for (int b = 0; b < kButtonCount; ++b) EXPECT_EQ(ButtonState[b], 0) << b;

    DeliverInput(Event(EvPadAxis, PadLeftY, 32767));
    UpdateButtons();
    EXPECT_EQ(ButtonState[ButtonDown], 1);
    DeliverInput(Event(EvFocusOut, 0));
    UpdateButtons();
    EXPECT_EQ(ButtonState[ButtonDown], 0);
    DeliverInput(Event(EvFocusIn, 0));
}

// The same flight once with keys and the mouse, once with the controller:
// the game's state is the same on every frame looked at, byte for byte.
TEST_F(PadAndFocusRuns, ControllerThroughTheHarnessPlaysAsKeysAndMouse) {
    const std::string keys = std::string(kMenuKeys) +
                             "270 down W\n270 down D\n270 button 0 down\n"
                             "300 mouse 48 0\n305 mouse -48 0\n310 mouse 0 48\n"
                             "320 down SPACE\n330 up SPACE\n330 down SHIFT\n335 up SHIFT\n"
                             "340 button 0 up\n340 button 1 down\n360 button 1 up\n"
                             "361 up W\n361 up D\n365 tap RETURN\n";
    const std::string pad = std::string(kMenuPad) +
                            "270 pad lefty -32768\n270 pad dpright down\n270 pad righttrigger 32767\n"
                            "300 pad rightx 32767\n301 pad rightx 0\n305 pad rightx -32768\n306 pad rightx 0\n"
                            "310 pad righty 32767\n311 pad righty 0\n"
                            "320 pad a down\n330 pad a up\n330 pad b down\n335 pad b up\n"
                            "340 pad righttrigger 0\n340 pad lefttrigger 32767\n360 pad lefttrigger 0\n"
                            "361 pad lefty 0\n361 pad dpright up\n365 pad start down\n366 pad start up\n";
    const std::vector<int> frames = {88, 268, 280, 299, 300, 305, 310, 325, 333, 345, 362, 365, 366};
    const auto byKeys = Run(keys, 366, frames);
    const auto byPad = Run(pad, 366, frames);
    for (int f : frames) {
        ASSERT_FALSE(byKeys.at(f).empty()) << f;
        EXPECT_EQ(byPad.at(f), byKeys.at(f)) << "frame " << f;
    }
    // And the flight did something: turned, fired, paused.
    EXPECT_NE(byKeys.at(300), byKeys.at(299));
    EXPECT_EQ(run_util::Field(byKeys.at(88), "scene"), 6);
    EXPECT_NE(byKeys.at(345).find("\"STAR\""), std::string::npos);
    EXPECT_EQ(run_util::Field(byPad.at(365), "scene"), 8);
}

// With the option on, losing the focus pauses the countdown and play as
// Enter does; on the countdown's last frame, where play wins over Enter, the
// pause comes on the first frame of play. Off (the game's rules), they run on.
TEST_F(PadAndFocusRuns, FocusLossPausesCountdownAndPlayWhenAsked) {
    const std::string countdown = std::string(kMenuKeys) + "150 focus out\n160 focus in\n170 tap RETURN\n";
    const std::vector<int> frames = {150, 169, 170, 286, 287};
    auto paused = Run(countdown, 287, frames, "--pause-on-focus-loss");
    EXPECT_EQ(run_util::Field(paused.at(150), "scene"), 8);
    EXPECT_EQ(run_util::Field(paused.at(150), "startBanner"), -1);  // taken during the countdown
    EXPECT_EQ(run_util::Field(paused.at(169), "scene"), 8);
    EXPECT_EQ(run_util::Field(paused.at(170), "scene"), 6);
    // Resumed where it stopped: play starts 20 frames later than unpaused (267).
    EXPECT_EQ(run_util::Field(paused.at(286), "scene"), 6);
    EXPECT_EQ(run_util::Field(paused.at(287), "scene"), 7);
    auto running = Run(countdown, 150, {150});
    EXPECT_EQ(run_util::Field(running.at(150), "scene"), 6);

    auto play = Run(std::string(kMenuKeys) + "300 focus out\n", 301, {299, 300, 301}, "--pause-on-focus-loss");
    EXPECT_EQ(run_util::Field(play.at(299), "scene"), 7);
    EXPECT_EQ(run_util::Field(play.at(300), "scene"), 8);
    EXPECT_EQ(run_util::Field(play.at(301), "scene"), 8);
    EXPECT_EQ(run_util::Field(Run(std::string(kMenuKeys) + "300 focus out\n", 300, {300}).at(300), "scene"), 7);

    auto last = Run(std::string(kMenuKeys) + "267 focus out\n", 268, {266, 267, 268}, "--pause-on-focus-loss");
    EXPECT_EQ(run_util::Field(last.at(266), "scene"), 6);
    EXPECT_EQ(run_util::Field(last.at(267), "scene"), 7);
    EXPECT_EQ(run_util::Field(last.at(268), "scene"), 8);
}

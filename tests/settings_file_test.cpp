// The player's settings file: what a good file sets, what a bad line gets
// (one message naming it, the rest still applies), and files that are refused.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "core/buttons.h"
#include "formats/settings_file.h"

namespace {

struct Messages {
    std::vector<std::string> lines;
};

void Collect(const std::string& m, void* user) { static_cast<Messages*>(user)->lines.push_back(m); }

int Read(const std::string& text, PlayerSettings* s, Messages* m) {
    return ReadSettings(text, "settings.ini", s, Collect, m);
}

bool SameSettings(const PlayerSettings& a, const PlayerSettings& b) {
    return a.fullscreen == b.fullscreen && a.scale == b.scale && a.vsync == b.vsync &&
           a.integerScaling == b.integerScaling &&
           std::memcmp(&a.keys, &b.keys, sizeof a.keys) == 0 && a.mouseSensitivity == b.mouseSensitivity &&
           a.invertPitch == b.invertPitch && a.padSensitivity == b.padSensitivity &&
           a.padDeadZone == b.padDeadZone && a.musicVolume == b.musicVolume &&
           a.effectsVolume == b.effectsVolume && a.mute == b.mute && a.pauseOnFocusLoss == b.pauseOnFocusLoss;
}

std::string Printed(const PlayerSettings& s) {
    char* buf = nullptr;
    size_t size = 0;
    FILE* f = open_memstream(&buf, &size);
    PrintSettings(f, s);
    std::fclose(f);
    std::string text(buf, size);
    std::free(buf);
    return text;
}

std::string TempPath(const char* name) {
    return testing::TempDir() + "zorbat-settings-" + std::to_string(getpid()) + "-" + name;
}

}  // namespace

// --print-settings gives a file that reads back, without a word, to exactly
// what was printed: the defaults, and settings far from them.
TEST(SettingsFile, PrintedFileReadsBackToWhatWasPrinted) {
    const PlayerSettings defaults;
    EXPECT_EQ(defaults.keys.keys[ButtonEnter][1], VK_CONTROL);  // the game's own keys
    PlayerSettings odd;
    odd.fullscreen = true;
    odd.scale = 3;
    odd.vsync = false;
    odd.keys.keys[ButtonSpace][0] = 'J';
    odd.keys.keys[ButtonSpace][1] = 0x63;  // Keypad3
    odd.keys.keys[ButtonLeft][1] = 0;
    odd.mouseSensitivity = 0.35f;
    odd.padDeadZone = 7;
    odd.musicVolume = 0;
    odd.mute = true;
    odd.pauseOnFocusLoss = false;
    for (const PlayerSettings& s : {defaults, odd}) {
        Messages m;
        PlayerSettings back;
        back.scale = 4;  // proves the file sets it
        back.keys.keys[ButtonSpace][1] = 'Q';
        EXPECT_EQ(Read(Printed(s), &back, &m), 0);
        EXPECT_TRUE(m.lines.empty()) << m.lines[0];
        EXPECT_TRUE(SameSettings(back, s)) << Printed(back);
    }
}

TEST(SettingsFile, EachBadLineGetsOneMessageNamingItAndTheRestApplies) {
    const char* text =
        "[display]\n"              // 1
        "scale = 2\n"              // 2
        "scael = 3\n"              // 3 no such key
        "fullscreen = maybe\n"     // 4 not yes or no
        "[keys]\n"                 // 5
        "space = J\n"              // 6
        "enter = Escape\n"         // 7 Escape quits
        "up = W Up Down\n"         // 8 three keys
        "left = Foo\n"             // 9 no such key name
        "[nonsense]\n"             // 10 no such section
        "whatever = 1\n"           // 11 skipped with its section
        "[sound]\n"                // 12
        "music_volume = 101\n"     // 13 out of range
        "effects_volume = 40\n"    // 14
        "this is not a setting\n"  // 15
        "[mouse]\n"                // 16
        "sensitivity = 1,5\n"      // 17 not a number here
        "invert_pitch = YES\n";    // 18
    PlayerSettings s;
    Messages m;
    EXPECT_EQ(Read(text, &s, &m), 9);
    const int bad[] = {3, 4, 7, 8, 9, 10, 13, 15, 17};
    ASSERT_EQ(m.lines.size(), 9u);  // the section's line counts as well
    for (size_t i = 0; i < m.lines.size(); ++i) {
        EXPECT_EQ(m.lines[i].rfind("settings.ini:" + std::to_string(bad[i]) + ": ", 0), 0u) << m.lines[i];
    }
    EXPECT_NE(m.lines[0].find("scael"), std::string::npos) << m.lines[0];
    EXPECT_NE(m.lines[4].find("Foo"), std::string::npos) << m.lines[4];
    // What the good lines said holds; what the bad ones said does not.
    EXPECT_EQ(s.scale, 2);
    EXPECT_FALSE(s.fullscreen);
    EXPECT_EQ(s.keys.keys[ButtonSpace][0], 'J');
    EXPECT_EQ(s.keys.keys[ButtonSpace][1], 0);
    EXPECT_EQ(s.keys.keys[ButtonEnter][0], VK_RETURN);
    EXPECT_EQ(s.keys.keys[ButtonUp][0], 'W');
    EXPECT_EQ(s.musicVolume, 100);
    EXPECT_EQ(s.effectsVolume, 40);
    EXPECT_EQ(s.mouseSensitivity, 1.0f);
    EXPECT_TRUE(s.invertPitch);
}

// What editors and other systems leave in a file: a byte-order mark, CRLF
// line ends, capitals, comments after a value, a key before any section, a
// NUL byte and an endless line.
TEST(SettingsFile, ForeignLineEndsAndDamagedLines) {
    PlayerSettings s;
    Messages m;
    const std::string text = "\xEF\xBB\xBF[Display]\r\nSCALE = 3   # three times\r\n"
                             "vsync = off ; no waiting\r\n";
    EXPECT_EQ(Read(text, &s, &m), 0) << (m.lines.empty() ? "" : m.lines[0]);
    EXPECT_EQ(s.scale, 3);
    EXPECT_FALSE(s.vsync);

    PlayerSettings t;
    Messages n;
    const std::string damaged = "mute = yes\n[sound]\nmute = y" + std::string(1, '\0') + "es\n" +
                                "effects_volume = " + std::string(600, '5') + "\nmute = yes\n";
    EXPECT_EQ(Read(damaged, &t, &n), 3);
    ASSERT_EQ(n.lines.size(), 3u);
    EXPECT_NE(n.lines[0].find("settings.ini:1: "), std::string::npos) << n.lines[0];
    EXPECT_NE(n.lines[0].find("before any [section]"), std::string::npos) << n.lines[0];
    EXPECT_NE(n.lines[1].find("NUL"), std::string::npos) << n.lines[1];
    EXPECT_NE(n.lines[2].find("longer than"), std::string::npos) << n.lines[2];
    EXPECT_TRUE(t.mute);  // the last line, good again
    EXPECT_EQ(t.effectsVolume, 100);
}

// A missing file is the defaults without a word; a FIFO, a folder and an
// oversized file are refused whole, without blocking and without reading.
TEST(SettingsFile, MissingFileIsSilentAndSpecialFilesAreRefused) {
    PlayerSettings s;
    EXPECT_EQ(LoadSettingsFile(TempPath("none.ini"), &s), 0);
    EXPECT_TRUE(SameSettings(s, PlayerSettings{}));

    const std::string good = TempPath("good.ini");
    std::ofstream(good) << "[gamepad]\ndead_zone = 40\n";
    EXPECT_EQ(LoadSettingsFile(good, &s), 0);
    EXPECT_EQ(s.padDeadZone, 40);

    const std::string fifo = TempPath("fifo.ini");
    std::remove(fifo.c_str());
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    PlayerSettings f;
    EXPECT_EQ(LoadSettingsFile(fifo, &f), 1);
    EXPECT_EQ(LoadSettingsFile(testing::TempDir(), &f), 1);
    const std::string big = TempPath("big.ini");
    std::ofstream(big) << "[display]\nscale = 2\n" << std::string(kSettingsMaxBytes, '#') << "\n";
    EXPECT_EQ(LoadSettingsFile(big, &f), 1);
    EXPECT_TRUE(SameSettings(f, PlayerSettings{}));
    std::remove(fifo.c_str());
    std::remove(big.c_str());
    std::remove(good.c_str());
}

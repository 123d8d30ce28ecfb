// What the game writes and reads for the player beside its data: the
// screenshot folder and files, and the command line's settings options.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "formats/settings_file.h"
#include "gl_fixture.h"
#include "platform/image.h"
#include "platform/render.h"
#include "platform/user_dirs.h"
#include "run_util.h"
#include "shell/command_line.h"
#include "shell/screenshot.h"

namespace {

namespace fs = std::filesystem;

// Sets an environment variable for one scope.
class Env {
public:
    Env(const char* name, const char* value) : name_(name) {
        const char* old = std::getenv(name);
        had_ = old != nullptr;
        if (had_) old_ = old;
        if (value) setenv(name, value, 1);
        else unsetenv(name);
    }
    ~Env() {
        if (had_) setenv(name_, old_.c_str(), 1);
        else unsetenv(name_);
    }

private:
    const char* name_;
    bool had_ = false;
    std::string old_;
};

void Collect(const std::string& m, void* user) { static_cast<std::vector<std::string>*>(user)->push_back(m); }

}  // namespace

// The pictures folder as xdg-user-dirs writes it: "$HOME/..." or absolute,
// the last line winning; a folder equal to home means there is none.
TEST(UserFolders, PicturesFolderFromUserDirsFile) {
    const std::string home = "/home/player";
    EXPECT_EQ(PicturesDirFromUserDirs("# written by xdg-user-dirs-update\n"
                                      "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
                                      "XDG_PICTURES_DIR=\"$HOME/Pictures\"\n",
                                      home),
              "/home/player/Pictures");
    EXPECT_EQ(PicturesDirFromUserDirs("XDG_PICTURES_DIR=\"/srv/pics/\"\n", home), "/srv/pics");
    EXPECT_EQ(PicturesDirFromUserDirs("XDG_PICTURES_DIR=\"$HOME/A\"\nXDG_PICTURES_DIR=\"$HOME/B\"\n", home),
              "/home/player/B");
    EXPECT_EQ(PicturesDirFromUserDirs("XDG_PICTURES_DIR=\"$HOME/\"\n", home), "");  // disabled
    EXPECT_EQ(PicturesDirFromUserDirs("XDG_PICTURES_DIR=\"Pictures\"\n", home), "");  // relative
    EXPECT_EQ(PicturesDirFromUserDirs("XDG_PICTURES_DIR=\"$HOMEWORK\"\n", home), "");
    EXPECT_EQ(PicturesDirFromUserDirs("XDG_PICTURES_DIR=\"$HOME/Pictures\n", home), "");  // unclosed
    EXPECT_EQ(PicturesDirFromUserDirs("", home), "");
}

TEST(UserFolders, ScreenshotsGoToThePicturesFolderElseTheDataFolder) {
    const std::string root = testing::TempDir() + "zorbat-folders-" + std::to_string(getpid());
    fs::create_directories(root + "/config");
    Env home("HOME", root.c_str());
    Env config("XDG_CONFIG_HOME", (root + "/config").c_str());
    Env data("XDG_DATA_HOME", (root + "/data").c_str());
    {
        Env pictures("XDG_PICTURES_DIR", "/srv/shots");
        EXPECT_EQ(ScreenshotFolder(), "/srv/shots/zorbat");
    }
    Env pictures("XDG_PICTURES_DIR", nullptr);
    EXPECT_EQ(ScreenshotFolder(), root + "/data/zorbat/screenshots");
    std::ofstream(root + "/config/user-dirs.dirs") << "XDG_PICTURES_DIR=\"$HOME/Bilder\"\n";
    EXPECT_EQ(ScreenshotFolder(), root + "/Bilder/zorbat");
    fs::remove_all(root);
}

// Two screenshots in one second: the second gets its own name, the first
// is never written over; each is the picture at the size it was drawn.
TEST(Screenshots, EachShotIsANewFileOfThePicture) {
    REQUIRE_GL();
    const std::string dir = testing::TempDir() + "zorbat-shots-" + std::to_string(getpid()) + "/a/b";
    fs::remove_all(dir);
    RdSetViewport(Viewport{0, 0, 800, 600, 0.0f, 1.0f});
    RdClear(0xFF2040C0u, 1.0f);
    RdCaptureNextPresent();
    RdPresent();
    const std::time_t before = std::time(nullptr);
    ASSERT_TRUE(SaveScreenshotTo(dir));
    ASSERT_TRUE(SaveScreenshotTo(dir));
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
    ASSERT_EQ(names.size(), 2u);
    const bool sameSecond = std::time(nullptr) == before;
    if (sameSecond) {
        EXPECT_NE(std::find(names.begin(), names.end(), ScreenshotName(before, 2)), names.end());
    }
    const std::string png = run_util::Slurp(dir + "/" + names[0]);
    int w = 0, h = 0;
    uint8_t* rgba = nullptr;
    ASSERT_TRUE(DecodeImage(reinterpret_cast<const uint8_t*>(png.data()), static_cast<int>(png.size()), &w,
                            &h, &rgba));
    EXPECT_EQ(w, 800);
    EXPECT_EQ(h, 600);
    EXPECT_EQ(rgba[0], 0x20);
    EXPECT_EQ(rgba[2], 0xC0);
    FreeImage(rgba);
    fs::remove_all(testing::TempDir() + "zorbat-shots-" + std::to_string(getpid()));
}

// --print-settings prints a file that reads back without a message; the
// display options are checked as they are read.
TEST(GameCommandLine, PrintSettingsAndDisplayOptions) {
    const std::string out = run_util::Shell(std::string(ZORBAT_BINARY_DIR) + "/zorbat --print-settings");
    ASSERT_EQ(out.substr(0, 2), "0|") << out;
    std::vector<std::string> messages;
    PlayerSettings s;
    s.scale = 3;
    EXPECT_EQ(ReadSettings(out.substr(2), "printed", &s, Collect, &messages), 0);
    EXPECT_TRUE(messages.empty()) << messages[0];
    EXPECT_EQ(s.scale, 1);

    const char* good[] = {"zorbat", "--scale", "2", "--window"};
    CommandLine line;
    EXPECT_EQ(ParseCommandLine(4, const_cast<char**>(good), &line), -1);
    EXPECT_EQ(line.scale, 2);
    EXPECT_EQ(line.fullscreen, 0);
    const std::string bad = run_util::Shell(std::string(ZORBAT_BINARY_DIR) + "/zorbat --scale=5");
    EXPECT_EQ(bad.substr(0, 2), "2|") << bad;
    EXPECT_NE(bad.find("--scale takes a whole number from 1 to 4, not '5'"), std::string::npos) << bad;
}

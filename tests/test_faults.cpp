// The game started in hostile conditions: it says what is wrong and exits
// cleanly instead of crashing or hanging.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

// Runs a command line with the shell, returning "exit-code|output".
std::string Shell(const std::string& cmd) {
    FILE* p = popen((cmd + " 2>&1").c_str(), "r");
    std::string out;
    char buf[256];
    while (p && fgets(buf, sizeof buf, p)) out += buf;
    const int status = p ? pclose(p) : -1;
    return std::to_string(WEXITSTATUS(status)) + "|" + out;
}

TEST(Faults, NoDisplayGivesAClearMessageAndNonZeroExit) {
    const std::string dir = testing::TempDir();
    const std::string out = Shell("cd " + dir + " && env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER "
                                  "timeout 20 " ZORBAT_BINARY_DIR "/zorbat");
    EXPECT_EQ(out.substr(0, 2), "1|") << out;
    EXPECT_NE(out.find("no display"), std::string::npos) << out;
}

}  // namespace

// Where the game looks for its data and where it keeps the hiscore file: the
// search order, the fall-back to the user's data folder when the data is
// read-only, and the program itself run with no data, or installed under a
// read-only prefix.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "formats/data_dir.h"
#include "platform/user_dirs.h"
#include "run_util.h"
#include "shell/data_places.h"

namespace fs = std::filesystem;

namespace {

constexpr uid_t kNobody = 65534;

class Places : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/zorbat-places-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        root_ = tmpl;
        fs::permissions(root_, fs::perms::all);  // another user may look in (read-only test)
        old_ = fs::current_path();
    }
    void TearDown() override {
        fs::current_path(old_);
        std::system(("chmod -R u+w '" + root_.string() + "' 2>/dev/null").c_str());
        fs::remove_all(root_);
    }
    // A folder that looks like the game's data (the two archives present).
    fs::path Data(const fs::path& dir) {
        fs::create_directories(dir / "images");
        fs::create_directories(dir / "xfiles");
        fs::create_directories(dir / "bin");
        std::ofstream(dir / "images" / "images.arx") << "x";
        std::ofstream(dir / "xfiles" / "xfiles.arx") << "x";
        return dir;
    }
    fs::path root_, old_;
};

TEST_F(Places, TheFirstPlaceHoldingBothArchivesWins) {
    const fs::path work = root_ / "work", env = root_ / "env", bin = root_ / "prefix" / "bin";
    fs::create_directories(work);
    fs::create_directories(bin);
    fs::current_path(work);
    const std::string exe = bin.string();
    const std::string installed = (root_ / "prefix" / "share" / "zorbat").string();

    // Nothing anywhere: all four places were searched, in order.
    DataSearch s = FindDataDir(env.c_str(), exe);
    EXPECT_EQ(s.dir, "");
    ASSERT_EQ(s.searched.size(), 4u);
    EXPECT_EQ(s.searched[0], (work / "data").string());
    EXPECT_NE(s.searched[1].find(env.string()), std::string::npos);
    EXPECT_EQ(s.searched[2], (bin / "data").string());
    EXPECT_EQ(s.searched[3], installed);
    EXPECT_NE(s.note.find("ZORBAT_DATA_DIR"), std::string::npos);

    Data(installed);
    EXPECT_EQ(FindDataDir(nullptr, exe).dir, installed);
    Data(bin / "data");
    EXPECT_EQ(FindDataDir(nullptr, exe).dir, (bin / "data").string());
    Data(env);
    EXPECT_EQ(FindDataDir(env.c_str(), exe).dir, env.string());
    EXPECT_EQ(FindDataDir("", exe).dir, (bin / "data").string());  // empty means unset
    // A data/ here without the image archive is not the game's data.
    Data(work / "data");
    fs::remove(work / "data" / "images" / "images.arx");
    EXPECT_EQ(FindDataDir(env.c_str(), exe).dir, env.string());
    // A folder in the archive's place is not the archive either.
    fs::create_directory(work / "data" / "images" / "images.arx");
    EXPECT_EQ(FindDataDir(env.c_str(), exe).dir, env.string());
    fs::remove(work / "data" / "images" / "images.arx");
    Data(work / "data");
    s = FindDataDir(env.c_str(), exe);
    EXPECT_EQ(s.dir, "data");  // relative, as scripted runs have always used it
    EXPECT_EQ(s.searched.size(), 1u);
}

// Runs `check` in a child process that cannot write into folders it does not
// own: as root the child becomes nobody, whose files the test hands over first.
template <typename F>
int AsOrdinaryUser(F check) {
    const pid_t pid = fork();
    if (pid == 0) {
        if (geteuid() == 0 && (setgid(kNobody) != 0 || setuid(kNobody) != 0)) _exit(90);
        _exit(check());
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 99;
}

TEST_F(Places, TheHiscoreStaysBesideWritableDataAndGoesToTheUserFolderOtherwise) {
    const fs::path data = Data(root_ / "data");
    const fs::path home = root_ / "home";
    fs::create_directories(home);
    EXPECT_EQ(ChooseHiscorePath(data.string(), home.string()), (data / "bin" / "hiscore.pxd").string());
    EXPECT_FALSE(fs::exists(home / "zorbat"));

    // The data read-only, the user's folder writable by the user.
    fs::permissions(data / "bin", fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    if (geteuid() == 0) {
        ASSERT_EQ(chown(home.c_str(), kNobody, kNobody), 0);
    }
    const std::string expect = (home / "zorbat" / "hiscore.pxd").string();
    const int rc = AsOrdinaryUser([&] {
        if (DirWritable((data / "bin").string())) return 1;
        if (ChooseHiscorePath(data.string(), home.string()) != expect) return 2;
        struct stat st;
        if (stat((home / "zorbat").c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return 3;
        if ((st.st_mode & 0777) != 0700) return 4;  // the user's own folder, private
        return 0;
    });
    EXPECT_EQ(rc, 0) << "1: read-only data seen as writable, 2: wrong path, 3: folder not made, 4: its mode";
}

TEST_F(Places, TheUsersDataFolderFallsBackToItsDefault) {
    const char* saved = std::getenv("XDG_DATA_HOME");
    const std::string keep = saved ? saved : "";
    setenv("HOME", "/home/player", 1);
    for (const char* bad : {"", "relative/share"}) {
        setenv("XDG_DATA_HOME", bad, 1);
        EXPECT_EQ(XdgDataHome(), "/home/player/.local/share") << bad;
    }
    unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(XdgDataHome(), "/home/player/.local/share");
    EXPECT_EQ(XdgConfigHome(), "/home/player/.config");
    setenv("XDG_DATA_HOME", "/srv/share", 1);
    EXPECT_EQ(XdgDataHome(), "/srv/share");
    if (saved) setenv("XDG_DATA_HOME", keep.c_str(), 1);
    else unsetenv("XDG_DATA_HOME");
}

// The program copied alone into an empty folder and started from another.
TEST_F(Places, WithNoDataTheProgramNamesThePlacesSearchedAndExitsWithOne) {
    const fs::path bin = root_ / "bin", work = root_ / "work";
    fs::create_directories(bin);
    fs::create_directories(work);
    fs::copy_file(fs::path(ZORBAT_BINARY_DIR) / "zorbat", bin / "zorbat");
    const std::string out = run_util::Shell("cd '" + work.string() + "' && env -u ZORBAT_DATA_DIR timeout 20 '" +
                                            (bin / "zorbat").string() + "'");
    EXPECT_EQ(out.substr(0, 2), "1|") << out;
    EXPECT_NE(out.find("ゲームデータが見つかりません\nThe game's data was not found. Looked in:"), std::string::npos)
        << out;
    for (const fs::path& p : {work / "data", bin / "data", root_ / "share" / "zorbat"})
        EXPECT_NE(out.find("  " + p.string() + "\n"), std::string::npos) << p << "\n" << out;
    // Told once: no message for every file that is then missing.
    EXPECT_EQ(out.find("画像"), std::string::npos) << out;
}

// An install under a read-only prefix, started by a user from an empty
// folder: the game reads the installed data, writes its default table into
// the user's data folder and nothing into the prefix.
TEST_F(Places, AnInstalledGameUnderAReadOnlyPrefixKeepsItsTableInTheUsersFolder) {
    const fs::path built = fs::path(ZORBAT_BINARY_DIR) / "data";
    ASSERT_TRUE(fs::exists(built / "images" / "images.arx")) << "the game's data is not built";
    const fs::path prefix = root_ / "prefix", home = root_ / "home", work = root_ / "work";
    fs::create_directories(prefix / "bin");
    fs::create_directories(prefix / "share");
    fs::create_directories(home);
    fs::create_directories(work);
    fs::copy_file(fs::path(ZORBAT_BINARY_DIR) / "zorbat", prefix / "bin" / "zorbat");
    fs::copy(built, prefix / "share" / "zorbat", fs::copy_options::recursive);
    fs::remove(prefix / "share" / "zorbat" / "bin" / "hiscore.pxd");
    ASSERT_EQ(std::system(("chmod -R a+rX,a-w '" + prefix.string() + "'").c_str()), 0);
    if (geteuid() == 0) {
        ASSERT_EQ(chown(home.c_str(), kNobody, kNobody), 0);
    }
    // The off-screen video driver: the user needs no access to the test's display.
    const std::string user = geteuid() == 0 ? "setpriv --reuid=65534 --regid=65534 --clear-groups " : "";
    const std::string out = run_util::Shell(
        "cd '" + work.string() + "' && env -u ZORBAT_DATA_DIR -u XDG_DATA_HOME HOME='" + home.string() +
        "' SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy " + user + "timeout -s TERM 5 '" +
        (prefix / "bin" / "zorbat").string() + "'");
    const fs::path table = home / ".local" / "share" / "zorbat" / "hiscore.pxd";
    ASSERT_TRUE(fs::exists(table)) << out;
    EXPECT_EQ(fs::file_size(table), 1872u);
    EXPECT_FALSE(fs::exists(prefix / "share" / "zorbat" / "bin" / "hiscore.pxd"));
    EXPECT_TRUE(fs::is_empty(work));
    EXPECT_EQ(out.find("が見つかりませんでした"), std::string::npos) << out;
}

}  // namespace

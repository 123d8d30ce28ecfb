#include "shell/data_places.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "core/manifest.h"
#include "formats/data_dir.h"
#include "platform/messages.h"
#include "platform/user_dirs.h"

#ifndef ZORBAT_DATA_FROM_BIN
#define ZORBAT_DATA_FROM_BIN "../share/zorbat"
#endif

namespace {

bool IsRegularFile(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string Normal(const std::string& path) {
    return std::filesystem::path(path).lexically_normal().string();
}

std::string WorkingDir() {
    char buf[4096];
    return getcwd(buf, sizeof buf) ? buf : ".";
}

}  // namespace

bool HoldsGameArchives(const std::string& dir) {
    return IsRegularFile(dir + "/" + kImageArchive) && IsRegularFile(dir + "/" + kMeshArchive);
}

DataSearch FindDataDir(const char* envDir, const std::string& exeDir) {
    DataSearch s;
    // The working directory's data/ stays a relative path, as it always was.
    struct Place {
        std::string path;  // as used
        std::string shown; // as told to the player
    };
    std::vector<Place> places;
    places.push_back({"data", Normal(WorkingDir() + "/data")});
    if (envDir && *envDir) places.push_back({envDir, std::string(envDir) + " (ZORBAT_DATA_DIR)"});
    if (!exeDir.empty()) {
        places.push_back({Normal(exeDir + "/data"), Normal(exeDir + "/data")});
        const std::string installed = Normal(exeDir + "/" + ZORBAT_DATA_FROM_BIN);
        places.push_back({installed, installed});
    }
    for (const Place& p : places) {
        s.searched.push_back(p.shown);
        if (HoldsGameArchives(p.path)) {
            s.dir = p.path;
            break;
        }
        if (envDir && *envDir && p.path == envDir)
            s.note = std::string("ZORBAT_DATA_DIR=") + envDir + " holds no game data (" + kImageArchive +
                     ", " + kMeshArchive + "); looking further";
    }
    return s;
}

std::string ChooseHiscorePath(const std::string& dataDir, const std::string& dataHome) {
    if (DirWritable(dataDir + "/bin")) return dataDir + "/bin/hiscore.pxd";
    if (dataHome.empty()) return "";
    const std::string dir = dataHome + "/zorbat";
    MakeUserDirs(dir);  // when it cannot be made, the save says so
    return dir + "/hiscore.pxd";
}

std::string DataPlacesHelp() {
    return "  data/ in the working directory\n"
           "  $ZORBAT_DATA_DIR\n"
           "  data/ beside the zorbat program\n"
           "  " ZORBAT_DATA_FROM_BIN " from the zorbat program's folder (the installed data)\n";
}

bool SetUpDataPlaces() {
    const DataSearch s = FindDataDir(std::getenv("ZORBAT_DATA_DIR"), ExecutableDir());
    if (!s.note.empty()) std::fprintf(stderr, "zorbat: %s\n", s.note.c_str());
    if (s.dir.empty()) {
        std::string places;
        for (const std::string& p : s.searched) places += "  " + p + "\n";
        places.pop_back();
        ShowFatal(MsgNoData, places.c_str());
        return false;
    }
    SetDataDir(s.dir);
    SetHiscorePath(ChooseHiscorePath(s.dir, XdgDataHome()));
    return true;
}

#include "formats/data_dir.h"

namespace {

std::string g_dataDir = "data";
std::string g_besideData = "data/bin/hiscore.pxd";
std::string g_hiscorePath;  // empty: beside the data

}  // namespace

void SetDataDir(const std::string& dir) {
    g_dataDir = dir;
    while (g_dataDir.size() > 1 && g_dataDir.back() == '/') g_dataDir.pop_back();
    if (g_dataDir.empty()) g_dataDir = ".";
    g_besideData = DataFile("bin/hiscore.pxd");
}

const std::string& DataDir() { return g_dataDir; }

std::string DataFile(const std::string& rel) { return g_dataDir + "/" + rel; }

void SetHiscorePath(const std::string& path) { g_hiscorePath = path; }

const char* HiscorePath() { return (g_hiscorePath.empty() ? g_besideData : g_hiscorePath).c_str(); }

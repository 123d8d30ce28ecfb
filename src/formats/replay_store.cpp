#include "formats/replay_store.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "formats/replay_file.h"
#include "platform/user_dirs.h"

namespace {

std::string g_folder;
int g_kept = kDefaultReplaysKept;
// The replay stored last, until it goes with a hiscore entry.
std::string g_last;
int g_lastStage = 0;
int g_lastEnd = -1;

const char* const kHiscoreFolder = "hiscore";
const char* const kSuffix = ".replay";

// What a replay's file name says: stage, when (the stamp and the number that
// tells apart two in the same second), how it ended, and for one kept with
// the hiscore table the entry's score and name.
struct ReplayName {
    int stage = 0;
    std::string stamp;  // YYYYMMDD-HHMMSS
    int serial = 1;
    std::string end;
    int score = -1;
    std::string player;
};

bool Digits(const std::string& s, size_t at, size_t n) {
    if (at + n > s.size()) return false;
    for (size_t i = at; i < at + n; ++i)
        if (s[i] < '0' || s[i] > '9') return false;
    return true;
}

std::vector<std::string> Split(const std::string& s) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t dash; (dash = s.find('-', start)) != std::string::npos; start = dash + 1)
        parts.push_back(s.substr(start, dash - start));
    parts.push_back(s.substr(start));
    return parts;
}

bool SmallNumber(const std::string& s, int* out) {
    if (s.empty() || s.size() > 9 || !Digits(s, 0, s.size()) || (s.size() > 1 && s[0] == '0')) return false;
    *out = std::stoi(s);
    return true;
}

bool ParseName(const std::string& file, bool kept, ReplayName* out) {
    const size_t n = std::strlen(kSuffix);
    if (file.size() <= n || file.compare(file.size() - n, n, kSuffix) != 0) return false;
    std::vector<std::string> p = Split(file.substr(0, file.size() - n));
    // stage2 20261209 153012 [serial] end [score name]
    if (p.size() < 4 || p[0].size() != 6 || p[0].compare(0, 5, "stage") != 0 || p[0][5] < '1' || p[0][5] > '3')
        return false;
    if (p[1].size() != 8 || !Digits(p[1], 0, 8) || p[2].size() != 6 || !Digits(p[2], 0, 6)) return false;
    out->stage = p[0][5] - '0';
    out->stamp = p[1] + "-" + p[2];
    size_t i = 3;
    out->serial = 1;
    if (SmallNumber(p[i], &out->serial)) {
        if (out->serial < 2) return false;
        ++i;
    }
    if (i >= p.size()) return false;
    out->end = p[i++];
    if (out->end != "clear" && out->end != "gameover" && out->end != "timeout" && out->end != "quit") return false;
    if (!kept) return i == p.size();
    if (out->end != "clear" || i + 2 != p.size() || !SmallNumber(p[i], &out->score)) return false;
    out->player = p[i + 1];
    if (out->player.empty() || out->player.size() > 3) return false;
    for (char c : out->player)
        if (c < 'A' || c > 'Z') return false;
    return true;
}

std::string OrdinaryName(const ReplayName& r) {
    std::string s = "stage" + std::to_string(r.stage) + "-" + r.stamp;
    if (r.serial > 1) s += "-" + std::to_string(r.serial);
    return s + "-" + r.end + kSuffix;
}

// A hiscore name as a file name shows it: its letters A to Z, at most three.
std::string PlayerLetters(const char* name) {
    std::string s;
    for (int i = 0; i < 3 && name[i] != '\0'; ++i)
        if (name[i] >= 'A' && name[i] <= 'Z') s += name[i];
    return s.empty() ? "X" : s;
}

struct Found {
    std::string file;
    ReplayName name;
};

// The replays of a folder, newest first; only regular files, never what a link points at.
std::vector<Found> List(const std::string& dir, bool kept) {
    std::vector<Found> found;
    DIR* d = opendir(dir.c_str());
    if (!d) return found;
    while (const dirent* e = readdir(d)) {
        Found f;
        f.file = e->d_name;
        struct stat st;
        if (!ParseName(f.file, kept, &f.name)) continue;
        if (fstatat(dirfd(d), e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode)) continue;
        found.push_back(f);
    }
    closedir(d);
    std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) {
        if (a.name.stamp != b.name.stamp) return a.name.stamp > b.name.stamp;
        if (a.name.serial != b.name.serial) return a.name.serial > b.name.serial;
        return a.file > b.file;
    });
    return found;
}

// Moves a file to a name not yet taken; false (nothing moved) when it is taken.
bool MoveNew(const std::string& from, const std::string& to) {
    if (link(from.c_str(), to.c_str()) != 0) return false;
    unlink(from.c_str());
    return true;
}

}  // namespace

void SetReplayFolder(const std::string& dir) {
    g_folder = dir;
    g_last.clear();
}
const std::string& ReplayFolder() { return g_folder; }
void SetReplaysKept(int count) { g_kept = count < 0 ? 0 : count; }
int ReplaysKept() { return g_kept; }

bool StoreReplay(const std::string& text, int stage, int end, std::time_t when, std::string* path,
                 std::string* error) {
    if (g_folder.empty()) {
        *error = "no folder for replays";
        return false;
    }
    if (!MakeUserDirs(g_folder)) {
        *error = "the folder cannot be made";
        return false;
    }
    char stamp[32];
    std::tm local{};
    localtime_r(&when, &local);
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    const std::string temp = g_folder + "/.stage" + std::to_string(stage) + "-" + stamp + ".part";
    if (!WriteReplayFile(temp.c_str(), text, error)) return false;
    for (int serial = 1; serial < 100; ++serial) {
        ReplayName r;
        r.stage = stage;
        r.stamp = stamp;
        r.serial = serial;
        r.end = ReplayEndName(end);
        const std::string target = g_folder + "/" + OrdinaryName(r);
        if (MoveNew(temp, target)) {
            *path = target;
            g_last = target;
            g_lastStage = stage;
            g_lastEnd = end;
            return true;
        }
        if (errno != EEXIST) break;
    }
    *error = std::strerror(errno);
    unlink(temp.c_str());
    return false;
}

void KeepReplayWithHiscore(int stage, const char* name, int score) {
    if (g_folder.empty() || g_last.empty() || g_lastStage != stage || g_lastEnd != ReplayClear) return;
    const std::string file = g_last.substr(g_last.rfind('/') + 1);
    g_last.clear();
    ReplayName r;
    if (!ParseName(file, false, &r) || score < 0) return;
    const std::string dir = g_folder + "/" + kHiscoreFolder;
    if (!MakeUserDirs(dir)) return;
    const std::string kept = file.substr(0, file.size() - std::strlen(kSuffix)) + "-" + std::to_string(score) +
                             "-" + PlayerLetters(name) + kSuffix;
    MoveNew(g_folder + "/" + file, dir + "/" + kept);
}

void PruneReplays(const HiscoreEntry* table) {
    if (g_folder.empty()) return;
    // The table's entries, each able to hold one replay (the newest of its kind).
    std::vector<std::string> entries;
    for (int i = 0; i < kHiscoreEntries; ++i)
        entries.push_back(std::to_string(i / kHiscorePerStage + 1) + " " + std::to_string(table[i].score) + " " +
                          PlayerLetters(table[i].name));
    const std::string keptDir = g_folder + "/" + kHiscoreFolder;
    for (const Found& f : List(keptDir, true)) {
        const std::string key =
            std::to_string(f.name.stage) + " " + std::to_string(f.name.score) + " " + f.name.player;
        const auto at = std::find(entries.begin(), entries.end(), key);
        if (at != entries.end()) {
            entries.erase(at);
            continue;
        }
        MoveNew(keptDir + "/" + f.file, g_folder + "/" + OrdinaryName(f.name));
    }
    const std::vector<Found> ordinary = List(g_folder, false);
    for (size_t i = size_t(g_kept); i < ordinary.size(); ++i) {
        const std::string path = g_folder + "/" + ordinary[i].file;
        if (path == g_last) g_last.clear();
        unlink(path.c_str());
    }
}

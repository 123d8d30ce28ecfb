#include "platform/user_dirs.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace {

// The value of an XDG variable when it is usable: set, not empty, absolute.
std::string AbsoluteEnv(const char* name) {
    const char* v = std::getenv(name);
    if (v == nullptr || v[0] != '/') return "";
    return v;
}

std::string UnderHome(const char* rel) {
    const std::string home = HomeDir();
    return home.empty() ? "" : home + "/" + rel;
}

}  // namespace

std::string HomeDir() {
    const char* home = std::getenv("HOME");
    if (home != nullptr && home[0] == '/') return home;
    const passwd* pw = getpwuid(getuid());
    if (pw != nullptr && pw->pw_dir != nullptr && pw->pw_dir[0] == '/') return pw->pw_dir;
    return "";
}

std::string XdgDataHome() {
    const std::string v = AbsoluteEnv("XDG_DATA_HOME");
    return v.empty() ? UnderHome(".local/share") : v;
}

std::string XdgConfigHome() {
    const std::string v = AbsoluteEnv("XDG_CONFIG_HOME");
    return v.empty() ? UnderHome(".config") : v;
}

std::string PicturesDirFromUserDirs(const std::string& text, const std::string& home) {
    // Lines of the form XDG_PICTURES_DIR="$HOME/Pictures" or ="/absolute";
    // the last one counts, as the shell that sources the file would have it.
    std::string found;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(at, end - at);
        at = end + 1;
        const std::string key = "XDG_PICTURES_DIR=\"";
        const size_t k = line.find_first_not_of(" \t");
        if (k == std::string::npos || line.compare(k, key.size(), key) != 0) continue;
        const size_t from = k + key.size();
        const size_t close = line.find('"', from);
        if (close == std::string::npos) continue;
        std::string value = line.substr(from, close - from);
        if (value.compare(0, 5, "$HOME") == 0 && (value.size() == 5 || value[5] == '/')) {
            if (home.empty()) continue;
            value = home + value.substr(5);
        } else if (value.empty() || value[0] != '/') {
            continue;
        }
        found = value;
    }
    while (found.size() > 1 && found.back() == '/') found.pop_back();
    if (found == home) return "";
    return found;
}

std::string XdgPicturesDir() {
    const std::string home = HomeDir();
    std::string dir = AbsoluteEnv("XDG_PICTURES_DIR");
    if (dir.empty()) {
        const std::string config = XdgConfigHome();
        std::string text;
        if (!config.empty()) {
            // A small file of the user's own; a FIFO in its place is not waited on.
            const int fd = open((config + "/user-dirs.dirs").c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
            struct stat st;
            if (fd >= 0 && fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size < 65536) {
                char buf[4096];
                ssize_t n;
                while ((n = read(fd, buf, sizeof buf)) > 0) text.append(buf, size_t(n));
            }
            if (fd >= 0) close(fd);
        }
        return PicturesDirFromUserDirs(text, home);
    }
    while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
    return dir == home ? "" : dir;
}

std::string ExecutableDir() {
    char buf[4096];
    const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0 || n >= ssize_t(sizeof buf - 1)) return "";
    std::string path(buf, size_t(n));
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return "";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool MakeUserDirs(const std::string& path) {
    if (path.empty()) return false;
    struct stat st;
    if (stat(path.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
    const size_t slash = path.find_last_of('/');
    if (slash != std::string::npos && slash > 0 && !MakeUserDirs(path.substr(0, slash))) return false;
    if (mkdir(path.c_str(), 0700) == 0 || errno == EEXIST)
        return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    return false;
}

bool DirWritable(const std::string& path) {
    struct stat st;
    if (path.empty() || stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
    return access(path.c_str(), W_OK | X_OK) == 0;
}

#include "platform/user_dirs.h"

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

#include "graphics/mesh_texture.h"

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

namespace {

bool IsFile(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

std::string FindMeshTexture(const char* dir, const char* name) {
    std::string base = dir ? dir : "";
    std::string rel = name ? name : "";
    for (char& c : rel)
        if (c == '\\') c = '/';
    if (rel.empty()) return "";
    if (IsFile(base + rel)) return base + rel;
    std::string leaf = rel.substr(rel.find_last_of('/') + 1);
    if (leaf.empty()) return "";
    if (leaf != rel && IsFile(base + leaf)) return base + leaf;
    DIR* d = opendir(base.empty() ? "." : base.c_str());
    if (!d) return "";
    // Of several names differing only in case, the first in byte order, so
    // the choice does not depend on the directory's order.
    std::string found;
    while (dirent* e = readdir(d)) {
        std::string n = e->d_name;
        if (strcasecmp(n.c_str(), leaf.c_str()) == 0 && IsFile(base + n) &&
            (found.empty() || n < found))
            found = n;
    }
    closedir(d);
    return found.empty() ? "" : base + found;
}

// mkicons: the game's icon (the window's flying saucer) as PNG files in the
// desktop's icon theme layout.
//   mkicons OUT_DIR SIZE...   writes OUT_DIR/SIZExSIZE/apps/zorbat.png
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/icon_picture.h"
#include "platform/png_writer.h"

namespace {

bool MakeDir(const std::string& path) { return mkdir(path.c_str(), 0755) == 0 || errno == EEXIST; }

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: mkicons OUT_DIR SIZE...\n");
        return 2;
    }
    const std::string out = argv[1];
    for (int i = 2; i < argc; ++i) {
        const int size = std::atoi(argv[i]);
        if (size < 8 || size > 1024) {
            std::fprintf(stderr, "mkicons: %s is not an icon size (8 to 1024)\n", argv[i]);
            return 2;
        }
        std::vector<uint32_t> argb(size_t(size) * size);
        DrawIconPicture(size, argb.data());
        std::vector<uint8_t> rgba(argb.size() * 4);
        for (size_t p = 0; p < argb.size(); ++p) {
            rgba[4 * p + 0] = uint8_t(argb[p] >> 16);
            rgba[4 * p + 1] = uint8_t(argb[p] >> 8);
            rgba[4 * p + 2] = uint8_t(argb[p]);
            rgba[4 * p + 3] = uint8_t(argb[p] >> 24);
        }
        const std::string dir = out + "/" + std::to_string(size) + "x" + std::to_string(size);
        const std::string file = dir + "/apps/zorbat.png";
        if (!MakeDir(out) || !MakeDir(dir) || !MakeDir(dir + "/apps") ||
            !WritePng(file.c_str(), size, size, rgba.data())) {
            std::fprintf(stderr, "mkicons: cannot write %s\n", file.c_str());
            return 1;
        }
    }
    return 0;
}

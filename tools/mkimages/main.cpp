// mkimages: draws every picture of the game and a contact sheet of them.
//
//   mkimages FONT ARCHIVE_DIR MESH_DIR MAP_DIR SHEET.png
//
// Archive pictures go to ARCHIVE_DIR (to be packed), mesh skins to MESH_DIR,
// floor and building skins to MAP_DIR. The output is the same on every run.
#include <cstdio>
#include <string>
#include <vector>

#include "pictures.h"
#include "text.h"

#define STBIW_WINDOWS_UTF8
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wsign-compare"
#include "stb_image_write.h"
#pragma GCC diagnostic pop

namespace img {
void BuildContactSheet(const std::vector<Picture>& pics, Image& sheet);

static bool WritePicture(const std::string& path, const Image& img, Rgba hidden) {
    std::vector<uint8_t> px = ToRgba8(img, hidden);
    if (path.size() > 4 && path.compare(path.size() - 4, 4, ".bmp") == 0) {
        std::vector<uint8_t> rgb;
        for (size_t i = 0; i < px.size(); i += 4) rgb.insert(rgb.end(), {px[i], px[i + 1], px[i + 2]});
        return stbi_write_bmp(path.c_str(), img.w, img.h, 3, rgb.data()) != 0;
    }
    return stbi_write_png(path.c_str(), img.w, img.h, 4, px.data(), img.w * 4) != 0;
}
}  // namespace img

using namespace img;

int main(int argc, char** argv) {
    if (argc != 6) {
        std::fprintf(stderr, "usage: mkimages FONT ARCHIVE_DIR MESH_DIR MAP_DIR SHEET.png\n");
        return 2;
    }
    if (!LoadFont(argv[1])) {
        std::fprintf(stderr, "mkimages: cannot read the font %s\n", argv[1]);
        return 1;
    }
    std::vector<Picture> pics;
    AddMenuPictures(pics);
    AddHudPictures(pics);
    AddEffectPictures(pics);
    AddModelTextures(pics);

    int written = 0;
    for (const Picture& p : pics) {
        const char* dir = p.dest == Dest::Archive ? argv[2] : p.dest == Dest::Meshes ? argv[3] : argv[4];
        std::string path = std::string(dir) + "/" + p.name;
        if (!WritePicture(path, p.img, p.hidden)) {
            std::fprintf(stderr, "mkimages: cannot write %s\n", path.c_str());
            return 1;
        }
        ++written;
    }
    Image sheet;
    BuildContactSheet(pics, sheet);
    if (!WritePicture(argv[5], sheet, Rgba{0, 0, 0, 0})) {
        std::fprintf(stderr, "mkimages: cannot write %s\n", argv[5]);
        return 1;
    }
    std::printf("mkimages: %d pictures and the contact sheet %s (%d x %d)\n", written, argv[5], sheet.w, sheet.h);
    return 0;
}

// Every picture the build makes, grouped by where it goes.
#pragma once
#include <string>
#include <vector>

#include "raster.h"

namespace img {
enum class Dest {
    Archive,   // packed into data/images/images.arx
    Meshes,    // data/xfiles/, named by the archive meshes
    Maps,      // data/xfiles/maps/, named by the floor and buildings meshes
};

struct Picture {
    std::string name;
    Dest dest;
    Image img;
    Rgba hidden;  // colour stored under fully transparent texels
};

void AddMenuPictures(std::vector<Picture>& out);    // titles, menus, result and hiscore words
void AddHudPictures(std::vector<Picture>& out);     // glyph strips, gauges, countdown, cursor, logo
void AddEffectPictures(std::vector<Picture>& out);  // impact textures and the charge glow
void AddModelTextures(std::vector<Picture>& out);   // skins of the meshes and the stage floors

// Shared text styles of the game's look.
struct TextStyle;
TextStyle BannerStyle();  // large gold words
TextStyle MenuStyle();    // menu items and labels
TextStyle SmallStyle();   // HUD-sized words
}  // namespace img

// Skins of the meshes: the two shots drawn from their texture alone, the
// building, and per stage the ground inside the stage, the fields beyond and
// the ramp that shades the ring of hills. Ground textures repeat (the floors
// tile them); they stay soft, since the far ground is seen at grazing angles.
#include <algorithm>
#include <cmath>

#include "pictures.h"

namespace img {
namespace {
float Smooth(float e0, float e1, float x) {
    float t = std::clamp((x - e0) / (e1 - e0), 0.0f, 1.0f);
    return t * t * (3 - 2 * t);
}

Rgba Scale(Rgba c, float s) { return {c.r * s, c.g * s, c.b * s, c.a}; }

Picture Solid(const char* name, Dest dest, int w, int h) {
    Picture p{name, dest, Image(w, h), Col(0, 0, 0, 0)};
    return p;
}

// Periodic noise over a tile of `cells` cells.
float TileNoise(int x, int y, int size, int cells, uint32_t seed, int octaves = 4) {
    return Fbm(float(x) * cells / size, float(y) * cells / size, seed, octaves, cells);
}

// Distance (in texels) to the nearest line of a grid with the given spacing.
float GridDistance(int x, int y, float spacing, float offset = 0) {
    float fx = std::fmod(x + 0.5f - offset + spacing * 100, spacing), fy = std::fmod(y + 0.5f - offset + spacing * 100, spacing);
    return std::min(std::min(fx, spacing - fx), std::min(fy, spacing - fy));
}

Picture BeamSkin() {
    // Along v from the tail (v = 0) to the tip: cyan into white.
    Picture p = Solid("shot_beam.png", Dest::Meshes, 16, 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 16; ++x) p.img.Over(x, y, Mix(Col(60, 190, 255), Col(235, 255, 255), Smooth(0.1f, 0.9f, y / 63.0f)), 1);
    return p;
}

Picture RaySkin() {
    // Pulses of white travelling along a magenta ray.
    Picture p = Solid("shot_lay.png", Dest::Meshes, 16, 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 16; ++x) {
            float pulse = 0.5f + 0.5f * std::cos(y / 64.0f * 6.2831853f * 6);
            p.img.Over(x, y, Mix(Col(255, 70, 210), Col(255, 235, 255), pulse * 0.7f), 1);
        }
    return p;
}

Picture BuildingWall() {
    // 128 x 128 = 8 x 8 units: two storeys of two windows each.
    Picture p = Solid("building_wall.png", Dest::Maps, 128, 128);
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 128; ++x) {
            int cx = x % 64, cy = y % 64;
            float n = TileNoise(x, y, 128, 8, 5);
            Rgba wall = Scale(Col(214, 208, 198), 0.9f + 0.16f * n);
            bool window = cx >= 9 && cx < 55 && cy >= 14 && cy < 48;
            bool frame = cx >= 7 && cx < 57 && cy >= 12 && cy < 50;
            bool band = cy >= 58;
            Rgba c = wall;
            if (band) c = Col(150, 156, 170);
            if (frame) c = Col(96, 100, 112);
            if (window) {
                float sky = 1 - (cy - 14) / 34.0f;
                c = Mix(Col(40, 62, 104), Col(150, 196, 236), sky * 0.55f + 0.15f * n);
                if ((cx - 9 + (cy - 14)) % 23 < 3) c = Mix(c, Col(230, 244, 255), 0.45f);  // a glint
                if (cx == 32 || cx == 31) c = Col(96, 100, 112);                           // mullion
            }
            p.img.Over(x, y, c, 1);
        }
    return p;
}

Picture BuildingRoof() {
    Picture p = Solid("building_roof.png", Dest::Maps, 128, 128);
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 128; ++x) {
            float n = TileNoise(x, y, 128, 16, 9);
            Rgba c = Scale(Col(150, 152, 158), 0.85f + 0.2f * n);
            int edge = std::min(std::min(x, y), std::min(127 - x, 127 - y));
            if (edge < 5) c = Col(188, 186, 180);
            else if (edge < 7) c = Col(96, 98, 106);
            if (GridDistance(x, y, 32) < 0.8f && edge >= 7) c = Scale(c, 0.82f);
            p.img.Over(x, y, c, 1);
        }
    return p;
}

// --- Stage 1: a green town ----------------------------------------------------
Picture Ground1() {
    // 256 x 256 = 36 x 36 units: grass with a road along the top and the left
    // edge (6 units wide), so the floor is laid out in blocks of 30 x 30.
    Picture p = Solid("floor1_ground.png", Dest::Maps, 256, 256);
    // Texels 0..42 hold the road (kerbs at both sides), with a pavement on
    // both sides of it: 43..50 and, across the repeat, 248..255.
    const int road = 43;
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            float n = TileNoise(x, y, 256, 8, 21), fine = TileNoise(x, y, 256, 32, 22, 2);
            Rgba c = Scale(Mix(Col(88, 150, 64), Col(120, 172, 80), n), 0.9f + 0.12f * fine);
            bool onRoadX = x < road, onRoadY = y < road;
            auto pavement = [&](int d) { return (d >= road && d < road + 8) || d >= 248; };
            if (onRoadX || onRoadY) {
                c = Scale(Col(92, 96, 104), 0.92f + 0.12f * fine);
                bool kerb = (onRoadX && (x < 3 || x >= road - 3) && !onRoadY) ||
                            (onRoadY && (y < 3 || y >= road - 3) && !onRoadX);
                if (kerb) c = Col(200, 200, 196);
                bool dashX = onRoadX && !onRoadY && std::abs(x - road / 2) <= 1 && (y / 16) % 2 == 0;
                bool dashY = onRoadY && !onRoadX && std::abs(y - road / 2) <= 1 && (x / 16) % 2 == 0;
                if (dashX || dashY) c = Col(236, 232, 210);
            } else if (pavement(x) || pavement(y)) {
                c = Scale(Col(172, 170, 160), 0.95f + 0.08f * fine);
            }
            p.img.Over(x, y, c, 1);
        }
    return p;
}

Picture Field1() {
    Picture p = Solid("floor1_field.png", Dest::Maps, 256, 256);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            float n = TileNoise(x, y, 256, 4, 31, 3);
            p.img.Over(x, y, Mix(Col(84, 142, 62), Col(132, 176, 84), Smooth(0.3f, 0.7f, n)), 1);
        }
    return p;
}

// A hill ramp: u = how much the face turns to the light, v = height (top row high).
template <class ColourAt>
Picture Ramp(const char* name, Rgba haze, float hazeAmount, ColourAt colourAt) {
    Picture p = Solid(name, Dest::Maps, 64, 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            float light = (x + 0.5f) / 64, height = 1 - (y + 0.5f) / 64;
            Rgba c = Scale(colourAt(height), 0.45f + 0.75f * light);
            p.img.Over(x, y, Mix(c, haze, hazeAmount), 1);
        }
    return p;
}

// --- Stage 2: a desert base at sunset -------------------------------------------
Picture Ground2() {
    // Concrete slabs 18 units square with drifts of sand across them.
    Picture p = Solid("floor2_ground.png", Dest::Maps, 256, 256);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            float n = TileNoise(x, y, 256, 6, 41), fine = TileNoise(x, y, 256, 32, 42, 2);
            Rgba slab = Scale(Col(196, 178, 148), 0.9f + 0.12f * fine);
            if (GridDistance(x, y, 128, 0) < 1.5f) slab = Col(120, 104, 86);
            Rgba sand = Scale(Col(222, 184, 126), 0.92f + 0.1f * fine);
            Rgba c = Mix(slab, sand, Smooth(0.45f, 0.7f, n));
            // A painted line across the slabs.
            if (std::abs(y - 64) <= 2 && Smooth(0.45f, 0.7f, n) < 0.5f) c = Col(236, 196, 64);
            p.img.Over(x, y, c, 1);
        }
    return p;
}

Picture Field2() {
    Picture p = Solid("floor2_field.png", Dest::Maps, 256, 256);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            float n = TileNoise(x, y, 256, 4, 51, 3);
            float ripple = 0.5f + 0.5f * std::sin((y + 24 * n) / 256.0f * 6.2831853f * 6);
            Rgba c = Mix(Col(206, 160, 104), Col(232, 196, 136), 0.6f * n + 0.4f * ripple);
            p.img.Over(x, y, c, 1);
        }
    return p;
}

// --- Stage 3: a fortress at night --------------------------------------------
Picture Ground3() {
    // Dark metal plates 9 units square, seams, and glowing lines every 36 units.
    Picture p = Solid("floor3_ground.png", Dest::Maps, 256, 256);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            float fine = TileNoise(x, y, 256, 32, 61, 2), n = TileNoise(x, y, 256, 4, 62, 3);
            Rgba c = Scale(Col(44, 48, 68), 0.85f + 0.2f * fine + 0.1f * n);
            float seam = GridDistance(x, y, 64);
            if (seam < 1.2f) c = Col(22, 24, 36);
            float line = GridDistance(x, y, 256, 0);
            float glow = std::exp(-line * line / 18.0f);
            c = Mix(c, Col(70, 210, 255), glow * 0.9f);
            if (line < 1.5f) c = Col(200, 250, 255);
            int rx = x % 64, ry = y % 64;
            if ((rx == 6 || rx == 57) && (ry == 6 || ry == 57)) c = Col(110, 116, 140);
            p.img.Over(x, y, c, 1);
        }
    return p;
}

Picture Field3() {
    Picture p = Solid("floor3_field.png", Dest::Maps, 256, 256);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            float n = TileNoise(x, y, 256, 4, 71, 3);
            Rgba c = Mix(Col(20, 22, 38), Col(38, 40, 64), n);
            float line = GridDistance(x, y, 128);
            c = Mix(c, Col(50, 120, 170), std::exp(-line * line / 6.0f) * 0.5f);
            p.img.Over(x, y, c, 1);
        }
    return p;
}
}  // namespace

void AddModelTextures(std::vector<Picture>& out) {
    out.push_back(BeamSkin());
    out.push_back(RaySkin());
    out.push_back(BuildingWall());
    out.push_back(BuildingRoof());
    out.push_back(Ground1());
    out.push_back(Field1());
    out.push_back(Ramp("floor1_hills.png", Col(150, 200, 240), 0.3f, [](float h) {
        return h < 0.55f ? Mix(Col(70, 128, 58), Col(104, 140, 78), h / 0.55f)
                         : Mix(Col(104, 140, 78), Col(156, 152, 138), (h - 0.55f) / 0.45f);
    }));
    out.push_back(Ground2());
    out.push_back(Field2());
    out.push_back(Ramp("floor2_hills.png", Col(240, 170, 120), 0.28f, [](float h) {
        float strata = 0.5f + 0.5f * std::sin(h * 40);
        return Mix(Mix(Col(204, 150, 96), Col(172, 86, 56), h), Col(150, 70, 50), strata * 0.3f);
    }));
    out.push_back(Ground3());
    out.push_back(Field3());
    out.push_back(Ramp("floor3_hills.png", Col(18, 22, 46), 0.25f, [](float h) {
        if (h > 0.93f) return Col(90, 230, 255);
        Rgba c = Mix(Col(26, 28, 50), Col(50, 56, 88), h);
        if (std::fmod(h * 30, 1.0f) < 0.12f) c = Mix(c, Col(250, 210, 120), 0.5f);  // lit storeys
        return c;
    }));
}

}  // namespace img

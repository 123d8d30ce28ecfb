// The generated pictures: every name the game looks up is in the images
// archive, at the texel size its draw calls assume, with its cells where the
// screens cut them out. The art itself is not tested.
#include <gtest/gtest.h>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <string>

#include "content_test_util.h"
#include "core/manifest.h"
#include "formats/archive.h"

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wsign-compare"
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#include "stb_image.h"
#pragma GCC diagnostic pop

namespace {

struct Picture {
    int w = 0, h = 0;
    std::vector<uint8_t> rgba;
    int Alpha(int x, int y) const { return rgba[(size_t(y) * w + x) * 4 + 3]; }
    // Texels with any coverage inside a rectangle.
    int Ink(int x0, int y0, int x1, int y1) const {
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) n += Alpha(x, y) > 0;
        return n;
    }
};

// Decodes an entry of the images archive (the game's own reader finds it).
bool LoadPicture(const char* name, Picture* out) {
    uint8_t* data = nullptr;
    uint32_t size = 0;
    if (!ReadArchiveEntry(DataPath("data/images/images.arx").c_str(), name, &data, &size)) return false;
    int comp = 0;
    stbi_uc* px = stbi_load_from_memory(data, int(size), &out->w, &out->h, &comp, 4);
    delete[] data;
    if (!px) return false;
    out->rgba.assign(px, px + size_t(out->w) * out->h * 4);
    stbi_image_free(px);
    return true;
}

// Texel sizes the screens pass to their draw calls with each picture.
const std::map<std::string, std::pair<int, int>>& DrawnSizes() {
    static const std::map<std::string, std::pair<int, int>> sizes = {
        {"cursor.png", {64, 64}},         {"logo.png", {1024, 128}},         {"black.bmp", {1, 1}},
        {"PushSpaceKey.png", {256, 64}},  {"Stage.png", {128, 64}},          {"Number.png", {512, 64}},
        {"Pause.png", {256, 128}},        {"NowLoading.png", {256, 64}},     {"Return Game.png", {256, 64}},
        {"Quit Game.png", {256, 64}},     {"miniNumber.png", {256, 32}},     {"Time.png", {128, 32}},
        {"time_state.png", {256, 32}},    {"lifegauge.png", {512, 32}},      {"Result.png", {256, 128}},
        {"Life_re.png", {128, 64}},       {"light.png", {64, 64}},           {"Time_re.png", {256, 64}},
        {"Total.png", {128, 64}},         {"- Score -.png", {256, 64}},      {"Game.png", {256, 128}},
        {"Over.png", {256, 128}},         {"Stage Clear.png", {512, 128}},   {"Start.png", {128, 64}},
        {"Hiscore.png", {256, 64}},       {"Exit.png", {128, 64}},           {"arrow.png", {32, 16}},
        {"Hiscore_b.png", {512, 128}},    {"Time Out.png", {512, 128}},      {"rank.png", {64, 256}},
        {"Hiscore Record !.png", {512, 64}}, {"alphabet.png", {512, 512}},   {"Start !.png", {512, 128}},
        {"countnum.png", {256, 128}},     {"dreg_1.png", {16, 64}},          {"burn.png", {64, 64}},
        {"cannon_dreg.png", {64, 64}},
    };
    return sizes;
}

class ContentPictures : public ::testing::Test {
protected:
    void SetUp() override { REQUIRE_DATA_FILE("data/images/images.arx"); }
    Picture Get(const char* name) {
        Picture p;
        EXPECT_TRUE(LoadPicture(name, &p)) << name << " missing from images.arx or not decodable";
        return p;
    }
};

TEST_F(ContentPictures, EveryPictureTheGameLoadsIsPackedAtItsDrawnSize) {
    // Every slot of the loading scene's manifest, plus the shots' effect textures.
    std::vector<std::string> names(kTextureFiles, kTextureFiles + kManifestTextureCount);
    names.insert(names.end(), {"dreg_1.png", "burn.png", "cannon_dreg.png"});
    EXPECT_EQ(names.size(), DrawnSizes().size());
    for (const std::string& name : names) {
        auto it = DrawnSizes().find(name);
        ASSERT_NE(it, DrawnSizes().end()) << name << " has no drawn size on record";
        Picture p;
        ASSERT_TRUE(LoadPicture(name.c_str(), &p)) << name;
        EXPECT_EQ(p.w, it->second.first) << name;
        EXPECT_EQ(p.h, it->second.second) << name;
    }
}

TEST_F(ContentPictures, OverlaysHaveClearCornersAndTheBlackTexelIsOpaque) {
    // Sprites are alpha-blended over the menus and the 3D world: a picture with
    // an opaque corner would show a box around it.
    for (const auto& [name, size] : DrawnSizes()) {
        if (name == "black.bmp") continue;
        Picture p = Get(name.c_str());
        if (p.w == 0) continue;
        EXPECT_EQ(p.Alpha(0, 0) + p.Alpha(p.w - 1, 0) + p.Alpha(0, p.h - 1) + p.Alpha(p.w - 1, p.h - 1), 0)
            << name;
        EXPECT_GT(p.Ink(0, 0, p.w, p.h), 0) << name << " is empty";
    }
    Picture black = Get("black.bmp");
    ASSERT_EQ(black.rgba.size(), 4u);
    EXPECT_EQ(black.rgba, (std::vector<uint8_t>{0, 0, 0, 255}));
}

TEST_F(ContentPictures, DigitAndLetterStripsFillExactlyTheirCells) {
    // Number.png: digits 0..9 in 32 x 64 cells, drawn 30 pixels apart, so a
    // digit keeps off its cell's last two columns and the cells after 9 are empty.
    Picture num = Get("Number.png");
    for (int c = 0; c < 16; ++c) {
        if (c < 10) {
            EXPECT_GT(num.Ink(32 * c, 0, 32 * c + 32, 64), 100) << "digit " << c;
            EXPECT_EQ(num.Ink(32 * c + 30, 0, 32 * c + 32, 64), 0) << "digit " << c << " overlaps the next";
        } else {
            EXPECT_EQ(num.Ink(32 * c, 0, 32 * c + 32, 64), 0) << "cell " << c;
        }
    }
    // miniNumber.png: 16 x 32 cells; 10 the minute and 11 the decimal separator.
    // The clock draws the decimal point 10 pixels before the next digit.
    Picture mini = Get("miniNumber.png");
    for (int c = 0; c < 16; ++c) EXPECT_EQ(mini.Ink(16 * c, 0, 16 * c + 16, 32) > 0, c < 12) << "mini cell " << c;
    EXPECT_EQ(mini.Ink(176 + 10, 0, 192, 32), 0) << "the decimal point runs into the tenths digit";
    // alphabet.png: A..Z in 64 x 64 cells, eight per row, names drawn 52 pixels
    // apart: each letter stays within columns 6..57 of its cell.
    Picture abc = Get("alphabet.png");
    for (int k = 0; k < 64; ++k) {
        int x = (k % 8) * 64, y = (k / 8) * 64;
        if (k < 26) {
            EXPECT_GT(abc.Ink(x, y, x + 64, y + 64), 200) << char('A' + k);
            EXPECT_EQ(abc.Ink(x, y, x + 6, y + 64) + abc.Ink(x + 58, y, x + 64, y + 64), 0) << char('A' + k);
        } else {
            EXPECT_EQ(abc.Ink(x, y, x + 64, y + 64), 0) << "cell " << k;
        }
    }
}

TEST_F(ContentPictures, CountdownRankAndArrowCells) {
    // countnum.png: four 64 x 128 cells (3, 2, 1 read from cells 2, 1, 0, then the start sign).
    Picture count = Get("countnum.png");
    for (int c = 0; c < 4; ++c) {
        EXPECT_GT(count.Ink(64 * c, 0, 64 * c + 64, 128), 500) << "countdown cell " << c;
        EXPECT_EQ(count.Ink(64 * c, 0, 64 * c + 1, 128), 0) << "countdown cell " << c << " touches its left edge";
    }
    // rank.png: endings for ranks 1..3 stacked in 64 x 64 cells, the fourth empty.
    Picture rank = Get("rank.png");
    for (int r = 0; r < 4; ++r) EXPECT_EQ(rank.Ink(0, 64 * r, 64, 64 * r + 64) > 0, r < 3) << "rank cell " << r;
    // arrow.png: left arrow in x 0..15, right arrow in 16..31.
    Picture arrow = Get("arrow.png");
    EXPECT_GT(arrow.Ink(0, 0, 16, 16), 20);
    EXPECT_GT(arrow.Ink(16, 0, 32, 16), 20);
}

TEST_F(ContentPictures, PartlyOffScreenPicturesKeepTheirWordsInView) {
    // The logo is drawn from x 60 into an 800-pixel view: texels from 740 on are cut off.
    Picture logo = Get("logo.png");
    EXPECT_EQ(logo.Ink(740, 0, 1024, 128), 0);
    EXPECT_GT(logo.Ink(0, 0, 740, 128), 10000);
    // Pictures drawn with a negative left edge: their first texels are off screen.
    const std::pair<const char*, int> hidden[] = {
        {"Time.png", 22}, {"Time_re.png", 30}, {"Hiscore_b.png", 60}, {"Hiscore Record !.png", 60}};
    for (const auto& [name, cols] : hidden) {
        Picture p = Get(name);
        EXPECT_EQ(p.Ink(0, 0, cols, p.h), 0) << name;
    }
}

TEST_F(ContentPictures, LifeGaugeBarAreaIsOpaqueUnderTheCovers) {
    // The life gauge covers the lost life with black from x 240 + 360 r to 600
    // on screen (texels 60..420, rows 10..22 of the frame drawn at 180, 560):
    // the bar there must be opaque, or the covered and uncovered parts would
    // show the world through them.
    Picture gauge = Get("lifegauge.png");
    for (int y = 10; y < 22; ++y)
        for (int x = 60; x < 420; ++x) ASSERT_EQ(gauge.Alpha(x, y), 255) << x << "," << y;
}

TEST_F(ContentPictures, WorldQuadTexturesFadeOutBeforeTheirEdges) {
    // The impact effects and the charge glow are squares in the world: any
    // coverage on the border would show the square's edge.
    for (const char* name : {"light.png", "dreg_1.png", "burn.png", "cannon_dreg.png"}) {
        Picture p = Get(name);
        int border = p.Ink(0, 0, p.w, 1) + p.Ink(0, p.h - 1, p.w, p.h) + p.Ink(0, 0, 1, p.h) + p.Ink(p.w - 1, 0, p.w, p.h);
        EXPECT_EQ(border, 0) << name;
    }
}

// Pictures the meshes name, read from where the mesh loader looks for them.
bool LoadFilePicture(const std::string& rel, Picture* out) {
    int comp = 0;
    stbi_uc* px = stbi_load(DataPath(rel).c_str(), &out->w, &out->h, &comp, 4);
    if (!px) return false;
    out->rgba.assign(px, px + size_t(out->w) * out->h * 4);
    stbi_image_free(px);
    return true;
}

float Luma(const Picture& p, int x, int y) {
    const uint8_t* c = &p.rgba[(size_t(y) * p.w + x) * 4];
    return 0.299f * c[0] + 0.587f * c[1] + 0.114f * c[2];
}

TEST(ContentSkins, ShotSkinsAreOpaqueAndGroundTilesRepeatWithoutSeams) {
    // The player's beam and the charger's ray are drawn from their texture
    // alone: a clear texel would be a hole in the shot.
    for (const char* rel : {"data/xfiles/shot_beam.png", "data/xfiles/shot_lay.png"}) {
        Picture p;
        ASSERT_TRUE(LoadFilePicture(rel, &p)) << rel;
        for (size_t i = 3; i < p.rgba.size(); i += 4) ASSERT_EQ(p.rgba[i], 255) << rel;
    }
    // The floors repeat their ground textures edge to edge: where the last
    // column meets the first (and the last row the first) there must be no
    // edge stronger than the strongest one drawn inside the texture.
    for (int stage = 1; stage <= 3; ++stage)
        for (const char* kind : {"ground", "field"}) {
            std::string rel = "data/xfiles/maps/floor" + std::to_string(stage) + "_" + kind + ".png";
            Picture p;
            ASSERT_TRUE(LoadFilePicture(rel, &p)) << rel;
            auto columnEdge = [&](int a, int b) {
                double e = 0;
                for (int y = 0; y < p.h; ++y) e += std::fabs(Luma(p, a, y) - Luma(p, b, y));
                return e;
            };
            auto rowEdge = [&](int a, int b) {
                double e = 0;
                for (int x = 0; x < p.w; ++x) e += std::fabs(Luma(p, x, a) - Luma(p, x, b));
                return e;
            };
            double strongestColumn = 0, strongestRow = 0;
            for (int i = 0; i + 1 < p.w; ++i) strongestColumn = std::max(strongestColumn, columnEdge(i, i + 1));
            for (int i = 0; i + 1 < p.h; ++i) strongestRow = std::max(strongestRow, rowEdge(i, i + 1));
            EXPECT_LE(columnEdge(p.w - 1, 0), strongestColumn * 1.05 + p.h) << rel << " shows a seam across u";
            EXPECT_LE(rowEdge(p.h - 1, 0), strongestRow * 1.05 + p.w) << rel << " shows a seam across v";
        }
}

TEST(ContentSkins, HillRampsBrightenTowardTheLight) {
    // The hills take u from how much a face turns to the light: every row of
    // a ramp must grow brighter from left to right.
    for (int stage = 1; stage <= 3; ++stage) {
        std::string rel = "data/xfiles/maps/floor" + std::to_string(stage) + "_hills.png";
        Picture p;
        ASSERT_TRUE(LoadFilePicture(rel, &p)) << rel;
        for (int y = 0; y < p.h; ++y) EXPECT_LT(Luma(p, p.w / 8, y), Luma(p, p.w * 7 / 8, y)) << rel << " row " << y;
    }
}

TEST(ContentSheet, TheBuildMakesAContactSheet) {
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(ReadWholeFile(DataPath("contact_sheet.png"), &bytes)) << "no build/contact_sheet.png";
    int w = 0, h = 0, comp = 0;
    ASSERT_TRUE(stbi_info_from_memory(bytes.data(), int(bytes.size()), &w, &h, &comp));
    // Every archive picture appears twice side by side (pink and dark), so the
    // sheet is at least as wide as two logos.
    EXPECT_GE(w, 2 * 1024);
    EXPECT_GE(h, 512);
}

}  // namespace

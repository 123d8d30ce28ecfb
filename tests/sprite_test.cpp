// Sprites, digits, colour packing and the pulse oscillator.
#include <gtest/gtest.h>
#include <vector>

#include "core/manifest.h"
#include "gl_fixture.h"
#include "graphics/device.h"
#include "graphics/sprite.h"
#include "graphics/transform.h"
#include "platform/system.h"

namespace {

// No blending, depth or lighting, unfiltered, so pixels show texel x colour.
void FlatStates() {
    RdSetRenderTarget(nullptr);
    SetDefaultRenderStates();
    SetTextureFiltering(0);
    RdSetAlphaBlend(false);
    RdSetZEnable(false);
    RdSetLighting(false);
    RdSetCullMode(RD_CULL_NONE);
    RdClear(0xFF000000u, 1.0f);
}

// A texture whose texel (x, y) is (40x + 1, 40y + 2, 7, 255).
Texture* GridTexture(int w, int h) {
    std::vector<uint8_t> px(static_cast<size_t>(w) * h * 4);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t* p = &px[(static_cast<size_t>(y) * w + x) * 4];
            p[0] = static_cast<uint8_t>(40 * x + 1);
            p[1] = static_cast<uint8_t>(40 * y + 2);
            p[2] = 7;
            p[3] = 255;
        }
    RdTexture* handle = RdCreateTexture(w, h, px.data());
    return handle ? new Texture{handle, w, h} : nullptr;
}

}  // namespace

// The packing rule: >= 1 is 255, <= 0 is 0, otherwise c * 255 + 0.5 truncated.
TEST(SpriteColour, PackingRule) {
    EXPECT_EQ(ColorToArgb(1.0f, 0.5f, 0.0f, 2.0f), 0xFFFF8000u);
    EXPECT_EQ(ColorToArgb(0.002f, 0.0f, 0.0f, 0.0f), 0x00010000u);  // 0.51 + 0.5 -> 1
    EXPECT_EQ(ColorToArgb(-3.0f, 0.999f, 0.3f, 0.5f), 0x8000FF4Du);  // 0.3 -> 77, 0.5 -> 128
    EXPECT_EQ(ColorToArgb(0.0019f, 0.0f, 0.0f, 1.0f), 0xFF000000u);  // 0.48 + 0.5 -> 0
}

// From 0.95 rising by 0.1: 1.05 (still rising), then the switch on the call
// that sees 1.05 still adds, 1.15; then it falls until it has seen a value
// below 0, overshooting by one step.
TEST(SpritePingPong, OvershootsByOneStep) {
    int state = 0;
    float value = 0.95f;
    PingPong(&state, &value, 0.1f);
    EXPECT_EQ(state, 0);
    EXPECT_NEAR(value, 1.05f, 1e-6f);
    PingPong(&state, &value, 0.1f);
    EXPECT_EQ(state, 1);
    EXPECT_NEAR(value, 1.15f, 1e-6f);
    PingPong(&state, &value, 0.1f);
    EXPECT_NEAR(value, 1.05f, 1e-6f);
    int calls = 0;
    while (state == 1 && calls < 100) {
        PingPong(&state, &value, 0.1f);
        ++calls;
    }
    EXPECT_EQ(state, 0);
    EXPECT_LT(value, 0.0f);
    EXPECT_GT(value, -0.2f);
    int other = 5;
    float v = 0.3f;
    PingPong(&other, &v, 0.1f);
    EXPECT_EQ(other, 5);
    EXPECT_EQ(v, 0.3f);
}

// Without a device a draw reports its English message once under the
// caption "error", asks the loop to quit and returns 0.
TEST(SpriteErrors, DrawsWithoutDeviceFailCleanly) {
    RdRelease();
    ResetQuit();
    testing::internal::CaptureStderr();
    EXPECT_EQ(DrawSprite(nullptr, 0, 0, 10, 10, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1), 0);
    EXPECT_EQ(DrawSprite(nullptr, 0, 0, 10, 10, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1), 0);
    const Vec3 corners[4] = {};
    EXPECT_EQ(DrawWorldQuad(nullptr, corners, 1, 1, 1, 1, 0, 0, 1, 1, 1, 1), 0);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("error: Not created vertex buffer"), std::string::npos);
    EXPECT_EQ(err.find("Not created vertex buffer"), err.rfind("Not created vertex buffer"));
    EXPECT_NE(err.find("error: Not created tex or vertex buffer"), std::string::npos);
    EXPECT_TRUE(QuitRequested());
    ResetQuit();
}

// With a device, a world quad without a texture is refused the same way.
TEST(SpriteErrors, WorldQuadNeedsATexture) {
    REQUIRE_GL();
    ResetQuit();
    const Vec3 corners[4] = {};
    EXPECT_EQ(DrawWorldQuad(nullptr, corners, 1, 1, 1, 1, 0, 0, 1, 1, 1, 1), 0);
    EXPECT_TRUE(QuitRequested());
    ResetQuit();
}

// A 2 x 2 texel source rectangle stretched over 4 x 4 pixels: each texel
// covers a 2 x 2 block and nothing outside the destination changes.
TEST(SpriteDraw, SourceRectangleToDestination) {
    REQUIRE_GL();
    FlatStates();
    Texture* tex = GridTexture(4, 4);
    ASSERT_NE(tex, nullptr);
    EXPECT_EQ(DrawSprite(tex, 10, 20, 14, 24, 1, 2, 2, 2, 4, 4, 1, 1, 1, 1), 1);
    std::vector<uint8_t> img = ReadView();
    for (int y = 18; y < 26; ++y)
        for (int x = 8; x < 16; ++x) {
            const uint8_t* p = PixelAt(img, x, y);
            SCOPED_TRACE(testing::Message() << x << "," << y);
            bool inside = x >= 10 && x < 14 && y >= 20 && y < 24;
            if (!inside) {
                EXPECT_EQ(p[0] + p[1] + p[2], 0);
                continue;
            }
            int tx = 1 + (x - 10) / 2, ty = 2 + (y - 20) / 2;
            EXPECT_EQ(p[0], 40 * tx + 1);
            EXPECT_EQ(p[1], 40 * ty + 2);
        }
    // The whole image (0, 0, texW, texH) maps to 0..1: corners show corner texels.
    DrawSprite(tex, 100, 100, 140, 140, 0, 0, 4, 4, 4, 4, 1, 1, 1, 1);
    img = ReadView();
    EXPECT_EQ(PixelAt(img, 100, 100)[0], 1);
    EXPECT_EQ(PixelAt(img, 139, 139)[0], 121);
    EXPECT_EQ(PixelAt(img, 139, 139)[1], 122);
    ReleaseTexture(tex);
}

// Under the preset, a half-transparent sprite blends by its alpha, and its
// colour modulates the texture.
TEST(SpriteDraw, PresetBlendsAndModulates) {
    REQUIRE_GL();
    BeginFrame(0, 0, 200);
    SetDefaultRenderStates();
    SetTextureFiltering(0);
    const uint8_t white[4] = {255, 255, 255, 255};
    RdTexture* plain = RdCreateTexture(1, 1, white);
    Texture whiteTex{plain, 1, 1};
    DrawSprite(&whiteTex, 0, 0, 10, 10, 0, 0, 1, 1, 1, 1, 1.0f, 0.5f, 0.0f, 0.25f);
    std::vector<uint8_t> p(4);
    RdReadPixels(5, 5, 1, 1, p.data());
    double a = 64 / 255.0;  // 0.25 packs to 64
    EXPECT_NEAR(p[0], 255 * a, 2);
    EXPECT_NEAR(p[1], 128 * a, 2);
    EXPECT_NEAR(p[2], 200 * (1 - a), 2);
    RdReleaseTexture(plain);
}

// Glyph cells get distinct colours: cell k is (20k + 5, 250 - 20k, 9).
TEST(SpriteDraw, DrawNumberPlacesDigits) {
    REQUIRE_GL();
    FlatStates();
    std::vector<uint8_t> strip(512 * 64 * 4);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 512; ++x) {
            uint8_t* p = &strip[(static_cast<size_t>(y) * 512 + x) * 4];
            int k = x / 32;
            p[0] = static_cast<uint8_t>(20 * k + 5);
            p[1] = static_cast<uint8_t>(250 - 20 * k);
            p[2] = 9;
            p[3] = 255;
        }
    RdTexture* handle = RdCreateTexture(512, 64, strip.data());
    Texture* saved = TextureTable[TexNumber];
    Texture number{handle, 512, 64};
    TextureTable[TexNumber] = &number;

    // Reads the cell shown in the middle of each place (x + 30i + 16), -1 when empty.
    auto places = [&](int value) {
        RdClear(0xFF000000u, 1.0f);
        DrawNumber(value, 100, 200);
        std::vector<uint8_t> img = ReadView();
        std::vector<int> cells;
        for (int i = 0; i < 5; ++i) {
            const uint8_t* p = PixelAt(img, 100 + 30 * i + 16, 232);
            cells.push_back(p[2] == 9 ? (p[0] - 5) / 20 : -1);
        }
        // Nothing above, below or right of the glyph row.
        EXPECT_EQ(PixelAt(img, 116, 199)[2], 0);
        EXPECT_EQ(PixelAt(img, 236, 264)[2], 0);
        EXPECT_EQ(PixelAt(img, 252, 232)[2], 0);
        return cells;
    };
    EXPECT_EQ(places(12345), (std::vector<int>{1, 2, 3, 4, 5}));
    EXPECT_EQ(places(0), (std::vector<int>{-1, -1, -1, -1, 0}));
    EXPECT_EQ(places(7), (std::vector<int>{-1, -1, -1, -1, 7}));
    EXPECT_EQ(places(1005), (std::vector<int>{-1, 1, 0, 0, 5}));
    // The ten-thousands place is not reduced: 123456 shows cell 12 there.
    EXPECT_EQ(places(123456), (std::vector<int>{12, 3, 4, 5, 6}));
    EXPECT_EQ(places(-42), (std::vector<int>{-1, -1, -1, -1, 0}));

    // The 2-pixel overlap: the later (right) digit covers columns 30..31 of the left one.
    RdClear(0xFF000000u, 1.0f);
    DrawNumber(12, 100, 200);
    std::vector<uint8_t> img = ReadView();
    EXPECT_EQ(PixelAt(img, 100 + 90 + 29, 232)[0], 20 * 1 + 5);
    EXPECT_EQ(PixelAt(img, 100 + 90 + 30, 232)[0], 20 * 2 + 5);
    TextureTable[TexNumber] = saved;
    RdReleaseTexture(handle);
}

// A world quad under the preset is lit: no normals, so ambient times the
// light's ambient (the stage light sets ambient = diffuse = its colour).
TEST(SpriteDraw, WorldQuadIsLitByThePreset) {
    REQUIRE_GL();
    BeginFrame(0, 0, 0);
    SetDefaultRenderStates();
    SetDirectionalLight(0, {0, -1, 0}, 0.5f, 0.25f, 1.0f, 1.0f);
    Material m{};
    m.ambient = {0.8f, 0.8f, 0.4f, 1};
    RdSetMaterial(m);
    ApplyTransforms(
        TransformSet{MatIdentity(), MakeViewMatrix({0, 0, 0}, {0, 0, 1}), MakeProjectionMatrix()});
    const uint8_t white[4] = {255, 255, 255, 255};
    RdTexture* plain = RdCreateTexture(1, 1, white);
    Texture whiteTex{plain, 1, 1};
    const Vec3 corners[4] = {{-1, 1, 10}, {1, 1, 10}, {-1, -1, 10}, {1, -1, 10}};
    EXPECT_EQ(DrawWorldQuad(&whiteTex, corners, 1, 1, 1, 1, 0, 0, 1, 1, 1, 1), 1);
    std::vector<uint8_t> p(4);
    RdReadPixels(400, 300, 1, 1, p.data());
    EXPECT_NEAR(p[0], 255 * 0.4, 2);
    EXPECT_NEAR(p[1], 255 * 0.2, 2);
    EXPECT_NEAR(p[2], 255 * 0.4, 2);
    RdReleaseTexture(plain);
}

TEST(SpriteTextures, FromFileAndMemory) {
    REQUIRE_GL();
    Texture* t = CreateTextureFromFile(ZORBAT_TESTDATA_DIR "/pngsuite/cdfn2c08.png");
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->width, 8);
    EXPECT_EQ(t->height, 32);
    ReleaseTexture(t);
    EXPECT_EQ(CreateTextureFromFile(ZORBAT_TESTDATA_DIR "/xfiles/bottom.tga"), nullptr);
    EXPECT_EQ(CreateTextureFromFile("no/such/file.png"), nullptr);
    const uint8_t junk[3] = {1, 2, 3};
    EXPECT_EQ(CreateTextureFromMemory(junk, 3), nullptr);
    TextureTable[3] = CreateTextureFromFile(ZORBAT_TESTDATA_DIR "/pngsuite/basn6a08.png");
    ASSERT_NE(TextureTable[3], nullptr);
    ReleaseTextures();
    for (Texture* slot : TextureTable) EXPECT_EQ(slot, nullptr);
}

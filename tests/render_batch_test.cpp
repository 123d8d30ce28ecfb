// The device's draw shortcuts (quads queued into one draw call, meshes
// outside the view volume skipped) must not change a single pixel: each
// scene is drawn with them and without them and the pictures compared byte
// for byte. The frame drawn off-screen for a scaled window must look like
// the one drawn straight into the window.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

#include "gl_fixture.h"
#include "graphics/transform.h"
#include "platform/window.h"

namespace {

// A small deterministic sequence, so the scenes are irregular but repeatable.
struct Lcg {
    uint32_t s = 12345;
    float Next() {  // 0 .. 1
        s = s * 1103515245u + 12345u;
        return static_cast<float>((s >> 8) & 0xFFFF) / 65535.0f;
    }
};

uint32_t Argb(float a, float r, float g, float b) {
    auto c = [](float v) { return static_cast<uint32_t>(v * 255.0f) & 0xFF; };
    return c(a) << 24 | c(r) << 16 | c(g) << 8 | c(b);
}

void BaseStates() {
    RdSetAlphaBlend(true);
    RdSetBlend(RD_BLEND_SRCALPHA, RD_BLEND_INVSRCALPHA);
    RdSetZEnable(true);
    RdSetLighting(false);
    RdSetSpecularEnable(false);
    RdSetCullMode(RD_CULL_NONE);
    RdSetColorArgs(RD_TA_TEXTURE, RD_TA_DIFFUSE);
    RdSetColorOp(RD_TOP_MODULATE);
    RdSetAlphaArgs(RD_TA_TEXTURE, RD_TA_DIFFUSE);
    RdSetAlphaOp(RD_TOP_MODULATE);
    RdSetFilter(true);
    RdSetTexture(nullptr);
    RdEnableLight(0, false);
}

RdTexture* Checker() {
    std::vector<uint8_t> px(16 * 16 * 4);
    for (int i = 0; i < 16 * 16; ++i) {
        px[i * 4] = static_cast<uint8_t>(i * 37);
        px[i * 4 + 1] = static_cast<uint8_t>(255 - i * 11);
        px[i * 4 + 2] = static_cast<uint8_t>((i / 16) * 16);
        px[i * 4 + 3] = static_cast<uint8_t>(128 + (i % 7) * 18);
    }
    return RdCreateTexture(16, 16, px.data());
}

// 280 overlapping, slanted screen quads with colour gradients in 7 runs of
// 40 under different states (the last one opaque), then 120 lit world quads
// in 12 runs of 10, each run under its own world matrix.
void QuadScene(RdTexture* tex) {
    BaseStates();
    RdClear(0xFF203040u, 1.0f);
    Lcg r;
    for (int run = 0; run < 7; ++run) {
        RdSetTexture(run % 2 ? tex : nullptr);
        RdSetColorOp(run == 4 ? RD_TOP_SELECTARG1 : RD_TOP_MODULATE);
        RdSetBlend(RD_BLEND_SRCALPHA, run == 5 ? RD_BLEND_ONE : RD_BLEND_INVSRCALPHA);
        // Culling removes the quads wound counter-clockwise on screen.
        RdSetCullMode(run == 3 ? RD_CULL_CCW : RD_CULL_NONE);
        for (int i = 0; i < 40; ++i) {
            const float x = r.Next() * 700.0f, y = r.Next() * 500.0f, s = 20.0f + r.Next() * 90.0f;
            const float k = r.Next() * 0.6f - 0.3f, z = r.Next();
            // The last run is opaque: blending it changes nothing, and it goes without.
            auto alpha = [&] { return run == 6 ? 1.0f : r.Next(); };
            ScreenVertex v[4] = {
                {x, y, z, 1, Argb(alpha(), r.Next(), r.Next(), r.Next()), 0, 0},
                {x + s, y + k * s, z, 1, Argb(alpha(), r.Next(), r.Next(), r.Next()), 1.3f, 0},
                {x - k * s, y + s, z, 1, Argb(alpha(), r.Next(), r.Next(), r.Next()), 0, 1.7f},
                {x + s - k * s, y + s + k * s, z, 1, Argb(alpha(), r.Next(), r.Next(), r.Next()),
                 1.3f, 1.7f}};
            if (i % 5 == 0) std::swap(v[1], v[2]);  // wound the other way round
            RdDrawScreenQuad(v);
        }
    }
    Material m{};
    m.diffuse = {1, 1, 1, 0.7f};
    m.ambient = {0.6f, 0.5f, 0.9f, 1};
    m.emissive = {0.2f, 0.1f, 0.0f, 1};
    RdSetMaterial(m);
    Light l{};
    l.diffuse = {1, 1, 1, 1};
    l.ambient = {0.7f, 0.8f, 0.5f, 1};
    l.direction = {0.3f, -1, 1};
    RdSetLight(0, l);
    RdEnableLight(0, true);
    RdSetLighting(true);
    RdSetTexture(tex);
    const Matrix view = MakeViewMatrix({0, 0, 0}, {0, 0, 1});
    for (int run = 0; run < 12; ++run) {
        const Matrix world = MakeWorldMatrix({r.Next() * 360, r.Next() * 360, r.Next() * 360},
                                             {r.Next() * 8 - 4, r.Next() * 6 - 3, 60 + r.Next() * 20},
                                             {1, 1, 1});
        ApplyTransforms(TransformSet{world, view, MakeProjectionMatrix()});
        for (int i = 0; i < 10; ++i) {
            const float x = r.Next() * 6 - 3, y = r.Next() * 6 - 3, z = r.Next() * 2 - 1;
            const uint32_t c = Argb(0.3f + r.Next() * 0.7f, r.Next(), r.Next(), r.Next());
            WorldVertex v[4] = {{x, y, z, c, 0, 0},
                                {x + 1.5f, y + 0.2f, z, c, 1, 0},
                                {x - 0.2f, y - 1.5f, z + 0.5f, c, 0, 1},
                                {x + 1.3f, y - 1.3f, z + 0.5f, c, 1, 1}};
            RdDrawWorldQuad(v);
        }
    }
    BaseStates();
}

// A lit, specular cube 2 units wide.
RdMesh* Cube() {
    std::vector<MeshVertex> v;
    std::vector<uint32_t> idx;
    const float n[6][3] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
    for (const auto& f : n) {
        // Two axes across the face.
        const float u[3] = {f[1] + f[2], f[0], 0};
        const float w[3] = {f[1] * u[2] - f[2] * u[1], f[2] * u[0] - f[0] * u[2],
                            f[0] * u[1] - f[1] * u[0]};
        const uint32_t base = static_cast<uint32_t>(v.size());
        for (int c = 0; c < 4; ++c) {
            const float a = (c & 1) ? 1.0f : -1.0f, b = (c & 2) ? 1.0f : -1.0f;
            v.push_back({f[0] + a * u[0] + b * w[0], f[1] + a * u[1] + b * w[1],
                         f[2] + a * u[2] + b * w[2], f[0], f[1], f[2], 0, 0, 0});
        }
        for (uint32_t k : {0u, 1u, 2u, 2u, 1u, 3u}) idx.push_back(base + k);
    }
    return RdCreateMesh(v.data(), static_cast<int>(v.size()), idx.data(),
                        static_cast<int>(idx.size()), false);
}

// Cubes seen through the game's narrow projection from the origin looking
// along +z: at z = 100 the view is 11.66 to each side and 8.75 up and down.
struct Placed {
    float x, y, z;
};
const Placed kInside[] = {{0, 0, 100}, {5, 3, 100}, {-8, -5, 150}};
const Placed kAcrossAnEdge[] = {{11.7f, 0, 100}, {0, 8.75f, 100}, {-11.7f, -8.75f, 100},
                                {0, 0, 1000}};
const Placed kOutside[] = {{20, 0, 100}, {-20, 0, 100}, {0, 15, 100},
                           {0, -15, 100}, {0, 0, -5},   {0, 0, 1100}};

void MeshScene(RdMesh* cube) {
    BaseStates();
    RdClear(0xFF000000u, 1.0f);
    RdSetCullMode(RD_CULL_CCW);
    Material m{};
    m.diffuse = {0.8f, 0.5f, 0.3f, 1};
    m.ambient = {0.2f, 0.2f, 0.2f, 1};
    m.specular = {1, 1, 1, 1};
    m.power = 8;
    RdSetMaterial(m);
    Light l{};
    l.diffuse = {1, 1, 1, 1};
    l.ambient = {0.3f, 0.3f, 0.3f, 1};
    l.specular = {1, 1, 1, 1};
    l.direction = {-0.5f, -0.7f, 1};
    RdSetLight(0, l);
    RdEnableLight(0, true);
    RdSetLighting(true);
    RdSetSpecularEnable(true);
    const Matrix view = MakeViewMatrix({0, 0, 0}, {0, 0, 1});
    int i = 0;
    for (const auto* set : {kInside, kAcrossAnEdge, kOutside}) {
        const int n = set == kInside ? 3 : (set == kAcrossAnEdge ? 4 : 6);
        for (int k = 0; k < n; ++k, ++i) {
            const Placed& p = set[k];
            ApplyTransforms(
                TransformSet{MakeWorldMatrix({i * 20.0f, i * 35.0f, 0}, {p.x, p.y, p.z}, {1, 1, 1}),
                             view, MakeProjectionMatrix()});
            RdDrawMesh(cube, 0, 36);
        }
    }
    BaseStates();
}

struct Drawn {
    std::vector<uint8_t> pixels;
    RdStats stats;
};

template <typename Scene>
Drawn DrawWith(bool shortcuts, Scene scene) {
    RdSetDrawShortcuts(shortcuts);
    RdResetStats();
    scene();
    Drawn d{ReadView(), RdGetStats()};
    RdSetDrawShortcuts(true);
    return d;
}

int DifferentPixels(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    int n = 0;
    for (size_t i = 0; i + 3 < a.size() && i + 3 < b.size(); i += 4)
        n += std::memcmp(&a[i], &b[i], 4) != 0;
    return n;
}

}  // namespace

// Quads in one call per run of unchanged states: 7 screen runs and 12 world
// runs instead of 400 calls, into the window and into a target alike.
TEST(RenderBatch, QueuedQuadsDrawTheSamePixels) {
    REQUIRE_GL();
    RdTexture* tex = Checker();
    RdRenderTarget* rt = RdCreateRenderTarget(800, 600);
    ASSERT_NE(rt, nullptr);
    for (RdRenderTarget* into : {static_cast<RdRenderTarget*>(nullptr), rt}) {
        RdSetRenderTarget(into);
        const Drawn batched = DrawWith(true, [&] { QuadScene(tex); });
        const Drawn single = DrawWith(false, [&] { QuadScene(tex); });
        EXPECT_EQ(DifferentPixels(batched.pixels, single.pixels), 0) << (into ? "target" : "window");
        EXPECT_EQ(batched.stats.quadsQueued, 400);
        EXPECT_EQ(single.stats.drawCalls, 400);
        EXPECT_EQ(batched.stats.drawCalls, 19);
        // The scene is not empty: plenty of pixels differ from the clear colour.
        int coloured = 0;
        for (size_t i = 0; i < batched.pixels.size(); i += 4)
            coloured += batched.pixels[i] != 0x20 || batched.pixels[i + 2] != 0x40;
        EXPECT_GT(coloured, 100000);
    }
    RdSetRenderTarget(nullptr);
    RdReleaseRenderTarget(rt);
    RdReleaseTexture(tex);
}

// A queue is drawn before anything it depends on changes: a texture released
// or a target switched right after queuing still shows the quad as drawn.
TEST(RenderBatch, QueuedQuadsAreDrawnBeforeTheirStateGoes) {
    REQUIRE_GL();
    BaseStates();
    RdSetZEnable(false);
    RdSetAlphaBlend(false);
    RdClear(0xFF000000u, 1.0f);
    const uint8_t red[4] = {255, 0, 0, 255};
    RdTexture* tex = RdCreateTexture(1, 1, red);
    RdSetTexture(tex);
    ScreenVertex v[4] = {{10, 10, 0, 1, 0xFFFFFFFFu, 0, 0}, {20, 10, 0, 1, 0xFFFFFFFFu, 1, 0},
                         {10, 20, 0, 1, 0xFFFFFFFFu, 0, 1}, {20, 20, 0, 1, 0xFFFFFFFFu, 1, 1}};
    RdDrawScreenQuad(v);
    RdReleaseTexture(tex);
    RdRenderTarget* rt = RdCreateRenderTarget(64, 64);
    ScreenVertex w[4] = {{30, 10, 0, 1, 0xFF00FF00u, 0, 0}, {40, 10, 0, 1, 0xFF00FF00u, 1, 0},
                         {30, 20, 0, 1, 0xFF00FF00u, 0, 1}, {40, 20, 0, 1, 0xFF00FF00u, 1, 1}};
    RdDrawScreenQuad(w);
    RdSetRenderTarget(rt);
    RdClear(0xFF0000FFu, 1.0f);
    RdSetRenderTarget(nullptr);
    std::vector<uint8_t> img = ReadView();
    EXPECT_EQ(PixelAt(img, 15, 15)[0], 255);
    EXPECT_EQ(PixelAt(img, 15, 15)[1], 0);
    EXPECT_EQ(PixelAt(img, 35, 15)[1], 255);
    EXPECT_EQ(PixelAt(img, 35, 15)[2], 0);
    RdReleaseRenderTarget(rt);
}

// Only the six cubes wholly beyond one side of the view are skipped; those
// across an edge or the far plane are drawn, and the picture is unchanged.
TEST(RenderBatch, MeshesOutsideTheViewAreSkippedWithoutAPixelChanged) {
    REQUIRE_GL();
    RdMesh* cube = Cube();
    ASSERT_NE(cube, nullptr);
    RdSetRenderTarget(nullptr);
    const Drawn culled = DrawWith(true, [&] { MeshScene(cube); });
    const Drawn all = DrawWith(false, [&] { MeshScene(cube); });
    EXPECT_EQ(DifferentPixels(culled.pixels, all.pixels), 0);
    EXPECT_EQ(culled.stats.meshDraws, 13);
    EXPECT_EQ(culled.stats.meshesCulled, 6);
    EXPECT_EQ(all.stats.meshesCulled, 0);
    EXPECT_EQ(culled.stats.drawCalls, 7);
    // The cubes across the right and top edges do show.
    auto lit = [&](int x, int y) { return PixelAt(culled.pixels, x, y)[0] > 0; };
    EXPECT_TRUE(lit(799, 300));
    EXPECT_TRUE(lit(400, 0));
    EXPECT_TRUE(lit(0, 599));
    RdReleaseMesh(cube);
}

// The frame drawn off-screen and stretched to the window (a scaled display)
// is the same picture, rows top first, culled the same way.
TEST(RenderBatch, OffscreenFrameMatchesTheWindowsOwn) {
    REQUIRE_GL();
    auto scene = [] {
        RdTexture* tex = Checker();
        BaseStates();
        RdSetFilter(false);
        RdClear(0xFF102030u, 1.0f);
        Lcg r;
        for (int i = 0; i < 50; ++i) {
            const float x = static_cast<float>(static_cast<int>(r.Next() * 700));
            const float y = static_cast<float>(static_cast<int>(r.Next() * 200));
            const uint32_t c = Argb(r.Next(), r.Next(), r.Next(), r.Next());
            RdSetTexture(i % 3 ? tex : nullptr);
            ScreenVertex v[4] = {{x, y, 0, 1, c, 0, 0},
                                 {x + 64, y, 0, 1, c, 1, 0},
                                 {x, y + 48, 0, 1, c, 0, 1},
                                 {x + 64, y + 48, 0, 1, c, 1, 1}};
            RdDrawScreenQuad(v);
        }
        RdSetTexture(nullptr);
        RdReleaseTexture(tex);
        // A triangle clockwise on screen survives counter-clockwise culling,
        // its mirror image does not.
        RdSetAlphaBlend(false);
        RdSetCullMode(RD_CULL_CCW);
        ApplyTransforms(TransformSet{MatIdentity(), MakeViewMatrix({0, 0, 0}, {0, 0, 1}),
                                     MakeProjectionMatrix()});
        MeshVertex v[6] = {{-3, 1, 100, 0, 0, 0, 0, 0, 0},  {-2, -1, 100, 0, 0, 0, 0, 0, 0},
                           {-4, -1, 100, 0, 0, 0, 0, 0, 0}, {3, 1, 100, 0, 0, 0, 0, 0, 0},
                           {2, -1, 100, 0, 0, 0, 0, 0, 0},  {4, -1, 100, 0, 0, 0, 0, 0, 0}};
        const uint32_t idx[6] = {0, 1, 2, 3, 4, 5};
        RdMesh* mesh = RdCreateMesh(v, 6, idx, 6, false);
        RdDrawMesh(mesh, 0, 6);
        RdReleaseMesh(mesh);
        BaseStates();
        std::vector<uint8_t> frame(800 * 600 * 4);
        RdCaptureNextPresent();
        RdPresent();
        EXPECT_TRUE(RdReadLastFrame(frame.data()));
        return frame;
    };
    const std::vector<uint8_t> direct = scene();
    RdRelease();
    setenv("ZORBAT_OFFSCREEN_FRAME", "1", 1);
    const bool created = RdCreate();
    unsetenv("ZORBAT_OFFSCREEN_FRAME");
    ASSERT_TRUE(created);
    const std::vector<uint8_t> offscreen = scene();
    RdRelease();
    ASSERT_TRUE(RdCreate());
    // Triangle centroids are at x = 400 -+ 103 (see RenderGl.CullingFollowsScreenWinding);
    // the quads all lie above y = 250.
    for (const auto* f : {&direct, &offscreen}) {
        EXPECT_EQ(PixelAt(*f, 297, 305)[0], 255);
        EXPECT_EQ(PixelAt(*f, 503, 305)[0], 0x10);
    }
    // Upright rectangles on whole pixels rasterise alike either way up; only
    // the slanted edges of the triangles may fall differently.
    EXPECT_EQ(std::memcmp(direct.data(), offscreen.data(), 250 * 3200), 0);
    EXPECT_EQ(std::memcmp(&direct[350 * 3200], &offscreen[350 * 3200], 250 * 3200), 0);
}

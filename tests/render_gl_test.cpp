// The GL render device against the classic fixed-function rules, checked by
// reading pixels back. Expected colours are computed here from the rules
// (texture stage, blending, per-vertex lighting), not taken from a run.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <tuple>

#include "gl_fixture.h"
#include "graphics/transform.h"

namespace {

uint32_t Argb(int a, int r, int g, int b) {
    return static_cast<uint32_t>(a) << 24 | static_cast<uint32_t>(r) << 16 |
           static_cast<uint32_t>(g) << 8 | static_cast<uint32_t>(b);
}

void Rect(float x0, float y0, float x1, float y1, uint32_t argb, float z = 0.0f) {
    ScreenVertex v[4] = {{x0, y0, z, 1, argb, 0, 0},
                         {x1, y0, z, 1, argb, 1, 0},
                         {x0, y1, z, 1, argb, 0, 1},
                         {x1, y1, z, 1, argb, 1, 1}};
    RdDrawScreenQuad(v);
}

// A plain state: no blending, no depth test, no lighting, no culling,
// modulate texture by diffuse, point sampling, no texture, the back buffer
// or the given target.
void Plain(RdRenderTarget* into = nullptr) {
    RdSetRenderTarget(into);
    RdSetAlphaBlend(false);
    RdSetBlend(RD_BLEND_ONE, RD_BLEND_ZERO);
    RdSetZEnable(false);
    RdSetLighting(false);
    RdSetSpecularEnable(false);
    RdSetCullMode(RD_CULL_NONE);
    RdSetColorArgs(RD_TA_TEXTURE, RD_TA_DIFFUSE);
    RdSetColorOp(RD_TOP_MODULATE);
    RdSetAlphaArgs(RD_TA_TEXTURE, RD_TA_DIFFUSE);
    RdSetAlphaOp(RD_TOP_MODULATE);
    RdSetFilter(false);
    RdSetTexture(nullptr);
    RdEnableLight(0, false);
    RdClear(0xFF000000u, 1.0f);
}

void ExpectRgba(const uint8_t* p, double r, double g, double b, double a, double tol = 2.0) {
    EXPECT_NEAR(p[0], r, tol);
    EXPECT_NEAR(p[1], g, tol);
    EXPECT_NEAR(p[2], b, tol);
    if (a >= 0) {
        EXPECT_NEAR(p[3], a, tol);
    }
}

// An 800 x 600 target for the tests that read the alpha the pipeline writes:
// like the game's window, the back buffer has no alpha channel of its own.
struct AlphaTarget {
    RdRenderTarget* rt = RdCreateRenderTarget(800, 600);
    ~AlphaTarget() { RdReleaseRenderTarget(rt); }
};

std::vector<uint8_t> Read(int x, int y, int w, int h) {
    std::vector<uint8_t> px(static_cast<size_t>(w) * h * 4);
    EXPECT_TRUE(RdReadPixels(x, y, w, h, px.data()));
    return px;
}

// Camera at the origin looking along +z, the game's projection.
void Camera(const Matrix& world) {
    ApplyTransforms(
        TransformSet{world, MakeViewMatrix({0, 0, 0}, {0, 0, 1}), MakeProjectionMatrix()});
}

}  // namespace

// A quad from x0 to x1 covers pixels x0 .. x1 - 1, origin at the top-left,
// with no half-pixel shift.
TEST(RenderGl, ScreenQuadCoversExactlyItsRectangle) {
    REQUIRE_GL();
    Plain();
    // Enough empty quads first that the streaming buffer starts over.
    for (int i = 0; i < 5000; ++i) Rect(0, 0, 0, 0, 0xFFFFFFFFu);
    Rect(10, 20, 30, 25, 0xFFFFFFFFu);
    std::vector<uint8_t> img = ReadView();
    int lit = 0, minX = 800, maxX = -1, minY = 600, maxY = -1;
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x)
            if (PixelAt(img, x, y)[0] > 128) {
                ++lit;
                minX = std::min(minX, x);
                maxX = std::max(maxX, x);
                minY = std::min(minY, y);
                maxY = std::max(maxY, y);
            }
    EXPECT_EQ(lit, 100);
    EXPECT_EQ(minX, 10);
    EXPECT_EQ(maxX, 29);
    EXPECT_EQ(minY, 20);
    EXPECT_EQ(maxY, 24);
}

// Texel (200, 100, 50, 128) and diffuse (64, 128, 255, 192).
TEST(RenderGl, TextureStageOperations) {
    REQUIRE_GL();
    AlphaTarget target;
    ASSERT_NE(target.rt, nullptr);
    Plain(target.rt);
    const uint8_t texel[4] = {200, 100, 50, 128};
    RdTexture* tex = RdCreateTexture(1, 1, texel);
    ASSERT_NE(tex, nullptr);
    const uint32_t diffuse = Argb(192, 64, 128, 255);
    auto draw = [&](RdTexture* t, int colorOp, int alphaOp) {
        RdSetTexture(t);
        RdSetColorOp(colorOp);
        RdSetAlphaOp(alphaOp);
        Rect(0, 0, 4, 4, diffuse);
        return Read(1, 1, 1, 1);
    };
    auto mod = [](double a, double b) { return a * b / 255.0; };
    auto p = draw(tex, RD_TOP_MODULATE, RD_TOP_MODULATE);
    ExpectRgba(p.data(), mod(200, 64), mod(100, 128), mod(50, 255), mod(128, 192));
    p = draw(tex, RD_TOP_SELECTARG1, RD_TOP_SELECTARG1);
    ExpectRgba(p.data(), 200, 100, 50, 128);
    p = draw(tex, RD_TOP_SELECTARG2, RD_TOP_SELECTARG2);
    ExpectRgba(p.data(), 64, 128, 255, 192);
    p = draw(tex, RD_TOP_SELECTARG1, RD_TOP_SELECTARG2);
    ExpectRgba(p.data(), 200, 100, 50, 192);
    // With no texture an operation that reads it passes the diffuse colour.
    p = draw(nullptr, RD_TOP_MODULATE, RD_TOP_MODULATE);
    ExpectRgba(p.data(), 64, 128, 255, 192);
    p = draw(nullptr, RD_TOP_SELECTARG1, RD_TOP_SELECTARG1);
    ExpectRgba(p.data(), 64, 128, 255, 192);
    // Arguments swapped: arg1 diffuse, arg2 texture.
    RdSetColorArgs(RD_TA_DIFFUSE, RD_TA_TEXTURE);
    p = draw(tex, RD_TOP_SELECTARG2, RD_TOP_MODULATE);
    ExpectRgba(p.data(), 200, 100, 50, mod(128, 192));
    RdReleaseTexture(tex);
}

TEST(RenderGl, SourceAlphaAndShadowBlending) {
    REQUIRE_GL();
    Plain();
    RdClear(Argb(255, 100, 150, 200), 1.0f);
    RdSetAlphaBlend(true);
    RdSetBlend(RD_BLEND_SRCALPHA, RD_BLEND_INVSRCALPHA);
    Rect(0, 0, 8, 8, Argb(64, 255, 0, 40));
    double a = 64 / 255.0;
    auto p = Read(2, 2, 1, 1);
    ExpectRgba(p.data(), 255 * a + 100 * (1 - a), 0 * a + 150 * (1 - a), 40 * a + 200 * (1 - a),
               -1);

    // The shadow: dest * (1 - 0.3 * texel), the texel modulated by a 0.3 grey.
    RdClear(Argb(255, 100, 150, 200), 1.0f);
    RdSetBlend(RD_BLEND_ZERO, RD_BLEND_INVSRCCOLOR);
    const uint8_t texel[4] = {255, 128, 0, 255};
    RdTexture* tex = RdCreateTexture(1, 1, texel);
    RdSetTexture(tex);
    Rect(0, 0, 8, 8, Argb(255, 77, 77, 77));  // 0.3 as the colour conversion packs it
    p = Read(2, 2, 1, 1);
    ExpectRgba(p.data(), 100 * (1 - 0.3 * 1.0), 150 * (1 - 0.3 * 128 / 255.0), 200, -1);
    RdReleaseTexture(tex);
    RdSetAlphaBlend(false);
}

// Lighting on, a world quad without normals: only ambient and emissive,
// alpha from the vertex; unlit, the vertex colour shows.
TEST(RenderGl, LitQuadWithoutNormals) {
    REQUIRE_GL();
    AlphaTarget target;
    ASSERT_NE(target.rt, nullptr);
    Plain(target.rt);
    Material m{};
    m.diffuse = {1, 1, 1, 1};
    m.ambient = {0.5f, 0.25f, 1.0f, 1};
    m.emissive = {0.1f, 0.2f, 0.0f, 1};
    RdSetMaterial(m);
    Light l{};
    l.diffuse = {1, 1, 1, 1};
    l.ambient = {0.4f, 0.8f, 0.6f, 1};
    l.direction = {0, 0, 1};
    RdSetLight(0, l);
    RdEnableLight(0, true);
    RdSetLighting(true);
    Camera(MatIdentity());
    const uint32_t c = Argb(100, 255, 255, 255);
    WorldVertex v[4] = {{-1, 1, 10, c, 0, 0}, {1, 1, 10, c, 1, 0}, {-1, -1, 10, c, 0, 1},
                        {1, -1, 10, c, 1, 1}};
    RdDrawWorldQuad(v);
    auto p = Read(400, 300, 1, 1);
    ExpectRgba(p.data(), 255 * (0.5 * 0.4 + 0.1), 255 * (0.25 * 0.8 + 0.2), 255 * (1.0 * 0.6),
               100);
    RdSetLighting(false);
    RdDrawWorldQuad(v);
    p = Read(400, 300, 1, 1);
    ExpectRgba(p.data(), 255, 255, 255, 100);
    RdEnableLight(0, false);
}

// A mesh square facing the camera under a uniformly scaled world matrix.
// Normals go through the inverse transpose and are not renormalised, so a
// scale of 2 halves N.L. The square is centred on the view axis, so every
// vertex gets the same colour and the expected value is the formula at any one.
TEST(RenderGl, LitMeshMatchesTheLightingFormula) {
    REQUIRE_GL();
    AlphaTarget target;
    ASSERT_NE(target.rt, nullptr);
    Plain(target.rt);
    const float s = 2.0f, z = 20.0f;
    MeshVertex quad[4] = {{-1, 1, 0, 0, 0, -1, 0, 0, 0}, {1, 1, 0, 0, 0, -1, 1, 0, 0},
                          {-1, -1, 0, 0, 0, -1, 0, 1, 0}, {1, -1, 0, 0, 0, -1, 1, 1, 0}};
    const uint32_t idx[6] = {0, 1, 2, 2, 1, 3};
    RdMesh* mesh = RdCreateMesh(quad, 4, idx, 6, false);
    ASSERT_NE(mesh, nullptr);
    Material m{};
    m.diffuse = {0.8f, 0.6f, 0.4f, 0.5f};
    m.ambient = {0.2f, 0.2f, 0.2f, 1};
    m.specular = {0.5f, 1.0f, 0.25f, 1};
    m.emissive = {0.05f, 0.0f, 0.1f, 1};
    m.power = 4.0f;
    RdSetMaterial(m);
    Light l{};
    l.diffuse = {1.0f, 0.9f, 0.8f, 1};
    l.ambient = {0.3f, 0.3f, 0.3f, 1};
    l.specular = {1, 1, 1, 1};
    l.direction = {0.0f, 0.0f, 3.0f};  // not unit: the device normalises it
    RdSetLight(0, l);
    RdEnableLight(0, true);
    RdSetLighting(true);
    RdSetSpecularEnable(true);
    Camera(MakeWorldMatrix({0, 0, 0}, {0, 0, z}, {s, s, s}));
    RdDrawMesh(mesh, 0, 6);

    // The formula at vertex (-1, 1): camera-space position (-2, 2, 20).
    double nz = -1.0 / s;  // inverse transpose of 2I is I/2
    double L[3] = {0, 0, -1};  // -normalize(direction)
    double nl = nz * L[2];
    double vp[3] = {-s, s, z}, vl = std::sqrt(vp[0] * vp[0] + vp[1] * vp[1] + vp[2] * vp[2]);
    double h[3] = {-vp[0] / vl + L[0], -vp[1] / vl + L[1], -vp[2] / vl + L[2]};
    double hl = std::sqrt(h[0] * h[0] + h[1] * h[1] + h[2] * h[2]);
    double nh = nz * h[2] / hl;
    double specularTerm = std::pow(nh, 4.0);
    double cd[3] = {0.8, 0.6, 0.4}, ld[3] = {1.0, 0.9, 0.8}, cs[3] = {0.5, 1.0, 0.25},
           ce[3] = {0.05, 0.0, 0.1};
    double expect[3];
    for (int i = 0; i < 3; ++i) {
        double c = std::min(1.0, 0.2 * 0.3 + cd[i] * ld[i] * nl + ce[i]);
        expect[i] = 255 * std::min(1.0, c + cs[i] * specularTerm);
    }
    auto p = Read(400, 300, 1, 1);
    ExpectRgba(p.data(), expect[0], expect[1], expect[2], 255 * 0.5);

    // Specular switched off leaves the lit diffuse colour only.
    RdSetSpecularEnable(false);
    RdDrawMesh(mesh, 0, 6);
    p = Read(400, 300, 1, 1);
    ExpectRgba(p.data(), 255 * (0.06 + 0.8 * nl + 0.05), 255 * (0.06 + 0.6 * 0.9 * nl),
               255 * (0.06 + 0.4 * 0.8 * nl + 0.1), 255 * 0.5);

    // Turned away from the light: ambient and emissive only.
    Camera(MakeWorldMatrix({0, 180, 0}, {0, 0, z}, {s, s, s}));
    RdDrawMesh(mesh, 0, 6);
    p = Read(400, 300, 1, 1);
    ExpectRgba(p.data(), 255 * 0.11, 255 * 0.06, 255 * 0.16, 255 * 0.5);
    RdReleaseMesh(mesh);
    RdSetLighting(false);
    RdEnableLight(0, false);
}

// A mesh with vertex colours takes its diffuse from them when lit; one
// without takes the material's, and shows white unlit.
TEST(RenderGl, MeshVertexColourSource) {
    REQUIRE_GL();
    Plain();
    const uint32_t c = Argb(255, 255, 0, 128);
    MeshVertex quad[4] = {{-1, 1, 0, 0, 0, -1, 0, 0, c}, {1, 1, 0, 0, 0, -1, 1, 0, c},
                          {-1, -1, 0, 0, 0, -1, 0, 1, c}, {1, -1, 0, 0, 0, -1, 1, 1, c}};
    const uint32_t idx[6] = {0, 1, 2, 2, 1, 3};
    RdMesh* coloured = RdCreateMesh(quad, 4, idx, 6, true);
    RdMesh* plain = RdCreateMesh(quad, 4, idx, 6, false);
    Material m{};
    m.diffuse = {0.2f, 0.4f, 0.6f, 1};
    RdSetMaterial(m);
    Light l{};
    l.diffuse = {1, 1, 1, 1};
    l.direction = {0, 0, 1};
    RdSetLight(0, l);
    RdEnableLight(0, true);
    RdSetLighting(true);
    Camera(MakeWorldMatrix({0, 0, 0}, {0, 0, 20}, {1, 1, 1}));
    RdDrawMesh(coloured, 0, 6);
    ExpectRgba(Read(400, 300, 1, 1).data(), 255, 0, 128, 255);
    RdDrawMesh(plain, 0, 6);
    ExpectRgba(Read(400, 300, 1, 1).data(), 51, 102, 153, 255);
    RdSetLighting(false);
    RdDrawMesh(plain, 0, 6);
    ExpectRgba(Read(400, 300, 1, 1).data(), 255, 255, 255, 255);
    // Out-of-range index lists are refused, not drawn.
    const uint32_t bad[3] = {0, 1, 4};
    EXPECT_EQ(RdCreateMesh(quad, 4, bad, 3, false), nullptr);
    RdReleaseMesh(coloured);
    RdReleaseMesh(plain);
    RdEnableLight(0, false);
}

// Counter-clockwise culling removes the triangles that appear
// counter-clockwise on screen; sprites (top-left, top-right, bottom-left,
// bottom-right) are clockwise and survive it. The same holds in the
// off-screen target, whose rows are stored the other way up (the shadow's
// silhouette is drawn there with culling on).
TEST(RenderGl, CullingFollowsScreenWinding) {
    REQUIRE_GL();
    RdRenderTarget* small = RdCreateRenderTarget(256, 256);
    ASSERT_NE(small, nullptr);
    // Left triangle: top, bottom-right, bottom-left (clockwise on screen).
    // Right triangle: top, bottom-left, bottom-right (counter-clockwise).
    MeshVertex v[6] = {{-3, 1, 100, 0, 0, 0, 0, 0, 0},  {-2, -1, 100, 0, 0, 0, 0, 0, 0},
                       {-4, -1, 100, 0, 0, 0, 0, 0, 0}, {3, 1, 100, 0, 0, 0, 0, 0, 0},
                       {2, -1, 100, 0, 0, 0, 0, 0, 0},  {4, -1, 100, 0, 0, 0, 0, 0, 0}};
    const uint32_t idx[6] = {0, 1, 2, 3, 4, 5};
    RdMesh* mesh = RdCreateMesh(v, 6, idx, 6, false);
    auto visible = [&](RdRenderTarget* into, int cull) {
        Plain(into);
        Camera(MatIdentity());
        RdSetCullMode(cull);
        RdDrawMesh(mesh, 0, 6);
        Rect(0, 0, 10, 10, 0xFFFFFFFFu);
        // Where the triangles' centroids land in this viewport.
        const Viewport vp = RdGetViewport();
        const Matrix view = MakeViewMatrix({0, 0, 0}, {0, 0, 1});
        const Matrix proj = MakeProjectionMatrix();
        const Vec3 l = ProjectPoint({-3, -1.0f / 3, 100}, vp, proj, view, MatIdentity());
        const Vec3 r = ProjectPoint({3, -1.0f / 3, 100}, vp, proj, view, MatIdentity());
        auto lit = [&](float x, float y) {
            return Read(static_cast<int>(x), static_cast<int>(y), 1, 1)[0] > 128;
        };
        return std::make_tuple(lit(l.x, l.y), lit(r.x, r.y), lit(5, 5));
    };
    for (RdRenderTarget* into : {static_cast<RdRenderTarget*>(nullptr), small}) {
        SCOPED_TRACE(into ? "256 x 256 target" : "back buffer");
        EXPECT_EQ(visible(into, RD_CULL_NONE), std::make_tuple(true, true, true));
        EXPECT_EQ(visible(into, RD_CULL_CCW), std::make_tuple(true, false, true));
        EXPECT_EQ(visible(into, RD_CULL_CW), std::make_tuple(false, true, false));
    }
    RdReleaseMesh(mesh);
    RdReleaseRenderTarget(small);
    RdSetRenderTarget(nullptr);
    RdSetCullMode(RD_CULL_NONE);
}

// Less-or-equal: an equal depth passes, a farther one does not.
TEST(RenderGl, DepthTestLessEqual) {
    REQUIRE_GL();
    Plain();
    RdSetZEnable(true);
    Rect(0, 0, 8, 8, 0xFFFF0000u, 0.5f);
    Rect(0, 0, 8, 8, 0xFF00FF00u, 0.5f);
    Rect(0, 0, 8, 8, 0xFF0000FFu, 0.6f);
    ExpectRgba(Read(3, 3, 1, 1).data(), 0, 255, 0, 255);
    // World geometry beyond the far plane (1000) is clipped.
    Camera(MatIdentity());
    WorldVertex far[4] = {{-500, 500, 1500, 0xFFFFFFFFu, 0, 0}, {500, 500, 1500, 0xFFFFFFFFu, 1, 0},
                          {-500, -500, 1500, 0xFFFFFFFFu, 0, 1},
                          {500, -500, 1500, 0xFFFFFFFFu, 1, 1}};
    RdDrawWorldQuad(far);
    ExpectRgba(Read(400, 300, 1, 1).data(), 0, 0, 0, 255);
    RdSetZEnable(false);
}

TEST(RenderGl, PointAndLinearFiltering) {
    REQUIRE_GL();
    Plain();
    const uint8_t texels[8] = {0, 0, 0, 255, 255, 255, 255, 255};
    RdTexture* tex = RdCreateTexture(2, 1, texels);
    RdSetTexture(tex);
    ScreenVertex v[4] = {{0, 0, 0, 1, 0xFFFFFFFFu, 0, 0}, {100, 0, 0, 1, 0xFFFFFFFFu, 1, 0},
                         {0, 4, 0, 1, 0xFFFFFFFFu, 0, 1}, {100, 4, 0, 1, 0xFFFFFFFFu, 1, 1}};
    RdDrawScreenQuad(v);
    auto row = Read(0, 1, 100, 1);
    EXPECT_EQ(row[45 * 4], 0);
    EXPECT_EQ(row[55 * 4], 255);
    RdSetFilter(true);
    RdDrawScreenQuad(v);
    row = Read(0, 1, 100, 1);
    EXPECT_GT(row[45 * 4], 60);
    EXPECT_LT(row[45 * 4], 195);
    RdSetFilter(false);
    RdReleaseTexture(tex);
}

// Drawing into the 256 x 256 target and back: its viewport while active, the
// back buffer's afterwards, and its top row first when used as a texture.
TEST(RenderGl, RenderTargetRoundTrip) {
    REQUIRE_GL();
    Plain();
    RdRenderTarget* rt = RdCreateRenderTarget(256, 256);
    ASSERT_NE(rt, nullptr);
    RdSetRenderTarget(rt);
    Viewport vp = RdGetViewport();
    EXPECT_EQ(vp.width, 256);
    EXPECT_EQ(vp.height, 256);
    RdClear(0xFF00FF00u, 1.0f);
    Rect(0, 0, 256, 128, 0xFFFF0000u);
    ExpectRgba(Read(10, 10, 1, 1).data(), 255, 0, 0, 255);
    ExpectRgba(Read(10, 200, 1, 1).data(), 0, 255, 0, 255);
    RdSetRenderTarget(nullptr);
    vp = RdGetViewport();
    EXPECT_EQ(vp.width, 800);
    EXPECT_EQ(vp.height, 600);

    RdClear(0xFF000000u, 1.0f);
    RdSetTexture(RdRenderTargetTexture(rt));
    Rect(100, 100, 356, 356, 0xFFFFFFFFu);
    ExpectRgba(Read(200, 110, 1, 1).data(), 255, 0, 0, 255);
    ExpectRgba(Read(200, 340, 1, 1).data(), 0, 255, 0, 255);
    // The back buffer outside the sprite was not touched by the target's clear.
    ExpectRgba(Read(50, 50, 1, 1).data(), 0, 0, 0, 255);
    RdSetTexture(nullptr);
    RdReleaseRenderTarget(rt);
}

// A present asked to be captured stays readable while the next frame is
// drawn; one that was not asked leaves nothing to read.
TEST(RenderGl, LastFrameIsTheCapturedPresent) {
    REQUIRE_GL();
    Plain();
    RdClear(Argb(255, 10, 20, 30), 1.0f);
    Rect(0, 0, 1, 1, 0xFFFFFFFFu);
    Rect(799, 599, 800, 600, 0xFF0000FFu);
    RdCaptureNextPresent();
    ASSERT_TRUE(RdPresent());
    RdClear(Argb(255, 200, 100, 50), 1.0f);
    std::vector<uint8_t> frame(800 * 600 * 4);
    ASSERT_TRUE(RdReadLastFrame(frame.data()));
    // Rows top to bottom: the white pixel first, the blue one last.
    ExpectRgba(PixelAt(frame, 0, 0), 255, 255, 255, 255, 0);
    ExpectRgba(PixelAt(frame, 400, 300), 10, 20, 30, 255, 0);
    ExpectRgba(PixelAt(frame, 0, 599), 10, 20, 30, 255, 0);
    ExpectRgba(PixelAt(frame, 799, 599), 0, 0, 255, 255, 0);
    RdCaptureNextPresent();
    ASSERT_TRUE(RdPresent());
    ASSERT_TRUE(RdReadLastFrame(frame.data()));
    ExpectRgba(PixelAt(frame, 400, 300), 200, 100, 50, 255, 0);
    ASSERT_TRUE(RdPresent());
    EXPECT_FALSE(RdReadLastFrame(frame.data()));
    EXPECT_FALSE(RdReadPixels(700, 500, 200, 200, frame.data()));
}

// The frame, the state preset, filtering, the stage light and the redirect
// into the shadow target, through the pixels they produce.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gl_fixture.h"
#include "graphics/device.h"
#include "graphics/sprite.h"
#include "graphics/transform.h"
#include "platform/system.h"
#include "platform/window.h"

namespace {

std::vector<uint8_t> Pixel(int x, int y) {
    std::vector<uint8_t> p(4);
    EXPECT_TRUE(RdReadPixels(x, y, 1, 1, p.data()));
    return p;
}

std::vector<uint8_t> Rgba(int r, int g, int b, int a = 255) {
    return {static_cast<uint8_t>(r), static_cast<uint8_t>(g), static_cast<uint8_t>(b),
            static_cast<uint8_t>(a)};
}

}  // namespace

// Opaque clear from the low 8 bits of each component.
TEST(DeviceFrame, ClearColourAndPresent) {
    REQUIRE_GL();
    BeginFrame(255, 0, 0);
    EXPECT_EQ(Pixel(0, 0), Rgba(255, 0, 0));
    BeginFrame(256 + 10, 0x1FF, -1);
    EXPECT_EQ(Pixel(799, 599), Rgba(10, 255, 255));
    RdCaptureNextPresent();
    EndFrame();
    std::vector<uint8_t> frame(800 * 600 * 4);
    ASSERT_TRUE(RdReadLastFrame(frame.data()));
    EXPECT_EQ(std::vector<uint8_t>(frame.begin(), frame.begin() + 4), Rgba(10, 255, 255));
}

// Only 1 means linear: a 2-texel black/white strip stretched over 100 pixels
// has a hard edge with 0 or 2, a ramp with 1.
TEST(DeviceStates, FilteringFlag) {
    REQUIRE_GL();
    BeginFrame(0, 0, 0);
    SetDefaultRenderStates();
    RdSetLighting(false);
    const uint8_t texels[8] = {0, 0, 0, 255, 255, 255, 255, 255};
    Texture tex{RdCreateTexture(2, 1, texels), 2, 1};
    auto middle = [&](int flag) {
        SetTextureFiltering(flag);
        DrawSprite(&tex, 0, 0, 100, 4, 0, 0, 2, 1, 2, 1, 1, 1, 1, 1);
        return Pixel(45, 1)[0];
    };
    EXPECT_EQ(middle(0), 0);
    EXPECT_EQ(middle(2), 0);
    int ramp = middle(1);
    EXPECT_GT(ramp, 60);
    EXPECT_LT(ramp, 195);
    // The preset itself turns linear filtering on.
    SetTextureFiltering(0);
    SetDefaultRenderStates();
    DrawSprite(&tex, 0, 0, 100, 4, 0, 0, 2, 1, 2, 1, 1, 1, 1, 1);
    EXPECT_EQ(Pixel(45, 1)[0], ramp);
    RdReleaseTexture(tex.handle);
}

// The stage light: diffuse and ambient both its colour, no specular, and a
// direction given at any length. A square facing the camera with the light
// coming in at 60 degrees to its normal: N.L = 0.5.
TEST(DeviceStates, DirectionalLightColours) {
    REQUIRE_GL();
    BeginFrame(0, 0, 0);
    SetDefaultRenderStates();
    MeshVertex quad[4] = {{-1, 1, 0, 0, 0, -1, 0, 0, 0}, {1, 1, 0, 0, 0, -1, 1, 0, 0},
                          {-1, -1, 0, 0, 0, -1, 0, 1, 0}, {1, -1, 0, 0, 0, -1, 1, 1, 0}};
    const uint32_t idx[6] = {0, 1, 2, 2, 1, 3};
    RdMesh* mesh = RdCreateMesh(quad, 4, idx, 6, false);
    Material m{};
    m.diffuse = {0.6f, 0.4f, 1.0f, 1};
    m.ambient = {0.2f, 0.4f, 0.0f, 1};
    m.specular = {1, 1, 1, 1};
    m.power = 1.0f;
    RdSetMaterial(m);
    RdSetTexture(nullptr);
    // Direction (0, -sqrt 3, 1) * 7: towards +z and downwards.
    SetDirectionalLight(0, {0.0f, -1.7320508f * 7.0f, 7.0f}, 0.5f, 1.0f, 0.8f, 1.0f);
    ApplyTransforms(TransformSet{MakeWorldMatrix({0, 0, 0}, {0, 0, 20}, {1, 1, 1}),
                                 MakeViewMatrix({0, 0, 0}, {0, 0, 1}), MakeProjectionMatrix()});
    RdDrawMesh(mesh, 0, 6);
    std::vector<uint8_t> p = Pixel(400, 300);
    const double c[3] = {0.5, 1.0, 0.8}, cd[3] = {0.6, 0.4, 1.0}, ca[3] = {0.2, 0.4, 0.0};
    for (int i = 0; i < 3; ++i)
        EXPECT_NEAR(p[i], 255 * std::min(1.0, ca[i] * c[i] + cd[i] * c[i] * 0.5), 2) << i;
    RdReleaseMesh(mesh);
    RdEnableLight(0, false);
}

// Into the 256 x 256 target and back: the target is cleared to the given
// colour, and afterwards the back buffer, its contents and its viewport are
// as they were.
TEST(DeviceTarget, RedirectAndBack) {
    REQUIRE_GL();
    RenderTarget rt{};
    ASSERT_EQ(CreateRenderTarget(&rt, 256, 256), 1);
    BeginFrame(0, 0, 90);
    SetDefaultRenderStates();
    RdSetLighting(false);
    DrawSprite(nullptr, 300, 300, 310, 310, 0, 0, 1, 1, 1, 1, 1, 1, 1, 1);
    RedirectRendering(&rt, 256, 256, 0, 255, 0);
    EXPECT_EQ(RdGetViewport().width, 256);
    EXPECT_EQ(RdGetViewport().height, 256);
    EXPECT_EQ(Pixel(255, 255), Rgba(0, 255, 0));
    DrawSprite(nullptr, 0, 0, 128, 256, 0, 0, 1, 1, 1, 1, 1, 0, 0, 1);
    EXPECT_EQ(Pixel(10, 10), Rgba(255, 0, 0));
    RedirectRendering(nullptr, 256, 256, 0, 0, 0);
    Viewport vp = RdGetViewport();
    EXPECT_EQ(vp.x, 0);
    EXPECT_EQ(vp.width, 800);
    EXPECT_EQ(vp.height, 600);
    EXPECT_EQ(Pixel(305, 305), Rgba(255, 255, 255));
    EXPECT_EQ(Pixel(600, 100), Rgba(0, 0, 90));
    // The target's picture, drawn as a texture: left half red, right green.
    Texture shadow{RenderTargetTexture(rt), 256, 256};
    DrawSprite(&shadow, 0, 0, 256, 256, 0, 0, 256, 256, 256, 256, 1, 1, 1, 1);
    EXPECT_EQ(Pixel(20, 200), Rgba(255, 0, 0));
    EXPECT_EQ(Pixel(200, 20), Rgba(0, 255, 0));
    ReleaseRenderTarget(&rt);
    EXPECT_EQ(rt.target, nullptr);

    // A target that was never created redirects nothing and clears nothing.
    RenderTarget none{};
    RedirectRendering(&none, 256, 256, 255, 255, 255);
    EXPECT_EQ(RdGetViewport().width, 800);
    EXPECT_EQ(Pixel(600, 100), Rgba(0, 0, 90));
    RedirectRendering(nullptr, 256, 256, 0, 0, 0);
}

// Without a window the device cannot be made: the Japanese message, then
// the quit request.
TEST(DeviceLife, FailedCreationReportsAndQuits) {
    RdRelease();
    PlatformDestroyWindow();
    ResetQuit();
    testing::internal::CaptureStderr();
    EXPECT_EQ(InitRenderDevice(), 0);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("DirectXの初期化に失敗しました"), std::string::npos);
    EXPECT_TRUE(QuitRequested());
    EXPECT_FALSE(RdIsCreated());
    ResetQuit();
}

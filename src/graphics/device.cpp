// The render device and frame: creation, begin and end of a frame, the
// render-state preset, filtering, the stage light and the shadow target.
#include "graphics/device.h"

#include "platform/render.h"
#include "platform/messages.h"

int InitRenderDevice() {
    if (RdCreate()) return 1;
    // The start-up scene carries on without a device; the loop ends at its next turn.
    ShowFatal(MsgDeviceFailed);
    return 0;
}

// Opaque clear colour from the low 8 bits of each component.
void BeginFrame(int r, int g, int b) {
    RdBeginScene();
    uint32_t argb = 0xFF000000u | static_cast<uint32_t>(r & 0xFF) << 16 |
                    static_cast<uint32_t>(g & 0xFF) << 8 | static_cast<uint32_t>(b & 0xFF);
    RdClear(argb, 1.0f);
}

// A GL window has no lost device to reset: a failed present is simply
// tried again with the next frame.
void EndFrame() {
    RdEndScene();
    RdPresent();
}

void ReleaseRenderDevice() { RdRelease(); }

// Every drawn pixel: texture times vertex or material colour, blended by its
// alpha over what is behind it, depth-tested, lit. The alpha arguments stay
// at texture and current (the diffuse alpha).
void SetDefaultRenderStates() {
    RdSetColorArgs(RD_TA_TEXTURE, RD_TA_DIFFUSE);
    RdSetColorOp(RD_TOP_MODULATE);
    RdSetAlphaOp(RD_TOP_MODULATE);
    RdSetSpecularEnable(true);
    RdSetAlphaBlend(true);
    RdSetBlend(RD_BLEND_SRCALPHA, RD_BLEND_INVSRCALPHA);
    RdSetZEnable(true);
    RdSetLighting(true);
    RdSetFilter(true);
}

// Only 1 selects linear filtering; any other value means nearest texel.
void SetTextureFiltering(int linear) { RdSetFilter(linear == 1); }

void SetDirectionalLight(int index, Vec3 direction, float r, float g, float b, float a) {
    Light light{};
    light.diffuse = Color4{r, g, b, a};
    light.ambient = Color4{r, g, b, a};
    light.direction = Normalize(direction);
    RdSetLight(index, light);
    RdEnableLight(index, true);
}

int CreateRenderTarget(RenderTarget* out, int width, int height) {
    out->target = RdCreateRenderTarget(width, height);
    return out->target ? 1 : 0;
}

void ReleaseRenderTarget(RenderTarget* rt) {
    RdReleaseRenderTarget(rt->target);
    rt->target = nullptr;
}

RdTexture* RenderTargetTexture(const RenderTarget& rt) { return RdRenderTargetTexture(rt.target); }

// Without a created target both calls do nothing, so a failed creation never
// clears part of the back buffer or leaves rendering half redirected.
void RedirectRendering(RenderTarget* rt, int width, int height, int r, int g, int b) {
    if (rt == nullptr) {
        RdSetRenderTarget(nullptr);
        return;
    }
    if (rt->target == nullptr) return;
    RdSetRenderTarget(rt->target);
    RdSetViewport(Viewport{0, 0, width, height, 0.0f, 1.0f});
    uint32_t argb = 0xFF000000u | static_cast<uint32_t>(r & 0xFF) << 16 |
                    static_cast<uint32_t>(g & 0xFF) << 8 | static_cast<uint32_t>(b & 0xFF);
    RdClear(argb, 1.0f);
}

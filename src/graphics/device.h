// The render device and frame: creation, the per-frame begin and end, the
// render-state preset every scene applies, filtering, the stage light and
// the off-screen target used for the player's shadow.
#pragma once
#include "core/math3d.h"

struct RdTexture;
struct RdRenderTarget;

struct RenderTarget {
    RdRenderTarget* target;  // texture, surface and depth surface in one
};

int InitRenderDevice();
void BeginFrame(int r, int g, int b);
void EndFrame();
void ReleaseRenderDevice();
void SetDefaultRenderStates();
void SetTextureFiltering(int linear);
void SetDirectionalLight(int index, Vec3 direction, float r, float g, float b, float a);
int CreateRenderTarget(RenderTarget* out, int width, int height);
void ReleaseRenderTarget(RenderTarget* rt);
RdTexture* RenderTargetTexture(const RenderTarget& rt);
// With a target: draw into it, viewport = its size, cleared to (r, g, b) and depth 1.
// With null: back to the back buffer and the saved viewport.
void RedirectRendering(RenderTarget* rt, int width, int height, int r, int g, int b);

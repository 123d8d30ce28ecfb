// Placeholder: the render device lands with the graphics work.
#include "graphics/device.h"
int InitRenderDevice() { return 0; }
void BeginFrame(int, int, int) {}
void EndFrame() {}
void ReleaseRenderDevice() {}
void SetDefaultRenderStates() {}
void SetTextureFiltering(int) {}
void SetDirectionalLight(int, Vec3, float, float, float, float) {}
int CreateRenderTarget(RenderTarget* out, int, int) { out->target = nullptr; return 0; }
void ReleaseRenderTarget(RenderTarget* rt) { rt->target = nullptr; }
RdTexture* RenderTargetTexture(const RenderTarget&) { return nullptr; }
void RedirectRendering(RenderTarget*, int, int, int, int, int) {}

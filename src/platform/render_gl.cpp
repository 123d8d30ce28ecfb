// The render device on OpenGL 3.3 core.
#include "platform/render.h"

#include "platform/window.h"

namespace {
struct DeviceState {
    Matrix transforms[3];
    Viewport viewport;
};
DeviceState g_rd = {{}, {0, 0, kViewWidth, kViewHeight, 0.0f, 1.0f}};
}  // namespace

void RdSetTransform(int which, const Matrix& m) {
    if (which < RD_WORLD || which > RD_PROJECTION) return;
    g_rd.transforms[which] = m;
}

Viewport RdGetViewport() { return g_rd.viewport; }

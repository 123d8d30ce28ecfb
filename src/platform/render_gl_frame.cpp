// The back buffer at the window's own size: the picture's rectangle in it
// (the largest of the view's 4:3 shape, black bars around), viewports in
// view units mapped onto that rectangle, clears, the present with its bars
// and captures, and reading pixels back.
//
// Screen quads keep their 800 x 600 positions: the shader places them
// within the viewport, and the viewport is what is mapped, so sprites and
// the 3D scene are both drawn at the window's real pixel size. In a window
// of exactly 800 x 600 the mapping is the identity and every GL call is the
// one an 800 x 600 device would make.
#include <SDL.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/render_gl_internal.h"
#include "platform/sdl_window.h"

namespace rdgl {
namespace {

bool CreateOffscreenFrame(int w, int h) {
    glGenFramebuffers(1, &g.frameFbo);
    glGenRenderbuffers(1, &g.frameColour);
    glGenRenderbuffers(1, &g.frameDepth);
    glBindRenderbuffer(GL_RENDERBUFFER, g.frameDepth);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, w, h);
    glBindRenderbuffer(GL_RENDERBUFFER, g.frameColour);
    // No alpha channel, like the window's own buffer: reads give 255.
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGB8, w, h);
    glBindFramebuffer(GL_FRAMEBUFFER, g.frameFbo);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, g.frameColour);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER,
                              g.frameDepth);
    const bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    glBindFramebuffer(GL_FRAMEBUFFER, CurrentFbo());
    return complete;
}

bool SameRect(const ViewRect& a, const ViewRect& b) {
    return a.x == b.x && a.y == b.y && a.w == b.w && a.h == b.h;
}

// A rectangle given from the framebuffer's top-left corner, as GL takes it.
int GlRow(int top, int height, int framebufferHeight) {
    return DrawingToWindow() ? framebufferHeight - top - height : top;
}

// Reads rows of the framebuffer fbo (rows stored bottom up when bottomUp,
// `height` rows in all) into rgba, top row first.
bool ReadFrom(GLuint fbo, bool bottomUp, int height, int x, int y, int w, int h, uint8_t* rgba) {
    while (glGetError() != GL_NO_ERROR) {
    }
    glBindFramebuffer(GL_READ_FRAMEBUFFER, fbo);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, bottomUp ? height - y - h : y, w, h, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, CurrentFbo());
    if (bottomUp) {
        const size_t row = static_cast<size_t>(w) * 4;
        for (int i = 0; i < h / 2; ++i)
            std::swap_ranges(rgba + row * i, rgba + row * (i + 1), rgba + row * (h - 1 - i));
    }
    return glGetError() == GL_NO_ERROR;
}

// Black over whatever of the window the picture does not cover.
void ClearBars() {
    const ViewRect& v = g.windowView;
    const int W = g.drawableW, H = g.drawableH;
    if (v.x == 0 && v.y == 0 && v.w == W && v.h == H) return;
    const ViewRect bars[4] = {{0, 0, W, v.y},
                              {0, v.y + v.h, W, H - v.y - v.h},
                              {0, v.y, v.x, v.h},
                              {v.x + v.w, v.y, W - v.x - v.w, v.h}};
    glEnable(GL_SCISSOR_TEST);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    for (const ViewRect& b : bars) {
        if (b.w <= 0 || b.h <= 0) continue;
        glScissor(b.x, H - b.y - b.h, b.w, b.h);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    glDisable(GL_SCISSOR_TEST);
}

}  // namespace

void ReleaseOffscreenFrame() {
    if (g.frameFbo) glDeleteFramebuffers(1, &g.frameFbo);
    if (g.frameColour) glDeleteRenderbuffers(1, &g.frameColour);
    if (g.frameDepth) glDeleteRenderbuffers(1, &g.frameDepth);
    g.frameFbo = g.frameColour = g.frameDepth = 0;
}

bool UpdateFrameGeometry() {
    int dw = kViewWidth, dh = kViewHeight;
    if (PlatformSdlWindow()) SDL_GL_GetDrawableSize(PlatformSdlWindow(), &dw, &dh);
    const ViewRect fit = FitView(dw, dh, PlatformDisplayOptions().integerScaling);
    const bool first = g.frameFbo == 0 && !g.created;
    if (!first && dw == g.drawableW && dh == g.drawableH && SameRect(fit, g.windowView)) return true;
    FlushQuads();
    g.drawableW = dw;
    g.drawableH = dh;
    g.windowView = fit;
    if (g.direct) {
        g.frameW = dw;
        g.frameH = dh;
        g.frameView = fit;
    } else {
        // Off-screen, the frame is the picture alone; a minimised window
        // keeps the last one.
        if (fit.w > 0 && fit.h > 0 && (g.frameFbo == 0 || fit.w != g.frameW || fit.h != g.frameH)) {
            ReleaseOffscreenFrame();
            if (!CreateOffscreenFrame(fit.w, fit.h)) return false;
            g.frameW = fit.w;
            g.frameH = fit.h;
        }
        g.frameView = ViewRect{0, 0, g.frameW, g.frameH};
    }
    if (g.created && g.target == nullptr) ApplyViewport();
    return true;
}

void ViewportPixels(int* x, int* y, int* w, int* h) {
    const Viewport& vp = g.viewport;
    if (g.target) {
        *x = vp.x;
        *y = vp.y;
        *w = vp.width;
        *h = vp.height;
        return;
    }
    const ViewRect& r = g.frameView;
    const int x0 = ViewEdgeToPixel(vp.x, kViewWidth, r.x, r.w);
    const int x1 = ViewEdgeToPixel(vp.x + vp.width, kViewWidth, r.x, r.w);
    const int y0 = ViewEdgeToPixel(vp.y, kViewHeight, r.y, r.h);
    const int y1 = ViewEdgeToPixel(vp.y + vp.height, kViewHeight, r.y, r.h);
    *x = x0;
    *w = x1 - x0;
    *h = y1 - y0;
    *y = GlRow(y0, *h, g.frameH);
}

// Viewports are given from the top-left corner of the target, in view units
// for the back buffer; the window's buffer counts rows from the bottom.
void ApplyViewport() {
    int x, y, w, h;
    ViewportPixels(&x, &y, &w, &h);
    glViewport(x, y, w, h);
    glDepthRange(g.viewport.minZ, g.viewport.maxZ);
    ++g.frameVersion;
}

}  // namespace rdgl

using rdgl::g;

void RdBeginScene() {}
void RdEndScene() {}

// Clears the viewport's rectangle, as the original device did.
void RdClear(uint32_t argb, float depth) {
    if (!g.created) return;
    rdgl::FlushQuads();
    int tw = g.target ? g.target->texture.width : g.frameW;
    int th = g.target ? g.target->texture.height : g.frameH;
    int x, y, w, h;
    rdgl::ViewportPixels(&x, &y, &w, &h);
    const bool partial = x != 0 || y != 0 || w != tw || h != th;
    if (partial) {
        glEnable(GL_SCISSOR_TEST);
        glScissor(x, y, w, h);
    }
    glClearColor(((argb >> 16) & 0xFF) / 255.0f, ((argb >> 8) & 0xFF) / 255.0f,
                 (argb & 0xFF) / 255.0f, ((argb >> 24) & 0xFF) / 255.0f);
    glClearDepth(depth);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (partial) glDisable(GL_SCISSOR_TEST);
}

void RdCaptureNextPresent() { g.captureNext = true; }

bool RdPresent() {
    if (!g.created) return false;
    rdgl::FlushQuads();
    SDL_Window* window = PlatformSdlWindow();
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    if (!g.direct) {
        // The frame is stored top row first; the window's first row is its bottom.
        const ViewRect& v = g.windowView;
        glBindFramebuffer(GL_READ_FRAMEBUFFER, g.frameFbo);
        glBlitFramebuffer(0, 0, g.frameW, g.frameH, v.x, g.drawableH - v.y, v.x + v.w,
                          g.drawableH - v.y - v.h, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    }
    rdgl::ClearBars();
    // The picture as presented, the whole window.
    g.lastCaptured = false;
    if (g.captureNext && g.drawableW > 0 && g.drawableH > 0) {
        const size_t bytes = static_cast<size_t>(g.drawableW) * g.drawableH * 4;
        if (bytes > g.lastFrameBytes) {
            // Only when the window grew: not a cost of every frame.
            void* grown = std::realloc(g.lastFrame, bytes);
            if (grown != nullptr) {
                g.lastFrame = static_cast<uint8_t*>(grown);
                g.lastFrameBytes = bytes;
            }
        }
        if (bytes <= g.lastFrameBytes &&
            rdgl::ReadFrom(0, true, g.drawableH, 0, 0, g.drawableW, g.drawableH, g.lastFrame)) {
            g.lastCaptured = true;
            g.lastW = g.drawableW;
            g.lastH = g.drawableH;
            g.lastView = g.windowView;
        }
    }
    g.captureNext = false;
    glBindFramebuffer(GL_FRAMEBUFFER, rdgl::CurrentFbo());
    if (window) SDL_GL_SwapWindow(window);
    // The next frame is drawn at the size the window has now.
    rdgl::UpdateFrameGeometry();
    // From the second frame on (the first is the loading picture, which
    // shows while everything else loads), the next program the game will
    // need is built while the frame has time to spare.
    if (++g.presents >= 2) rdgl::BuildAheadOfNeed();
    return true;
}

bool RdReadLastFrame(uint8_t* rgba) {
    if (!g.created || !g.lastCaptured || rgba == nullptr) return false;
    const ViewRect& v = g.lastView;
    if (v.w != kViewWidth || v.h != kViewHeight) return false;
    const size_t row = static_cast<size_t>(kViewWidth) * 4;
    for (int y = 0; y < kViewHeight; ++y) {
        std::memcpy(rgba + row * y, g.lastFrame + (static_cast<size_t>(v.y + y) * g.lastW + v.x) * 4, row);
    }
    return true;
}

bool RdLastPresent(const uint8_t** rgba, int* width, int* height, ViewRect* view) {
    if (!g.created || !g.lastCaptured) return false;
    *rgba = g.lastFrame;
    *width = g.lastW;
    *height = g.lastH;
    *view = g.lastView;
    return true;
}

bool RdReadPixels(int x, int y, int w, int h, uint8_t* rgba) {
    if (!g.created || rgba == nullptr || w <= 0 || h <= 0) return false;
    int tw = g.target ? g.target->texture.width : g.frameW;
    int th = g.target ? g.target->texture.height : g.frameH;
    if (x < 0 || y < 0 || x > tw - w || y > th - h) return false;
    rdgl::FlushQuads();
    return rdgl::ReadFrom(rdgl::CurrentFbo(), rdgl::DrawingToWindow(), th, x, y, w, h, rgba);
}

// The render device on OpenGL 3.3 core: device life, frames and render
// states. Every state is cached: a setter that changes nothing sends
// nothing, and one that changes something first draws the quads queued
// under the old value.
#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/render_gl_internal.h"
#include "platform/sdl_window.h"

namespace rdgl {
Device g;

namespace {

// Quads queued so far only depend on lighting, transforms, material and
// light when they are world quads.
void FlushWorldQuads() {
    if (g.pendingKind == 1) FlushQuads();
}

}  // namespace

namespace {

GLenum BlendFactor(int f) {
    switch (f) {
        case RD_BLEND_ZERO: return GL_ZERO;
        case RD_BLEND_ONE: return GL_ONE;
        case RD_BLEND_SRCCOLOR: return GL_SRC_COLOR;
        case RD_BLEND_INVSRCCOLOR: return GL_ONE_MINUS_SRC_COLOR;
        case RD_BLEND_SRCALPHA: return GL_SRC_ALPHA;
        case RD_BLEND_INVSRCALPHA: return GL_ONE_MINUS_SRC_ALPHA;
        default: return GL_ONE;
    }
}

void ApplyCull() {
    if (g.cull == RD_CULL_CW || g.cull == RD_CULL_CCW) {
        glEnable(GL_CULL_FACE);
        glCullFace(g.cull == RD_CULL_CCW ? GL_BACK : GL_FRONT);
    } else {
        glDisable(GL_CULL_FACE);
    }
}

}  // namespace

// Front faces are the ones clockwise on screen. In a target stored top row
// first, screen and GL window orientation agree, and clockwise on screen is
// GL's counter-clockwise; in the window's own buffer (bottom row first) the
// y axis is mirrored and it is GL's clockwise.
void ApplyFrontFace() {
    const bool ccw = !DrawingToWindow();
    if (ccw == g.frontCcw) return;
    glFrontFace(ccw ? GL_CCW : GL_CW);
    g.frontCcw = ccw;
}

void ResetDevice() {
    static const Device fresh{};  // large: kept off the stack
    std::memcpy(static_cast<void*>(&g), static_cast<const void*>(&fresh), sizeof g);
}

void ResetTextureCache(GLuint name) {
    if (g.boundTexture == name) g.boundTexture = 0;
}

}  // namespace rdgl

using rdgl::g;

bool RdCreate() {
    if (g.created) return true;
    SDL_Window* window = PlatformSdlWindow();
    if (window == nullptr) {
        std::fprintf(stderr, "Zorbat U.F.O.: no window for the render device\n");
        return false;
    }
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GLContext ctx = SDL_GL_CreateContext(window);
    if (ctx == nullptr) {
        std::fprintf(stderr, "Zorbat U.F.O.: no OpenGL 3.3 context (%s)\n", SDL_GetError());
        return false;
    }
    if (epoxy_gl_version() < 33) {
        std::fprintf(stderr, "Zorbat U.F.O.: OpenGL 3.3 is needed\n");
        SDL_GL_DeleteContext(ctx);
        return false;
    }
    // Presents wait for the display's refresh, as the original device did,
    // unless the player turned that off.
    SDL_GL_SetSwapInterval(PlatformDisplayOptions().vsync ? 1 : 0);
    rdgl::ResetDevice();
    g.context = ctx;
    // The frame is drawn into the window itself at whatever size it has;
    // ZORBAT_OFFSCREEN_FRAME draws it off-screen instead (tests compare the two).
    const char* force = std::getenv("ZORBAT_OFFSCREEN_FRAME");
    g.direct = !(force && *force == '1');
    bool ok = rdgl::UpdateFrameGeometry();
    ok = ok && rdgl::CreateQuadStreams();
    if (!ok) {
        std::fprintf(stderr, "Zorbat U.F.O.: the render device cannot be set up\n");
        rdgl::ReleaseOffscreenFrame();
        SDL_GL_DeleteContext(ctx);
        g.context = nullptr;
        return false;
    }
    glBindFramebuffer(GL_FRAMEBUFFER, rdgl::CurrentFbo());
    glActiveTexture(GL_TEXTURE0);
    // Generic values for attributes a vertex does not carry.
    glVertexAttrib3f(1, 0.0f, 0.0f, 0.0f);
    glVertexAttrib4f(2, 1.0f, 1.0f, 1.0f, 1.0f);
    glGenSamplers(1, &g.sampler);
    glSamplerParameteri(g.sampler, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glSamplerParameteri(g.sampler, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glSamplerParameteri(g.sampler, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glSamplerParameteri(g.sampler, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glBindSampler(0, g.sampler);
    // Device defaults: depth test less-or-equal with writes, counter-clockwise
    // faces culled, blending off, lighting on.
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glDepthMask(GL_TRUE);
    glFrontFace(GL_CCW);
    g.frontCcw = true;
    rdgl::ApplyFrontFace();
    rdgl::ApplyCull();
    glDisable(GL_BLEND);
    g.blendOn = false;
    glBlendFunc(GL_ONE, GL_ZERO);
    rdgl::ApplyViewport();
    g.created = true;
    return true;
}

void RdRelease() {
    if (!g.created) return;
    g.pendingCount = 0;
    g.pendingKind = -1;
    rdgl::ReleaseQuadStreams();
    glDeleteSamplers(1, &g.sampler);
    rdgl::ReleaseOffscreenFrame();
    glUseProgram(0);
    for (int i = 0; i < g.programCount; ++i) glDeleteProgram(g.programs[i].name);
    std::free(g.lastFrame);
    SDL_GL_DeleteContext(static_cast<SDL_GLContext>(g.context));
    rdgl::ResetDevice();
}

bool RdIsCreated() { return g.created; }

void RdSetLighting(bool on) {
    if (on == g.lighting) return;
    rdgl::FlushWorldQuads();
    g.lighting = on;
}

void RdSetSpecularEnable(bool on) {
    if (on == g.specular) return;
    rdgl::FlushWorldQuads();
    g.specular = on;
}

// GL_BLEND itself is set per draw (see ApplyBlend).
void RdSetAlphaBlend(bool on) {
    if (on == g.blend) return;
    rdgl::FlushQuads();
    g.blend = on;
}

void RdSetBlend(int src, int dst) {
    if (src == g.blendSrc && dst == g.blendDst) return;
    rdgl::FlushQuads();
    g.blendSrc = src;
    g.blendDst = dst;
    if (g.created) glBlendFunc(rdgl::BlendFactor(src), rdgl::BlendFactor(dst));
}

void RdSetZEnable(bool on) {
    if (on == g.zEnable) return;
    rdgl::FlushQuads();
    g.zEnable = on;
    if (!g.created) return;
    if (on) glEnable(GL_DEPTH_TEST);
    else glDisable(GL_DEPTH_TEST);
}

void RdSetCullMode(int cull) {
    if (cull == g.cull) return;
    rdgl::FlushQuads();
    g.cull = cull;
    if (g.created) rdgl::ApplyCull();
}

void RdSetColorOp(int op) {
    if (op == g.colorOp) return;
    rdgl::FlushQuads();
    g.colorOp = op;
}

void RdSetColorArgs(int arg1, int arg2) {
    if (arg1 == g.colorArg1 && arg2 == g.colorArg2) return;
    rdgl::FlushQuads();
    g.colorArg1 = arg1;
    g.colorArg2 = arg2;
}

void RdSetAlphaOp(int op) {
    if (op == g.alphaOp) return;
    rdgl::FlushQuads();
    g.alphaOp = op;
}

void RdSetAlphaArgs(int arg1, int arg2) {
    if (arg1 == g.alphaArg1 && arg2 == g.alphaArg2) return;
    rdgl::FlushQuads();
    g.alphaArg1 = arg1;
    g.alphaArg2 = arg2;
}

// Minification and magnification together; mip levels are never sampled.
void RdSetFilter(bool linear) {
    if (linear == g.linear) return;
    rdgl::FlushQuads();
    g.linear = linear;
    if (!g.created) return;
    GLint f = linear ? GL_LINEAR : GL_NEAREST;
    glSamplerParameteri(g.sampler, GL_TEXTURE_MIN_FILTER, f);
    glSamplerParameteri(g.sampler, GL_TEXTURE_MAG_FILTER, f);
}

void RdSetTransform(int which, const Matrix& m) {
    if (which < RD_WORLD || which > RD_PROJECTION) return;
    if (std::memcmp(&g.transforms[which], &m, sizeof m) == 0) return;
    rdgl::FlushWorldQuads();
    g.transforms[which] = m;
    ++g.xfVersion;
    if (which == RD_VIEW) ++g.lightVersion;  // the light direction is kept in camera space
}

void RdSetMaterial(const Material& m) {
    if (std::memcmp(&g.material, &m, sizeof m) == 0) return;
    rdgl::FlushWorldQuads();
    g.material = m;
    ++g.materialVersion;
}

// One directional light; the game only uses index 0.
void RdSetLight(int index, const Light& light) {
    if (index != 0) return;
    if (std::memcmp(&g.light, &light, sizeof light) == 0) return;
    rdgl::FlushWorldQuads();
    g.light = light;
    ++g.lightVersion;
}

void RdEnableLight(int index, bool on) {
    if (index != 0 || on == g.lightEnabled) return;
    rdgl::FlushWorldQuads();
    g.lightEnabled = on;
}

Viewport RdGetViewport() { return g.viewport; }

void RdSetViewport(const Viewport& vp) {
    rdgl::FlushQuads();
    g.viewport = vp;
    if (g.created) rdgl::ApplyViewport();
}

void RdSetTexture(RdTexture* t) {
    if (t == g.texture) return;
    rdgl::FlushQuads();
    g.texture = t;
}

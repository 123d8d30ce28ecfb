// The render device on OpenGL 3.3 core: device life, frames, render states
// and the streamed quads. Every state is cached so a draw that changes
// nothing sends nothing but its four vertices.
#include <SDL.h>

#include <cmath>
#include <cstdio>
#include <cstring>

#include "platform/render_gl_internal.h"
#include "platform/sdl_window.h"

namespace rdgl {
Device g;

namespace {

// Ring buffers of quads: 4096 quads each before the storage is renewed.
constexpr int kRingVertices = 4 * 4096;

void SetupStreamVao(GLuint* vao, GLuint* vbo, GLsizei stride, int positionSize) {
    glGenVertexArrays(1, vao);
    glGenBuffers(1, vbo);
    glBindVertexArray(*vao);
    glBindBuffer(GL_ARRAY_BUFFER, *vbo);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(kRingVertices) * stride, nullptr,
                 GL_STREAM_DRAW);
    const GLsizei posBytes = positionSize * 4;
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, positionSize, GL_FLOAT, GL_FALSE, stride, nullptr);
    // ARGB in a little-endian 32-bit word is B, G, R, A in memory.
    glEnableVertexAttribArray(2);
    glVertexAttribPointer(2, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, stride,
                          reinterpret_cast<const void*>(static_cast<intptr_t>(posBytes)));
    glEnableVertexAttribArray(3);
    glVertexAttribPointer(3, 2, GL_FLOAT, GL_FALSE, stride,
                          reinterpret_cast<const void*>(static_cast<intptr_t>(posBytes + 4)));
    g.boundVao = *vao;
}

bool CreateFrames() {
    glGenFramebuffers(2, g.frameFbo);
    glGenRenderbuffers(2, g.frameColour);
    glGenRenderbuffers(1, &g.frameDepth);
    glBindRenderbuffer(GL_RENDERBUFFER, g.frameDepth);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, kViewWidth, kViewHeight);
    for (int i = 0; i < 2; ++i) {
        glBindRenderbuffer(GL_RENDERBUFFER, g.frameColour[i]);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, kViewWidth, kViewHeight);
        glBindFramebuffer(GL_FRAMEBUFFER, g.frameFbo[i]);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER,
                                  g.frameColour[i]);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER,
                                  g.frameDepth);
        if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) return false;
    }
    g.drawFrame = 0;
    glBindFramebuffer(GL_FRAMEBUFFER, g.frameFbo[0]);
    return true;
}

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

// Front faces are the ones clockwise on screen. Frames are stored top row
// first, so screen orientation and GL window orientation agree: clockwise
// on screen is a positive area in window coordinates, GL's counter-clockwise.
void ApplyCull() {
    if (g.cull == RD_CULL_CW || g.cull == RD_CULL_CCW) {
        glEnable(GL_CULL_FACE);
        glCullFace(g.cull == RD_CULL_CCW ? GL_BACK : GL_FRONT);
    } else {
        glDisable(GL_CULL_FACE);
    }
}

void Upload4(GLint loc, const Color4& c) { glUniform4f(loc, c.r, c.g, c.b, c.a); }

// Inverse transpose of the upper 3 x 3 of m (cofactors over the determinant),
// row-major; a singular matrix gives zero normals.
void NormalMatrix(const Matrix& m, float out[9]) {
    const float(*a)[4] = m.m;
    float c[9] = {
        a[1][1] * a[2][2] - a[1][2] * a[2][1], a[1][2] * a[2][0] - a[1][0] * a[2][2],
        a[1][0] * a[2][1] - a[1][1] * a[2][0], a[0][2] * a[2][1] - a[0][1] * a[2][2],
        a[0][0] * a[2][2] - a[0][2] * a[2][0], a[0][1] * a[2][0] - a[0][0] * a[2][1],
        a[0][1] * a[1][2] - a[0][2] * a[1][1], a[0][2] * a[1][0] - a[0][0] * a[1][2],
        a[0][0] * a[1][1] - a[0][1] * a[1][0]};
    float det = a[0][0] * c[0] + a[0][1] * c[1] + a[0][2] * c[2];
    float inv = det != 0.0f ? 1.0f / det : 0.0f;
    for (int i = 0; i < 9; ++i) out[i] = c[i] * inv;
}

// Brings the shader up to date for one draw.
void PrepareDraw(bool screen, bool vertexColour) {
    int vs;
    if (screen) {
        vs = kVsScreen;
        if (g.viewportDirty) {
            glUniform4f(g.u.viewport, static_cast<float>(g.viewport.x),
                        static_cast<float>(g.viewport.y), static_cast<float>(g.viewport.width),
                        static_cast<float>(g.viewport.height));
            g.viewportDirty = false;
        }
    } else {
        vs = (g.lighting ? kVsLighting : 0) | (vertexColour ? kVsVertexColour : 0) |
             (g.lightEnabled ? kVsLightOn : 0) | (g.specular ? kVsSpecular : 0);
        if (g.matricesDirty) {
            Matrix wv = MatMultiply(g.transforms[RD_WORLD], g.transforms[RD_VIEW]);
            glUniformMatrix4fv(g.u.worldView, 1, GL_FALSE, &wv.m[0][0]);
            glUniformMatrix4fv(g.u.proj, 1, GL_FALSE, &g.transforms[RD_PROJECTION].m[0][0]);
            float n[9];
            NormalMatrix(wv, n);
            glUniformMatrix3fv(g.u.normalMat, 1, GL_FALSE, n);
            g.matricesDirty = false;
        }
        if (g.lighting && g.materialDirty) {
            Upload4(g.u.matDiffuse, g.material.diffuse);
            Upload4(g.u.matAmbient, g.material.ambient);
            Upload4(g.u.matSpecular, g.material.specular);
            Upload4(g.u.matEmissive, g.material.emissive);
            glUniform1f(g.u.matPower, g.material.power);
            g.materialDirty = false;
        }
        if (g.lighting && g.lightEnabled && g.lightDirty) {
            Vec3 d = Normalize(TransformNormal(g.light.direction, g.transforms[RD_VIEW]));
            glUniform3f(g.u.lightDir, -d.x, -d.y, -d.z);
            glUniform3f(g.u.lightDiffuse, g.light.diffuse.r, g.light.diffuse.g, g.light.diffuse.b);
            glUniform3f(g.u.lightAmbient, g.light.ambient.r, g.light.ambient.g, g.light.ambient.b);
            glUniform3f(g.u.lightSpecular, g.light.specular.r, g.light.specular.g,
                        g.light.specular.b);
            g.lightDirty = false;
        }
    }
    if (vs != g.vsFlagsSent) {
        glUniform1i(g.u.vsFlags, vs);
        g.vsFlagsSent = vs;
    }

    // Texture stage 0. CURRENT is the diffuse colour in the first stage; with
    // no texture bound, an operation that reads the texture passes the
    // diffuse colour (or alpha) through unchanged.
    auto src = [](int arg) { return arg == RD_TA_TEXTURE ? kSrcTexture : kSrcDiffuse; };
    auto stage = [&](int op, int a1, int a2, int* fa, int* fb) {
        *fa = kSrcDiffuse;
        *fb = kSrcOne;
        bool reads = (op == RD_TOP_SELECTARG1 && a1 == RD_TA_TEXTURE) ||
                     (op == RD_TOP_SELECTARG2 && a2 == RD_TA_TEXTURE) ||
                     (op == RD_TOP_MODULATE && (a1 == RD_TA_TEXTURE || a2 == RD_TA_TEXTURE));
        if (reads && g.texture == nullptr) return;
        if (op == RD_TOP_SELECTARG1) *fa = src(a1);
        else if (op == RD_TOP_SELECTARG2) *fa = src(a2);
        else if (op == RD_TOP_MODULATE) { *fa = src(a1); *fb = src(a2); }
    };
    int ca, cb, aa, ab;
    stage(g.colorOp, g.colorArg1, g.colorArg2, &ca, &cb);
    stage(g.alphaOp, g.alphaArg1, g.alphaArg2, &aa, &ab);
    int fs = ca | cb << 2 | aa << 4 | ab << 6;
    if (fs != g.fsSourcesSent) {
        glUniform1i(g.u.fsSources, fs);
        g.fsSourcesSent = fs;
    }
    if (g.texture && g.boundTexture != g.texture->name) {
        glBindTexture(GL_TEXTURE_2D, g.texture->name);
        g.boundTexture = g.texture->name;
    }
}

// Copies four vertices into the ring and returns the index of the first.
GLint StreamQuad(GLuint vbo, int* next, const void* vertices, GLsizei stride) {
    glBindBuffer(GL_ARRAY_BUFFER, vbo);
    if (*next + 4 > kRingVertices) {
        // Fresh storage; the old one lives until the draws that use it are done.
        glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(kRingVertices) * stride, nullptr,
                     GL_STREAM_DRAW);
        *next = 0;
    }
    GLint first = *next;
    void* p = glMapBufferRange(GL_ARRAY_BUFFER, static_cast<GLintptr>(first) * stride, 4 * stride,
                               GL_MAP_WRITE_BIT | GL_MAP_UNSYNCHRONIZED_BIT |
                                   GL_MAP_INVALIDATE_RANGE_BIT);
    if (p == nullptr) return -1;
    std::memcpy(p, vertices, 4 * static_cast<size_t>(stride));
    glUnmapBuffer(GL_ARRAY_BUFFER);
    *next += 4;
    return first;
}

}  // namespace

void ApplyViewport() {
    glViewport(g.viewport.x, g.viewport.y, g.viewport.width, g.viewport.height);
    glDepthRange(g.viewport.minZ, g.viewport.maxZ);
    g.viewportDirty = true;
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
    // Presents wait for the display's refresh, as the original device did.
    SDL_GL_SetSwapInterval(1);
    rdgl::Device fresh;
    g = fresh;
    g.context = ctx;
    if (!rdgl::BuildProgram(&g.program, &g.u) || !rdgl::CreateFrames()) {
        std::fprintf(stderr, "Zorbat U.F.O.: the render device cannot be set up\n");
        SDL_GL_DeleteContext(ctx);
        g.context = nullptr;
        return false;
    }
    glUseProgram(g.program);
    glUniform1i(g.u.sampler, 0);
    glActiveTexture(GL_TEXTURE0);
    // Generic values for attributes a vertex does not carry.
    glVertexAttrib3f(1, 0.0f, 0.0f, 0.0f);
    glVertexAttrib4f(2, 1.0f, 1.0f, 1.0f, 1.0f);
    rdgl::SetupStreamVao(&g.worldVao, &g.worldVbo, sizeof(WorldVertex), 3);
    rdgl::SetupStreamVao(&g.screenVao, &g.screenVbo, sizeof(ScreenVertex), 4);
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
    rdgl::ApplyCull();
    glDisable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ZERO);
    rdgl::ApplyViewport();
    g.created = true;
    return true;
}

void RdRelease() {
    if (!g.created) return;
    glDeleteVertexArrays(1, &g.screenVao);
    glDeleteVertexArrays(1, &g.worldVao);
    glDeleteBuffers(1, &g.screenVbo);
    glDeleteBuffers(1, &g.worldVbo);
    glDeleteSamplers(1, &g.sampler);
    glDeleteFramebuffers(2, g.frameFbo);
    glDeleteRenderbuffers(2, g.frameColour);
    glDeleteRenderbuffers(1, &g.frameDepth);
    glDeleteProgram(g.program);
    SDL_GL_DeleteContext(static_cast<SDL_GLContext>(g.context));
    rdgl::Device fresh;
    g = fresh;
}

bool RdIsCreated() { return g.created; }

void RdBeginScene() {}
void RdEndScene() {}

// Clears the viewport's rectangle, as the original device did.
void RdClear(uint32_t argb, float depth) {
    if (!g.created) return;
    int tw = g.target ? g.target->texture.width : kViewWidth;
    int th = g.target ? g.target->texture.height : kViewHeight;
    bool partial = g.viewport.x != 0 || g.viewport.y != 0 || g.viewport.width != tw ||
                   g.viewport.height != th;
    if (partial) {
        glEnable(GL_SCISSOR_TEST);
        glScissor(g.viewport.x, g.viewport.y, g.viewport.width, g.viewport.height);
    }
    glClearColor(((argb >> 16) & 0xFF) / 255.0f, ((argb >> 8) & 0xFF) / 255.0f,
                 (argb & 0xFF) / 255.0f, ((argb >> 24) & 0xFF) / 255.0f);
    glClearDepth(depth);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (partial) glDisable(GL_SCISSOR_TEST);
}

bool RdPresent() {
    if (!g.created) return false;
    SDL_Window* window = PlatformSdlWindow();
    int w = kViewWidth, h = kViewHeight;
    if (window) SDL_GL_GetDrawableSize(window, &w, &h);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, g.frameFbo[g.drawFrame]);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    // Frames are stored top row first; the window's first row is its bottom.
    glBlitFramebuffer(0, 0, kViewWidth, kViewHeight, 0, h, w, 0, GL_COLOR_BUFFER_BIT,
                      (w == kViewWidth && h == kViewHeight) ? GL_NEAREST : GL_LINEAR);
    if (window) SDL_GL_SwapWindow(window);
    g.presentedOnce = true;
    g.drawFrame ^= 1;
    glBindFramebuffer(GL_FRAMEBUFFER,
                      g.target ? g.target->fbo : g.frameFbo[g.drawFrame]);
    return true;
}

void RdSetLighting(bool on) { g.lighting = on; }
void RdSetSpecularEnable(bool on) { g.specular = on; }

void RdSetAlphaBlend(bool on) {
    if (on == g.blend) return;
    g.blend = on;
    if (!g.created) return;
    if (on) glEnable(GL_BLEND);
    else glDisable(GL_BLEND);
}

void RdSetBlend(int src, int dst) {
    if (src == g.blendSrc && dst == g.blendDst) return;
    g.blendSrc = src;
    g.blendDst = dst;
    if (g.created) glBlendFunc(rdgl::BlendFactor(src), rdgl::BlendFactor(dst));
}

void RdSetZEnable(bool on) {
    if (on == g.zEnable) return;
    g.zEnable = on;
    if (!g.created) return;
    if (on) glEnable(GL_DEPTH_TEST);
    else glDisable(GL_DEPTH_TEST);
}

void RdSetCullMode(int cull) {
    if (cull == g.cull) return;
    g.cull = cull;
    if (g.created) rdgl::ApplyCull();
}

void RdSetColorOp(int op) { g.colorOp = op; }
void RdSetColorArgs(int arg1, int arg2) {
    g.colorArg1 = arg1;
    g.colorArg2 = arg2;
}
void RdSetAlphaOp(int op) { g.alphaOp = op; }
void RdSetAlphaArgs(int arg1, int arg2) {
    g.alphaArg1 = arg1;
    g.alphaArg2 = arg2;
}

// Minification and magnification together; mip levels are never sampled.
void RdSetFilter(bool linear) {
    if (linear == g.linear) return;
    g.linear = linear;
    if (!g.created) return;
    GLint f = linear ? GL_LINEAR : GL_NEAREST;
    glSamplerParameteri(g.sampler, GL_TEXTURE_MIN_FILTER, f);
    glSamplerParameteri(g.sampler, GL_TEXTURE_MAG_FILTER, f);
}

void RdSetTransform(int which, const Matrix& m) {
    if (which < RD_WORLD || which > RD_PROJECTION) return;
    if (std::memcmp(&g.transforms[which], &m, sizeof m) == 0) return;
    g.transforms[which] = m;
    g.matricesDirty = true;
    if (which == RD_VIEW) g.lightDirty = true;  // the light direction is kept in camera space
}

void RdSetMaterial(const Material& m) {
    if (std::memcmp(&g.material, &m, sizeof m) == 0) return;
    g.material = m;
    g.materialDirty = true;
}

// One directional light; the game only uses index 0.
void RdSetLight(int index, const Light& light) {
    if (index != 0) return;
    g.light = light;
    g.lightDirty = true;
}

void RdEnableLight(int index, bool on) {
    if (index == 0) g.lightEnabled = on;
}

Viewport RdGetViewport() { return g.viewport; }

void RdSetViewport(const Viewport& vp) {
    g.viewport = vp;
    if (g.created) rdgl::ApplyViewport();
}

void RdSetTexture(RdTexture* t) { g.texture = t; }

void RdDrawScreenQuad(const ScreenVertex v[4]) {
    if (!g.created) return;
    rdgl::BindVao(g.screenVao);
    GLint first = rdgl::StreamQuad(g.screenVbo, &g.screenNext, v, sizeof(ScreenVertex));
    if (first < 0) return;
    rdgl::PrepareDraw(true, true);
    glDrawArrays(GL_TRIANGLE_STRIP, first, 4);
}

void RdDrawWorldQuad(const WorldVertex v[4]) {
    if (!g.created) return;
    rdgl::BindVao(g.worldVao);
    GLint first = rdgl::StreamQuad(g.worldVbo, &g.worldNext, v, sizeof(WorldVertex));
    if (first < 0) return;
    rdgl::PrepareDraw(false, true);
    glDrawArrays(GL_TRIANGLE_STRIP, first, 4);
}

void RdDrawMesh(RdMesh* mesh, int firstIndex, int indexCount) {
    if (!g.created || mesh == nullptr) return;
    if (firstIndex < 0 || indexCount <= 0 || firstIndex > mesh->indexCount ||
        indexCount > mesh->indexCount - firstIndex) {
        return;
    }
    rdgl::BindVao(mesh->vao);
    rdgl::PrepareDraw(false, mesh->hasVertexColours);
    glDrawElements(GL_TRIANGLES, indexCount, GL_UNSIGNED_INT,
                   reinterpret_cast<const void*>(static_cast<intptr_t>(firstIndex) * 4));
}

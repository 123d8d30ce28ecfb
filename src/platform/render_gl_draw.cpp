// Draws: choosing and feeding the program, the queued quads and the meshes
// with their view-volume test.
#include <cmath>
#include <cstddef>
#include <cstring>

#include "platform/render_gl_internal.h"

namespace rdgl {
namespace {

// Ring buffers of quad vertices; storage is renewed when one fills up.
constexpr int kRingVertices = 4 * 4096;

void SetupStreamVao(GLuint* vao, GLuint* vbo, GLsizei stride, int positionSize) {
    glGenVertexArrays(1, vao);
    glGenBuffers(1, vbo);
    BindVao(*vao);
    glBindBuffer(GL_ARRAY_BUFFER, *vbo);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(kRingVertices) * stride, nullptr,
                 GL_STREAM_DRAW);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, g.quadIbo);
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
}

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

void UpdateDerived() {
    if (g.derivedVersion == g.xfVersion) return;
    g.worldView = MatMultiply(g.transforms[RD_WORLD], g.transforms[RD_VIEW]);
    NormalMatrix(g.worldView, g.normalMat);
    g.derivedVersion = g.xfVersion;
}

// The texture stage as fragment sources. CURRENT is the diffuse colour in
// the first stage; with no texture bound, an operation that reads the
// texture passes the diffuse colour (or alpha) through unchanged.
int StageSources() {
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
    return ca | cb << 2 | aa << 4 | ab << 6;
}

void SendColour(GLfloat* out, const Color4& c) {
    out[0] = c.r;
    out[1] = c.g;
    out[2] = c.b;
    out[3] = c.a;
}

// Whether every fragment's alpha is exactly 1: both alpha factors are 1, an
// opaque texture, or a diffuse alpha that is 1 at every vertex (the
// material's, or vertex colours all opaque, or the generic white).
bool AlphaIsOne(int sources, bool screen, bool vertexColour, bool opaqueVertices) {
    for (int shift = 4; shift <= 6; shift += 2) {
        const int src = (sources >> shift) & 3;
        if (src == kSrcTexture && !(g.texture && g.texture->opaque)) return false;
        if (src == kSrcDiffuse) {
            const bool fromMaterial = !screen && g.lighting && !vertexColour;
            if (fromMaterial ? g.material.diffuse.a != 1.0f : !opaqueVertices) return false;
        }
    }
    return true;
}

// Source-alpha blending of a fragment whose alpha is exactly 1 writes that
// fragment's colour unchanged, so such draws go without it.
void ApplyBlend(bool alphaOne) {
    const bool on = g.blend && !(g.culling && alphaOne && g.blendSrc == RD_BLEND_SRCALPHA &&
                                 g.blendDst == RD_BLEND_INVSRCALPHA);
    if (on == g.blendOn) return;
    if (on) glEnable(GL_BLEND);
    else glDisable(GL_BLEND);
    g.blendOn = on;
}

// Selects the program for the current states and sends it whatever it has
// not seen yet; null when the program cannot be built. opaqueVertices: every
// vertex colour the draw uses has an alpha of 255 (or there are none).
Program* PrepareDraw(bool screen, bool vertexColour, bool opaqueVertices) {
    uint32_t key;
    if (screen) {
        key = kKindScreen;
    } else if (!g.lighting) {
        key = kKindWorld;
    } else {
        key = kKindLit | (vertexColour ? kVertexColour : 0u) |
              (g.lightEnabled ? kLightOn | (g.specular ? kSpecular : 0u) : 0u);
    }
    int sources = StageSources();
    if (key == kKindWorld && !vertexColour && g.culling) {
        // Unlit and without vertex colours, the diffuse colour is the generic
        // white at every vertex: a factor of 1, left out (the floor, which
        // covers most of the screen, is drawn so).
        for (int shift = 0; shift <= 6; shift += 2) {
            if (((sources >> shift) & 3) == kSrcDiffuse) sources &= ~(3 << shift);
        }
    }
    key |= static_cast<uint32_t>(sources) << kSourcesShift;
    Program* p = g.current;
    if (p == nullptr || p->key != key) {
        p = ProgramFor(key);
        if (p == nullptr) return nullptr;
        if (g.current != p) {
            glUseProgram(p->name);
            g.current = p;
            ++g.stats.programSwitches;
        }
    }
    if (p->frameSent != g.frameVersion) {
        glUniform1f(p->ySign, DrawingToWindow() ? -1.0f : 1.0f);
        if (p->viewport >= 0)
            glUniform4f(p->viewport, static_cast<float>(g.viewport.x),
                        static_cast<float>(g.viewport.y), static_cast<float>(g.viewport.width),
                        static_cast<float>(g.viewport.height));
        p->frameSent = g.frameVersion;
    }
    if (!screen && p->xfSent != g.xfVersion) {
        UpdateDerived();
        glUniformMatrix4fv(p->worldView, 1, GL_FALSE, &g.worldView.m[0][0]);
        glUniformMatrix4fv(p->proj, 1, GL_FALSE, &g.transforms[RD_PROJECTION].m[0][0]);
        if (p->normalMat >= 0) glUniformMatrix3fv(p->normalMat, 1, GL_FALSE, g.normalMat);
        p->xfSent = g.xfVersion;
    }
    if (p->material >= 0 && p->materialSent != g.materialVersion) {
        GLfloat m[20] = {};
        SendColour(m, g.material.diffuse);
        SendColour(m + 4, g.material.ambient);
        SendColour(m + 8, g.material.specular);
        SendColour(m + 12, g.material.emissive);
        m[16] = g.material.power;
        glUniform4fv(p->material, 5, m);
        p->materialSent = g.materialVersion;
    }
    if (p->light >= 0 && p->lightSent != g.lightVersion) {
        // The direction is kept in camera space, towards the light.
        Vec3 d = Normalize(TransformNormal(g.light.direction, g.transforms[RD_VIEW]));
        const GLfloat l[12] = {-d.x,
                               -d.y,
                               -d.z,
                               g.light.diffuse.r,
                               g.light.diffuse.g,
                               g.light.diffuse.b,
                               g.light.ambient.r,
                               g.light.ambient.g,
                               g.light.ambient.b,
                               g.light.specular.r,
                               g.light.specular.g,
                               g.light.specular.b};
        glUniform3fv(p->light, 4, l);
        p->lightSent = g.lightVersion;
    }
    ApplyBlend(AlphaIsOne(sources, screen, vertexColour, opaqueVertices));
    const bool textured = (sources & 0xAA) != 0;  // a source of 2 has its high bit set
    if (textured && g.texture && g.boundTexture != g.texture->name) {
        glBindTexture(GL_TEXTURE_2D, g.texture->name);
        g.boundTexture = g.texture->name;
        ++g.stats.textureBinds;
    }
    return p;
}

// True when the box [lo, hi] under world * view * projection lies wholly on
// the outer side of one plane of the view volume, so nothing inside it can
// reach a pixel. Worked in double from the same float matrices the shader
// gets; a corner only counts as outside by more than a margin far above the
// rounding of the shader's float sums (relative to the size of their terms).
bool BoxOutsideView(const float lo[3], const float hi[3]) {
    UpdateDerived();
    const Matrix& wv = g.worldView;
    const Matrix& pr = g.transforms[RD_PROJECTION];
    int outside = 0x3F;  // one bit per plane while every corner so far is beyond it
    for (int i = 0; i < 8 && outside; ++i) {
        const double p[4] = {(i & 1) ? hi[0] : lo[0], (i & 2) ? hi[1] : lo[1],
                             (i & 4) ? hi[2] : lo[2], 1.0};
        double c[4] = {}, cm[4] = {}, k[4] = {}, km[4] = {};
        for (int j = 0; j < 4; ++j) {
            for (int r = 0; r < 4; ++r) {
                c[j] += p[r] * wv.m[r][j];
                cm[j] += std::fabs(p[r] * wv.m[r][j]);
            }
        }
        for (int j = 0; j < 4; ++j) {
            for (int r = 0; r < 4; ++r) {
                k[j] += c[r] * pr.m[r][j];
                km[j] += cm[r] * std::fabs(pr.m[r][j]);
            }
        }
        const double x = k[0], y = k[1], z = k[2], w = k[3];
        auto margin = [&](int a) { return 1e-5 * (km[a] + km[3]) + 1e-6; };
        int here = 0;
        if (x > w + margin(0)) here |= 1;
        if (x < -w - margin(0)) here |= 2;
        if (y > w + margin(1)) here |= 4;
        if (y < -w - margin(1)) here |= 8;
        if (z < -margin(2)) here |= 16;
        if (z > w + margin(2)) here |= 32;
        outside &= here;
    }
    return outside != 0;
}

}  // namespace

bool CreateQuadStreams() {
    while (glGetError() != GL_NO_ERROR) {
        // whatever context creation left behind is not ours to judge
    }
    // Each quad as the two triangles of its strip, in the strip's own vertex
    // order: (0, 1, 2) and (2, 1, 3).
    static uint16_t indices[kBatchQuads * 6];
    for (int q = 0; q < kBatchQuads; ++q) {
        const uint16_t b = static_cast<uint16_t>(q * 4);
        const uint16_t tri[6] = {b, static_cast<uint16_t>(b + 1), static_cast<uint16_t>(b + 2),
                                 static_cast<uint16_t>(b + 2), static_cast<uint16_t>(b + 1),
                                 static_cast<uint16_t>(b + 3)};
        std::memcpy(&indices[q * 6], tri, sizeof tri);
    }
    glGenBuffers(1, &g.quadIbo);
    BindVao(0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, g.quadIbo);
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, sizeof indices, indices, GL_STATIC_DRAW);
    SetupStreamVao(&g.worldVao, &g.worldVbo, sizeof(WorldVertex), 3);
    SetupStreamVao(&g.screenVao, &g.screenVbo, sizeof(ScreenVertex), 4);
    g.screenNext = g.worldNext = 0;
    return glGetError() == GL_NO_ERROR;
}

void ReleaseQuadStreams() {
    glDeleteVertexArrays(1, &g.screenVao);
    glDeleteVertexArrays(1, &g.worldVao);
    glDeleteBuffers(1, &g.screenVbo);
    glDeleteBuffers(1, &g.worldVbo);
    glDeleteBuffers(1, &g.quadIbo);
}

void FlushQuads() {
    const int n = g.pendingCount;
    const int kind = g.pendingKind;
    g.pendingCount = 0;
    g.pendingKind = -1;
    if (n == 0 || !g.created) return;
    const GLsizei stride = kind == 0 ? sizeof(ScreenVertex) : sizeof(WorldVertex);
    const size_t colourAt = kind == 0 ? offsetof(ScreenVertex, diffuse) : offsetof(WorldVertex, diffuse);
    bool opaque = true;
    for (int i = 0; opaque && i < 4 * n; ++i) {
        uint32_t argb;
        std::memcpy(&argb, g.pending + static_cast<size_t>(i) * stride + colourAt, 4);
        opaque = (argb >> 24) == 0xFF;
    }
    Program* p = PrepareDraw(kind == 0, true, opaque);
    if (p == nullptr) return;
    BindVao(kind == 0 ? g.screenVao : g.worldVao);
    glBindBuffer(GL_ARRAY_BUFFER, kind == 0 ? g.screenVbo : g.worldVbo);
    int& next = kind == 0 ? g.screenNext : g.worldNext;
    if (next + 4 * n > kRingVertices) {
        // Fresh storage; the old one lives until the draws that use it are done.
        glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(kRingVertices) * stride, nullptr,
                     GL_STREAM_DRAW);
        next = 0;
    }
    const GLint first = next;
    const GLsizeiptr bytes = static_cast<GLsizeiptr>(4 * n) * stride;
    void* dst = glMapBufferRange(GL_ARRAY_BUFFER, static_cast<GLintptr>(first) * stride, bytes,
                                 GL_MAP_WRITE_BIT | GL_MAP_UNSYNCHRONIZED_BIT |
                                     GL_MAP_INVALIDATE_RANGE_BIT);
    if (dst == nullptr) return;
    std::memcpy(dst, g.pending, static_cast<size_t>(bytes));
    glUnmapBuffer(GL_ARRAY_BUFFER);
    next += 4 * n;
    if (!g.culling && n == 1) {
        glDrawArrays(GL_TRIANGLE_STRIP, first, 4);  // the plain way, for comparison
    } else {
        glDrawElementsBaseVertex(GL_TRIANGLES, 6 * n, GL_UNSIGNED_SHORT, nullptr, first);
    }
    ++g.stats.drawCalls;
}

namespace {

void QueueQuad(int kind, const void* vertices, size_t bytes) {
    if (!g.created) return;
    if (g.pendingKind != kind || g.pendingCount == kBatchQuads) FlushQuads();
    std::memcpy(g.pending + static_cast<size_t>(g.pendingCount) * bytes, vertices, bytes);
    g.pendingKind = kind;
    ++g.pendingCount;
    ++g.stats.quadsQueued;
    // Without shortcuts every quad is its own strip, as drawn plainly.
    if (!g.culling) FlushQuads();
}

}  // namespace

}  // namespace rdgl

using rdgl::g;

void RdDrawScreenQuad(const ScreenVertex v[4]) {
    rdgl::QueueQuad(0, v, 4 * sizeof(ScreenVertex));
}

void RdDrawWorldQuad(const WorldVertex v[4]) {
    rdgl::QueueQuad(1, v, 4 * sizeof(WorldVertex));
}

void RdDrawMesh(RdMesh* mesh, int firstIndex, int indexCount) {
    if (!g.created || mesh == nullptr) return;
    if (firstIndex < 0 || indexCount <= 0 || firstIndex > mesh->indexCount ||
        indexCount > mesh->indexCount - firstIndex) {
        return;
    }
    rdgl::FlushQuads();
    ++g.stats.meshDraws;
    if (g.culling) {
        // The subsets of one mesh come one after another under one transform:
        // the answer for the first serves them all.
        if (g.cullMesh != mesh || g.cullVersion != g.xfVersion) {
            g.cullMesh = mesh;
            g.cullVersion = g.xfVersion;
            g.cullOutside = rdgl::BoxOutsideView(mesh->boundsMin, mesh->boundsMax);
        }
        if (g.cullOutside) {
            ++g.stats.meshesCulled;
            return;
        }
    }
    if (rdgl::PrepareDraw(false, mesh->hasVertexColours,
                          !mesh->hasVertexColours || mesh->opaqueColours) == nullptr) {
        return;
    }
    rdgl::BindVao(mesh->vao);
    glDrawElements(GL_TRIANGLES, indexCount, GL_UNSIGNED_INT,
                   reinterpret_cast<const void*>(static_cast<intptr_t>(firstIndex) * 4));
    ++g.stats.drawCalls;
}

RdStats RdGetStats() { return g.stats; }

void RdResetStats() { g.stats = RdStats{}; }

void RdSetDrawShortcuts(bool on) {
    rdgl::FlushQuads();
    g.culling = on;
}

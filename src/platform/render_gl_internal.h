// Shared state of the OpenGL render device (render_gl*.cpp only).
#pragma once
#include <epoxy/gl.h>

#include "platform/render.h"
#include "platform/window.h"

struct RdTexture {
    GLuint name;
    int width, height;
};

struct RdMesh {
    GLuint vao, vbo, ibo;
    int indexCount;
    bool hasVertexColours;
};

struct RdRenderTarget {
    GLuint fbo, depth;
    RdTexture texture;
};

namespace rdgl {

// Vertex-stage flags, one uniform.
enum : int {
    kVsScreen = 1,      // pre-transformed pixels: no transform, no lighting
    kVsLighting = 2,
    kVsVertexColour = 4,
    kVsLightOn = 8,
    kVsSpecular = 16,
};

// Fragment sources of the texture stage, 2 bits each in one uniform:
// colour factor A, colour factor B, alpha factor A, alpha factor B.
enum : int { kSrcOne = 0, kSrcDiffuse = 1, kSrcTexture = 2 };

struct Uniforms {
    GLint worldView, proj, normalMat, vsFlags, viewport;
    GLint matDiffuse, matAmbient, matSpecular, matEmissive, matPower;
    GLint lightDir, lightDiffuse, lightAmbient, lightSpecular;
    GLint fsSources, sampler;
};

struct Device {
    bool created = false;
    void* context = nullptr;  // SDL_GLContext
    GLuint program = 0;
    Uniforms u{};

    // Back buffer: two off-screen frames used in turn, so the one presented
    // last can still be read while the next is drawn.
    GLuint frameFbo[2] = {0, 0}, frameColour[2] = {0, 0}, frameDepth = 0;
    int drawFrame = 0;
    bool presentedOnce = false;
    RdRenderTarget* target = nullptr;  // null: the back buffer
    Viewport savedViewport{0, 0, kViewWidth, kViewHeight, 0.0f, 1.0f};

    // Streaming quads: one ring buffer per vertex kind.
    GLuint screenVao = 0, screenVbo = 0, worldVao = 0, worldVbo = 0;
    int screenNext = 0, worldNext = 0;  // next free vertex

    GLuint sampler = 0;

    // Requested state.
    Matrix transforms[3]{};
    Viewport viewport{0, 0, kViewWidth, kViewHeight, 0.0f, 1.0f};
    Material material{};
    Light light{};
    bool lightEnabled = false;
    bool lighting = true, specular = false, blend = false, zEnable = true;
    int blendSrc = RD_BLEND_ONE, blendDst = RD_BLEND_ZERO, cull = RD_CULL_CCW;
    int colorOp = RD_TOP_MODULATE, colorArg1 = RD_TA_TEXTURE, colorArg2 = RD_TA_CURRENT;
    int alphaOp = RD_TOP_SELECTARG1, alphaArg1 = RD_TA_TEXTURE, alphaArg2 = RD_TA_CURRENT;
    bool linear = false;
    RdTexture* texture = nullptr;

    // What the shader and GL currently hold.
    bool matricesDirty = true, materialDirty = true, lightDirty = true, viewportDirty = true;
    int vsFlagsSent = -1, fsSourcesSent = -1;
    GLuint boundTexture = 0;
    GLuint boundVao = 0;
};

extern Device g;

bool BuildProgram(GLuint* program, Uniforms* u);
void ApplyViewport();
void ResetTextureCache(GLuint name);
// Binds a VAO once; draws never rebind what is bound.
inline void BindVao(GLuint vao) {
    if (g.boundVao != vao) {
        glBindVertexArray(vao);
        g.boundVao = vao;
    }
}

}  // namespace rdgl

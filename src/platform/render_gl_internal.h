// Shared state of the OpenGL render device (render_gl*.cpp only).
//
// How draws reach GL, and why (the game must keep full speed on Mesa's
// software renderer, where every draw call, program change and texture
// switch has a fixed cost and every shader instruction runs on the CPU):
// - one small program per combination of states a draw needs (screen or
//   world vertices, lit or not, which texture-stage sources), built when
//   first needed, so no shader spends time on branches it does not take;
// - uniforms are sent to a program only when they changed since that
//   program last received them;
// - meshes whose bounding box lies wholly outside the view volume are not
//   sent at all (they could not have drawn a pixel);
// - a draw whose every fragment has an alpha of exactly 1 is drawn without
//   the usual source-alpha blend, which would only give back its own colour
//   (the blend's read of the frame is most of a software renderer's cost
//   for such a pixel);
// - quads drawn one after another with nothing changed in between are
//   queued and drawn by one call, in the same order and with the same
//   triangles, so the pixels are exactly those of drawing them one by one;
// - the game's frame is drawn straight into the window's back buffer, at
//   the window's own pixel size (viewports in view units are mapped onto
//   the picture's rectangle there, see render_gl_frame.cpp), and read back
//   only when a capture of the next present is asked.
#pragma once
#include <epoxy/gl.h>

#include <cstdint>

#include "platform/letterbox.h"
#include "platform/render.h"
#include "platform/window.h"

struct RdTexture {
    GLuint name;
    int width, height;
    bool opaque;  // every texel's alpha is 255 (render targets: unknown, so no)
};

struct RdMesh {
    GLuint vao, vbo, ibo;
    int indexCount;
    bool hasVertexColours;
    bool opaqueColours;                // every vertex colour's alpha is 255
    float boundsMin[3], boundsMax[3];  // of every vertex, for view-volume culling
};

struct RdRenderTarget {
    GLuint fbo, depth;
    RdTexture texture;
};

namespace rdgl {

// What a program is built for, one bit field.
enum : uint32_t {
    kKindScreen = 0,  // pre-transformed pixels: no transform, no lighting
    kKindWorld = 1,   // transformed, unlit: the vertex colour
    kKindLit = 2,     // transformed and lit
    kKindMask = 3,
    kVertexColour = 4,  // lit: the diffuse colour comes from the vertex
    kLightOn = 8,       // lit: light 0 is on
    kSpecular = 16,     // lit with light 0 on: a specular term is added
    kSourcesShift = 8,  // texture stage, 2 bits each: colour A, colour B, alpha A, alpha B
};
// Fragment sources of the texture stage.
enum : int { kSrcOne = 0, kSrcDiffuse = 1, kSrcTexture = 2 };

struct Program {
    uint32_t key;
    GLuint name;
    GLint worldView, proj, normalMat, viewport, ySign, material, light, sampler;
    // The state versions this program last received (0: never).
    uint32_t xfSent, materialSent, lightSent, frameSent;
};

constexpr int kMaxPrograms = 64;
constexpr int kBatchQuads = 2048;  // quads one draw call may carry

struct Device {
    bool created = false;
    void* context = nullptr;  // SDL_GLContext

    Program programs[kMaxPrograms]{};
    int warmNext = 0;  // next entry of kUsualPrograms to build ahead of need
    int presents = 0;
    int programCount = 0;
    Program* current = nullptr;

    // The back buffer: the window's own (rows bottom to top, as GL stores
    // them), or, when asked for (tests), an off-screen frame of the picture's
    // size stored top row first and copied into the window at present.
    bool direct = true;
    GLuint frameFbo = 0, frameColour = 0, frameDepth = 0;
    // The framebuffer the back buffer is, and the view's rectangle in it; the
    // window's drawable and the view's rectangle there (the rest is bars).
    int frameW = kViewWidth, frameH = kViewHeight;
    ViewRect frameView{0, 0, kViewWidth, kViewHeight};
    int drawableW = kViewWidth, drawableH = kViewHeight;
    ViewRect windowView{0, 0, kViewWidth, kViewHeight};
    // The last captured present: the whole window, rows top to bottom.
    bool captureNext = false, lastCaptured = false;
    uint8_t* lastFrame = nullptr;
    size_t lastFrameBytes = 0;
    int lastW = 0, lastH = 0;
    ViewRect lastView{0, 0, 0, 0};
    RdRenderTarget* target = nullptr;  // null: the back buffer
    Viewport savedViewport{0, 0, kViewWidth, kViewHeight, 0.0f, 1.0f};

    // Streamed quads: one ring buffer per vertex kind, one shared index list.
    GLuint screenVao = 0, screenVbo = 0, worldVao = 0, worldVbo = 0, quadIbo = 0;
    int screenNext = 0, worldNext = 0;  // next free vertex

    // Quads waiting to be drawn with the state they were queued under.
    int pendingKind = -1;  // -1 none, 0 screen, 1 world
    int pendingCount = 0;
    alignas(16) unsigned char pending[kBatchQuads * 4 * sizeof(ScreenVertex)];

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
    bool culling = true;

    // Versions of the state programs receive; each change counts up.
    uint32_t xfVersion = 1, materialVersion = 1, lightVersion = 1, frameVersion = 1;
    // The last view-volume test: which mesh under which transform version.
    const RdMesh* cullMesh = nullptr;
    uint32_t cullVersion = 0;
    bool cullOutside = false;
    // World * view and its normal matrix, made once per transform version.
    uint32_t derivedVersion = 0;
    Matrix worldView{};
    float normalMat[9]{};

    // What GL currently holds.
    bool blendOn = false;  // GL_BLEND as last set (the requested state is `blend`)
    GLuint boundTexture = 0;
    GLuint boundVao = 0;
    bool frontCcw = true;

    RdStats stats{};
};

extern Device g;

// The program for a key, built on first use; null when it does not build.
Program* ProgramFor(uint32_t key);
// Builds the next of the programs the game is known to use, if any is left
// (at most one per call: a few milliseconds).
void BuildAheadOfNeed();
void ApplyViewport();
// Follows the window's drawable size and the scaling option: the picture's
// rectangle, and the off-screen frame's size when there is one. False when
// an off-screen frame cannot be made.
bool UpdateFrameGeometry();
void ReleaseOffscreenFrame();
// The current viewport in pixels of the framebuffer draws go to, as GL
// takes it (x, y from the bottom-left corner where rows are stored bottom up).
void ViewportPixels(int* x, int* y, int* w, int* h);
void ResetTextureCache(GLuint name);
// Every field back to its initial value (no GL calls).
void ResetDevice();
// True while drawing into the window's back buffer (rows bottom to top).
inline bool DrawingToWindow() { return g.target == nullptr && g.direct; }
// The framebuffer draws go to now.
inline GLuint CurrentFbo() { return g.target ? g.target->fbo : (g.direct ? 0 : g.frameFbo); }
// Binds a VAO once; draws never rebind what is bound.
inline void BindVao(GLuint vao) {
    if (g.boundVao != vao) {
        glBindVertexArray(vao);
        g.boundVao = vao;
    }
}
// Draws the queued quads, if any; called before anything they depend on changes.
void FlushQuads();
// Creates the quad buffers; false when GL refuses.
bool CreateQuadStreams();
void ReleaseQuadStreams();
// Front faces follow the current framebuffer's row order.
void ApplyFrontFace();

}  // namespace rdgl

// The render device: the fixed-function subset of the classic 3D pipeline the
// game draws with (per-vertex lighting with one directional light, materials,
// texture stage 0 colour and alpha operations, alpha blending, depth test,
// culling), implemented on OpenGL 3.3 core. Numeric values of the enums are
// the classic ones, so game code reads the same numbers the design uses.
#pragma once
#include <cstdint>

#include "core/math3d.h"
#include "platform/letterbox.h"

struct Color4 {
    float r, g, b, a;
};

struct Material {
    Color4 diffuse, ambient, specular, emissive;
    float power;
};

struct Light {  // directional
    Color4 diffuse, specular, ambient;
    Vec3 direction;
};

enum RdCull { RD_CULL_NONE = 1, RD_CULL_CW = 2, RD_CULL_CCW = 3 };
enum RdBlend {
    RD_BLEND_ZERO = 1,
    RD_BLEND_ONE = 2,
    RD_BLEND_SRCCOLOR = 3,
    RD_BLEND_INVSRCCOLOR = 4,
    RD_BLEND_SRCALPHA = 5,
    RD_BLEND_INVSRCALPHA = 6,
};
enum RdTexOp { RD_TOP_DISABLE = 1, RD_TOP_SELECTARG1 = 2, RD_TOP_SELECTARG2 = 3, RD_TOP_MODULATE = 4 };
enum RdTexArg { RD_TA_DIFFUSE = 0, RD_TA_CURRENT = 1, RD_TA_TEXTURE = 2 };
enum RdTransform { RD_WORLD = 0, RD_VIEW = 1, RD_PROJECTION = 2 };

// Pre-transformed screen vertex: pixels, origin top-left of the 800 x 600
// view (whatever size the window draws the view at).
struct ScreenVertex {
    float x, y, z, rhw;
    uint32_t diffuse;  // ARGB
    float u, v;
};

// World-space vertex with a colour and no normal.
struct WorldVertex {
    float x, y, z;
    uint32_t diffuse;  // ARGB
    float u, v;
};

// Mesh vertex; diffuse is used only by meshes created with vertex colours.
struct MeshVertex {
    float x, y, z;
    float nx, ny, nz;
    float u, v;
    uint32_t diffuse;  // ARGB
};

struct RdTexture;
struct RdMesh;
struct RdRenderTarget;

// Device life. RdCreate makes the GL context for the game window.
bool RdCreate();
void RdRelease();
bool RdIsCreated();

// Frame. Clear colour is ARGB.
void RdBeginScene();
void RdClear(uint32_t argb, float depth);
void RdEndScene();
bool RdPresent();

// Render states.
void RdSetLighting(bool on);
void RdSetSpecularEnable(bool on);
void RdSetAlphaBlend(bool on);
void RdSetBlend(int src, int dst);
void RdSetZEnable(bool on);
void RdSetCullMode(int cull);
void RdSetColorOp(int op);
void RdSetColorArgs(int arg1, int arg2);
void RdSetAlphaOp(int op);
void RdSetAlphaArgs(int arg1, int arg2);
void RdSetFilter(bool linear);
void RdSetTransform(int which, const Matrix& m);
void RdSetMaterial(const Material& m);
void RdSetLight(int index, const Light& light);
void RdEnableLight(int index, bool on);
Viewport RdGetViewport();
// Viewport of the current target, from its top-left corner: pixels of an
// off-screen target, view units (800 x 600) of the back buffer.
void RdSetViewport(const Viewport& vp);

// Textures: RGBA8 pixels, rows top to bottom.
RdTexture* RdCreateTexture(int width, int height, const uint8_t* rgba);
void RdReleaseTexture(RdTexture* t);
void RdSetTexture(RdTexture* t);  // null unbinds

// Drawing.
void RdDrawScreenQuad(const ScreenVertex v[4]);  // two-triangle strip
void RdDrawWorldQuad(const WorldVertex v[4]);    // two-triangle strip
RdMesh* RdCreateMesh(const MeshVertex* vertices, int vertexCount, const uint32_t* indices,
                     int indexCount, bool hasVertexColours);
void RdDrawMesh(RdMesh* mesh, int firstIndex, int indexCount);  // triangle list
void RdReleaseMesh(RdMesh* mesh);

// Counters since the last reset, for benchmarks and tests.
struct RdStats {
    int drawCalls;        // GL draw calls issued
    int quadsQueued;      // screen and world quads handed to the device
    int meshDraws;        // mesh draws handed to the device
    int meshesCulled;     // of those, wholly outside the view volume and not sent
    int programSwitches;  // shader programs put in use
    int textureBinds;     // textures bound for drawing
};
RdStats RdGetStats();
void RdResetStats();
// On (the default), quads drawn one after another under the same states go
// to GL as one draw call and meshes wholly outside the view are skipped. Off,
// every quad is drawn as its own triangle strip and every mesh is sent: the
// pixels are the same either way (tests compare the two).
void RdSetDrawShortcuts(bool on);

// Off-screen target with its own depth buffer.
RdRenderTarget* RdCreateRenderTarget(int width, int height);
RdTexture* RdRenderTargetTexture(RdRenderTarget* rt);
// Null puts back the back buffer and its viewport.
void RdSetRenderTarget(RdRenderTarget* rt);
void RdReleaseRenderTarget(RdRenderTarget* rt);

// Asks the next RdPresent to keep a copy of its picture (reading a frame back
// costs time, so only frames that are wanted are copied).
void RdCaptureNextPresent();
// The 800 x 600 picture of the last present, RGBA8, rows top to bottom;
// false unless that present was asked to be captured and the view was drawn
// at 800 x 600.
bool RdReadLastFrame(uint8_t* rgba);
// The last captured present as it was: the whole window (width x height,
// RGBA8, rows top to bottom) and the view's rectangle in it. False unless
// that present was asked to be captured. Valid until the next capture.
bool RdLastPresent(const uint8_t** rgba, int* width, int* height, ViewRect* view);
// The current target's pixels now (tests), RGBA8, rows top to bottom; for
// the back buffer in its own pixels (800 x 600 in a window of that size).
bool RdReadPixels(int x, int y, int w, int h, uint8_t* rgba);

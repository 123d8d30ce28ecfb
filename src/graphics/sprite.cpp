// Textures, screen sprites, world quads, digits and the pulse oscillator.
// Every image is one textured quad of four vertices drawn as a strip.
#include "graphics/sprite.h"

#include <cstdio>
#include <vector>

#include "core/manifest.h"
#include "core/regular_file.h"
#include "platform/image.h"
#include "platform/messages.h"
#include "platform/render.h"
#include "platform/system.h"

Texture* TextureTable[kTextureSlots];

namespace {

// Larger files are not images the game ships; refuse before reading them.
constexpr size_t kMaxImageFileBytes = size_t(64) << 20;

uint32_t Channel(float c) {
    if (c >= 1.0f) return 255;
    // Written as "not above 0" so that a NaN channel packs as 0 instead of
    // reaching the integer conversion (which has no defined result for it
    // and could spill into the neighbouring channels).
    if (!(c > 0.0f)) return 0;
    return static_cast<uint32_t>(c * 255.0f + 0.5f);
}

// A missing device would repeat its message on every draw of every frame
// until the loop ends; it is shown once, and the quit is posted every time.
void FatalDrawError(MessageId message, bool* shown) {
    if (!*shown) ShowFatal(message);
    *shown = true;
    PostQuit(1);
}

bool g_screenErrorShown = false;
bool g_worldErrorShown = false;

}  // namespace

Texture* CreateTextureFromPixels(int width, int height, const uint8_t* rgba) {
    RdTexture* handle = RdCreateTexture(width, height, rgba);
    if (handle == nullptr) return nullptr;
    return new Texture{handle, width, height};
}

Texture* CreateTextureFromMemory(const uint8_t* bytes, int size) {
    int w = 0, h = 0;
    uint8_t* rgba = nullptr;
    if (!DecodeImage(bytes, size, &w, &h, &rgba)) return nullptr;
    Texture* texture = CreateTextureFromPixels(w, h, rgba);
    FreeImage(rgba);
    return texture;
}

Texture* CreateTextureFromFile(const char* path) {
    std::vector<uint8_t> bytes;
    if (!ReadRegularFile(path, kMaxImageFileBytes, &bytes, nullptr) || bytes.empty()) return nullptr;
    return CreateTextureFromMemory(bytes.data(), static_cast<int>(bytes.size()));
}

void ReleaseTexture(Texture* t) {
    if (t == nullptr) return;
    RdReleaseTexture(t->handle);
    delete t;
}

uint32_t ColorToArgb(float r, float g, float b, float a) {
    return Channel(a) << 24 | Channel(r) << 16 | Channel(g) << 8 | Channel(b);
}

int DrawSprite(Texture* tex, float left, float top, float right, float bottom, float srcX,
               float srcY, float srcW, float srcH, float texW, float texH, float r, float g,
               float b, float a) {
    const float corners[4][2] = {{left, top}, {right, top}, {left, bottom}, {right, bottom}};
    return DrawScreenQuad(tex, corners, r, g, b, a, srcX, srcY, srcW, srcH, texW, texH);
}

// Positions are used as given: no half-pixel adjustment.
int DrawScreenQuad(Texture* tex, const float corners[4][2], float r, float g, float b, float a,
                   float srcX, float srcY, float srcW, float srcH, float texW, float texH) {
    RdSetTexture(tex ? tex->handle : nullptr);
    if (!RdIsCreated()) {
        FatalDrawError(MsgVertexBuffer, &g_screenErrorShown);
        return 0;
    }
    const uint32_t colour = ColorToArgb(r, g, b, a);
    const float u0 = srcX / texW, v0 = srcY / texH;
    const float u1 = (srcX + srcW) / texW, v1 = (srcY + srcH) / texH;
    const ScreenVertex v[4] = {
        {corners[0][0], corners[0][1], 0.0f, 1.0f, colour, u0, v0},
        {corners[1][0], corners[1][1], 0.0f, 1.0f, colour, u1, v0},
        {corners[2][0], corners[2][1], 0.0f, 1.0f, colour, u0, v1},
        {corners[3][0], corners[3][1], 0.0f, 1.0f, colour, u1, v1},
    };
    RdDrawScreenQuad(v);
    return 1;
}

// Uses the current world, view and projection, so the quad is lit,
// depth-tested and blended by whatever states are set.
int DrawWorldQuad(Texture* tex, const Vec3 corners[4], float r, float g, float b, float a,
                  float srcX, float srcY, float srcW, float srcH, float texW, float texH) {
    RdSetTexture(tex ? tex->handle : nullptr);
    if (!RdIsCreated() || tex == nullptr) {
        FatalDrawError(MsgWorldBuffer, &g_worldErrorShown);
        return 0;
    }
    const uint32_t colour = ColorToArgb(r, g, b, a);
    const float u0 = srcX / texW, v0 = srcY / texH;
    const float u1 = (srcX + srcW) / texW, v1 = (srcY + srcH) / texH;
    const WorldVertex v[4] = {
        {corners[0].x, corners[0].y, corners[0].z, colour, u0, v0},
        {corners[1].x, corners[1].y, corners[1].z, colour, u1, v0},
        {corners[2].x, corners[2].y, corners[2].z, colour, u0, v1},
        {corners[3].x, corners[3].y, corners[3].z, colour, u1, v1},
    };
    RdDrawWorldQuad(v);
    return 1;
}

// The test looks at the value before the step, so it overshoots past 1 and
// below 0 by up to one step; the colour conversion clamps it.
void PingPong(int* state, float* value, float step) {
    if (*state == 0) {
        if (*value > 1.0f) *state = 1;
        *value += step;
    } else if (*state == 1) {
        if (*value < 0.0f) *state = 0;
        *value -= step;
    }
}

void ReleaseTextures() {
    for (Texture*& slot : TextureTable) {
        if (slot) ReleaseTexture(slot);
        slot = nullptr;
    }
}

void DrawGlyph(Texture* tex, float x, float y, float w, float h, float texW, float texH, int n) {
    DrawSprite(tex, x, y, x + w, y + h, w * static_cast<float>(n), 0.0f, w, h, texW, texH, 1.0f,
               1.0f, 1.0f, 1.0f);
}

// Right-aligned on the units place at x + 120, 30 pixels per place, so
// neighbouring 32-pixel digits overlap by 2. The ten-thousands place is not
// reduced modulo 10. A negative value (never passed by the game) draws 0
// rather than cells from outside the strip.
void DrawNumber(int value, float x, float y) {
    Texture* tex = TextureTable[TexNumber];
    if (value < 0) value = 0;
    const float w = 32.0f, h = 64.0f, texW = 512.0f, texH = 64.0f;
    if (value / 10000 > 0) DrawGlyph(tex, x, y, w, h, texW, texH, value / 10000);
    if (value / 1000 > 0) DrawGlyph(tex, x + 30.0f, y, w, h, texW, texH, value / 1000 % 10);
    if (value / 100 > 0) DrawGlyph(tex, x + 60.0f, y, w, h, texW, texH, value / 100 % 10);
    if (value / 10 > 0) DrawGlyph(tex, x + 90.0f, y, w, h, texW, texH, value / 10 % 10);
    DrawGlyph(tex, x + 120.0f, y, w, h, texW, texH, value % 10);
}

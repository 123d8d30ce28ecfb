// Textures, screen sprites, world quads and the pulse oscillator.
#pragma once
#include <cstdint>

#include "core/math3d.h"
#include "core/tables.h"

struct RdTexture;

struct Texture {
    RdTexture* handle;
    int width, height;  // of the image as loaded
};

extern Texture* TextureTable[kTextureSlots];

// Decodes PNG or BMP bytes into a texture; null when the image is refused.
Texture* CreateTextureFromMemory(const uint8_t* bytes, int size);
Texture* CreateTextureFromFile(const char* path);
// A texture of decoded RGBA8 pixels (rows top to bottom); null when refused.
Texture* CreateTextureFromPixels(int width, int height, const uint8_t* rgba);
void ReleaseTexture(Texture* t);

// c >= 1 -> 255; c <= 0 -> 0; otherwise (int)(c * 255 + 0.5).
uint32_t ColorToArgb(float r, float g, float b, float a);

int DrawSprite(Texture* tex, float left, float top, float right, float bottom, float srcX,
               float srcY, float srcW, float srcH, float texW, float texH, float r, float g,
               float b, float a);
int DrawScreenQuad(Texture* tex, const float corners[4][2], float r, float g, float b, float a,
                   float srcX, float srcY, float srcW, float srcH, float texW, float texH);
int DrawWorldQuad(Texture* tex, const Vec3 corners[4], float r, float g, float b, float a,
                  float srcX, float srcY, float srcW, float srcH, float texW, float texH);
void PingPong(int* state, float* value, float step);
void ReleaseTextures();
void DrawGlyph(Texture* tex, float x, float y, float w, float h, float texW, float texH, int n);
// Digits of "Number.png", right-aligned on the units place at x + 120.
void DrawNumber(int value, float x, float y);

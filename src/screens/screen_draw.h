// Small drawing helpers shared by the menu and stage screens.
#pragma once
#include "core/manifest.h"
#include "graphics/sprite.h"

// Menu background: a pale pink behind every 2D screen.
constexpr int kMenuRed = 250;
constexpr int kMenuGreen = 233;
constexpr int kMenuBlue = 233;

// One white sprite from a texture slot. The texture size is the one the
// picture was drawn for, not the loaded size, so a resized image still maps
// its cells the same way.
inline void DrawSlot(int slot, float left, float top, float right, float bottom, float srcX,
                     float srcY, float srcW, float srcH, float texW, float texH, float alpha) {
    DrawSprite(TextureTable[slot], left, top, right, bottom, srcX, srcY, srcW, srcH, texW, texH,
               1.0f, 1.0f, 1.0f, alpha);
}

// "black.bmp" stretched over the whole view.
inline void DrawDimmer(float alpha) {
    DrawSlot(TexBlack, 0, 0, 800, 600, 0, 0, 1, 1, 1, 1, alpha);
}

// Frees the stage's enemy meshes and its floor and buildings: every way out
// of a stage calls this, the next stage load fills the tables again.
void ReleaseStageMeshes();

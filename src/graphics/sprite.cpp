// Placeholder: sprites land with the graphics work.
#include "graphics/sprite.h"
Texture* TextureTable[kTextureSlots];
void ReleaseTextures() {}

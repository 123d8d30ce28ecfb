// The game's icon, a small flying saucer: the window's icon and, drawn at the
// desktop's sizes at build time, the installed icons. No file is needed.
#pragma once
#include <cstdint>

// Fills size x size pixels, rows top to bottom, as 0xAARRGGBB words.
void DrawIconPicture(int size, uint32_t* argb);

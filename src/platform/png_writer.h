// Writes RGBA8 pixels (rows top to bottom) as a PNG file.
#pragma once
#include <cstdint>

bool WritePng(const char* path, int width, int height, const uint8_t* rgba);

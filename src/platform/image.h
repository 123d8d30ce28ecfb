// Image decoding for textures: PNG and BMP only.
#pragma once
#include <cstdint>

// Largest width or height accepted; bigger images are refused as corrupt.
constexpr int kMaxImageSide = 8192;

// Decodes PNG or BMP bytes into RGBA8 pixels, rows top to bottom. Anything
// else, a damaged file or an image larger than kMaxImageSide is refused
// (false, *rgba null). Free the pixels with FreeImage.
bool DecodeImage(const uint8_t* bytes, int size, int* w, int* h, uint8_t** rgba);
void FreeImage(uint8_t* rgba);
// Why the last DecodeImage call refused its input (static text).
const char* ImageError();

// Image decoding for textures: PNG and BMP only.
#pragma once
#include <cstdint>

// Largest width or height accepted; bigger images are refused as corrupt,
// before their pixels are decoded: a small PNG may ask for 8192 x 8192
// texels, a quarter of a gigabyte. The game's own are at most 1024 wide.
constexpr int kMaxImageSide = 4096;

// Decodes PNG or BMP bytes into RGBA8 pixels, rows top to bottom. Anything
// else, a damaged file or an image larger than kMaxImageSide is refused
// (false, *rgba null). Free the pixels with FreeImage.
bool DecodeImage(const uint8_t* bytes, int size, int* w, int* h, uint8_t** rgba);
void FreeImage(uint8_t* rgba);
// Why the last DecodeImage call refused its input (static text).
const char* ImageError();

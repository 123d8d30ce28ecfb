#include "platform/png_writer.h"

// Kept static so that tools with their own copy of the writer link cleanly.
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-function"
#include <stb_image_write.h>
#pragma GCC diagnostic pop

bool WritePng(const char* path, int width, int height, const uint8_t* rgba) {
    return stbi_write_png(path, width, height, 4, rgba, width * 4) != 0;
}

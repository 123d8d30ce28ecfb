// One window and render device per test binary run, for the tests that read
// pixels back. Tests skip themselves when no display is available.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/render.h"

// Creates the window and device on first use; false when there is no display.
bool GlTestDevice();
// Reads the whole 800 x 600 current target, rows top to bottom.
std::vector<uint8_t> ReadView();
inline const uint8_t* PixelAt(const std::vector<uint8_t>& img, int x, int y, int width = 800) {
    return &img[(static_cast<size_t>(y) * width + x) * 4];
}

#define REQUIRE_GL()                                          \
    do {                                                      \
        if (!GlTestDevice()) GTEST_SKIP() << "no OpenGL display"; \
    } while (0)

#include "platform/icon_picture.h"

#include <cmath>

namespace {

// The picture on a 32 x 32 grid: x, y are grid coordinates (pixel centres at
// .5), the colour 0 where the background shows.
uint32_t Saucer(float x, float y) {
    const float fx = (x - 16.0f) / 15.0f;
    const float dy = (y - 13.5f) / 7.0f;
    const float hy = (y - 18.5f) / 4.5f;
    const float dome = fx * fx + dy * dy;
    const float disc = fx * fx + hy * hy;
    uint32_t c = 0;
    if (y < 16.0f && dome < 0.30f) c = 0xFF8FE3FF;                                // glass dome
    if (disc < 1.0f) c = (y < 18.0f) ? 0xFFB8BCC8 : 0xFF6E7486;                    // hull
    if (disc < 1.0f && y >= 19.0f && y < 20.0f && int(std::floor(x)) % 6 == 3) c = 0xFFFFD23C;  // lights
    return c;
}

}  // namespace

void DrawIconPicture(int size, uint32_t* argb) {
    // Each pixel averages 4 x 4 samples of the grid picture, so every size has
    // smooth edges; colours are averaged with their coverage (premultiplied).
    constexpr int kSamples = 4;
    const float step = 32.0f / float(size);
    for (int py = 0; py < size; ++py) {
        for (int px = 0; px < size; ++px) {
            float a = 0, r = 0, g = 0, b = 0;
            for (int sy = 0; sy < kSamples; ++sy) {
                for (int sx = 0; sx < kSamples; ++sx) {
                    const float x = (float(px) + (float(sx) + 0.5f) / kSamples) * step;
                    const float y = (float(py) + (float(sy) + 0.5f) / kSamples) * step;
                    const uint32_t c = Saucer(x, y);
                    if (c == 0) continue;
                    a += 1.0f;
                    r += float(c >> 16 & 0xFF);
                    g += float(c >> 8 & 0xFF);
                    b += float(c & 0xFF);
                }
            }
            uint32_t out = 0;
            if (a > 0) {
                const auto ch = [&](float sum) { return uint32_t(sum / a + 0.5f); };
                out = uint32_t(a / (kSamples * kSamples) * 255.0f + 0.5f) << 24 | ch(r) << 16 | ch(g) << 8 | ch(b);
            }
            argb[py * size + px] = out;
        }
    }
}

// Small software rasteriser for the generated pictures: coverage masks,
// anti-aliased shapes, outlines, shadows and premultiplied RGBA compositing.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace img {
struct Rgba {
    float r, g, b, a;
};

inline Rgba Col(int r, int g, int b, float a = 1.0f) { return {r / 255.0f, g / 255.0f, b / 255.0f, a}; }
Rgba Mix(Rgba a, Rgba b, float t);

// A coverage mask: one float 0..1 per pixel.
struct Mask {
    int w = 0, h = 0;
    std::vector<float> v;
    Mask() = default;
    Mask(int w_, int h_) : w(w_), h(h_), v(size_t(w_) * h_, 0.0f) {}
    float at(int x, int y) const { return (x < 0 || y < 0 || x >= w || y >= h) ? 0.0f : v[size_t(y) * w + x]; }
    float& ref(int x, int y) { return v[size_t(y) * w + x]; }
};

// An image in premultiplied RGBA floats.
struct Image {
    int w = 0, h = 0;
    std::vector<float> p;  // 4 per pixel
    Image() = default;
    Image(int w_, int h_) : w(w_), h(h_), p(size_t(w_) * h_ * 4, 0.0f) {}
    float* px(int x, int y) { return &p[(size_t(y) * w + x) * 4]; }
    const float* px(int x, int y) const { return &p[(size_t(y) * w + x) * 4]; }
    // Straight-alpha colour c with coverage m laid over the pixel.
    void Over(int x, int y, Rgba c, float m);
    void Fill(Rgba c);
};

// Mask operations.
Mask Dilate(const Mask& m, float radius);
Mask Blur(const Mask& m, int radius);  // three box passes, close to a gaussian
Mask Shift(const Mask& m, float dx, float dy);
Mask Shear(const Mask& m, float slope, float pivotY);  // x += slope * (pivotY - y)
void MaxInto(Mask& dst, const Mask& src);
void Scale(Mask& m, float s);

// Anti-aliased shapes as coverage (4 x 4 samples per pixel).
struct Pt {
    float x, y;
};
Mask PolygonMask(int w, int h, const std::vector<Pt>& poly);
Mask CircleMask(int w, int h, float cx, float cy, float r);
Mask RoundRectMask(int w, int h, float x0, float y0, float x1, float y1, float radius);
Mask RingMask(int w, int h, float cx, float cy, float r0, float r1);

// Composite a mask in one colour, or in a colour that depends on the pixel.
void Paint(Image& img, const Mask& m, Rgba c, int ox = 0, int oy = 0);
template <class F>
void PaintFn(Image& img, const Mask& m, F colourAt, int ox = 0, int oy = 0) {
    for (int y = 0; y < m.h; ++y)
        for (int x = 0; x < m.w; ++x) {
            float a = m.v[size_t(y) * m.w + x];
            int tx = x + ox, ty = y + oy;
            if (a <= 0.0f || tx < 0 || ty < 0 || tx >= img.w || ty >= img.h) continue;
            img.Over(tx, ty, colourAt(tx, ty), a);
        }
}
// img2 laid over img at (ox, oy).
void Blit(Image& dst, const Image& src, int ox, int oy);

// 8-bit straight RGBA for the PNG writer. Fully transparent pixels get `hidden`
// as their colour so that filtering never pulls a dark fringe in.
std::vector<uint8_t> ToRgba8(const Image& img, Rgba hidden);

// Deterministic noise in 0..1 (value noise with smooth interpolation).
float Hash2(int x, int y, uint32_t seed);
float ValueNoise(float x, float y, uint32_t seed, int period = 0);
float Fbm(float x, float y, uint32_t seed, int octaves, int period = 0);
}  // namespace img

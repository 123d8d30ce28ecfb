#include "raster.h"

#include <algorithm>
#include <cmath>

namespace img {
Rgba Mix(Rgba a, Rgba b, float t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, a.a + (b.a - a.a) * t};
}

void Image::Over(int x, int y, Rgba c, float m) {
    float a = std::clamp(c.a * m, 0.0f, 1.0f);
    float* d = px(x, y);
    d[0] = c.r * a + d[0] * (1 - a);
    d[1] = c.g * a + d[1] * (1 - a);
    d[2] = c.b * a + d[2] * (1 - a);
    d[3] = a + d[3] * (1 - a);
}

void Image::Fill(Rgba c) {
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            float* d = px(x, y);
            d[0] = c.r * c.a, d[1] = c.g * c.a, d[2] = c.b * c.a, d[3] = c.a;
        }
}

Mask Dilate(const Mask& m, float radius) {
    Mask out(m.w, m.h);
    int r = int(std::ceil(radius)) + 1;
    std::vector<std::pair<int, int>> offs;
    std::vector<float> weight;
    for (int dy = -r; dy <= r; ++dy)
        for (int dx = -r; dx <= r; ++dx) {
            float d = std::sqrt(float(dx * dx + dy * dy));
            float wgt = std::clamp(radius + 0.5f - d, 0.0f, 1.0f);
            if (wgt > 0) offs.push_back({dx, dy}), weight.push_back(wgt);
        }
    for (int y = 0; y < m.h; ++y)
        for (int x = 0; x < m.w; ++x) {
            float best = 0;
            for (size_t i = 0; i < offs.size() && best < 1.0f; ++i) {
                float v = m.at(x + offs[i].first, y + offs[i].second) * weight[i];
                best = std::max(best, v);
            }
            out.ref(x, y) = best;
        }
    return out;
}

static void BoxPass(std::vector<float>& v, int w, int h, int r, bool horizontal) {
    std::vector<float> tmp(v.size());
    int n = horizontal ? w : h, lines = horizontal ? h : w;
    for (int l = 0; l < lines; ++l) {
        auto idx = [&](int i) { return horizontal ? size_t(l) * w + i : size_t(i) * w + l; };
        for (int i = 0; i < n; ++i) {
            float s = 0;
            for (int k = -r; k <= r; ++k) {
                int j = i + k;
                if (j >= 0 && j < n) s += v[idx(j)];
            }
            tmp[idx(i)] = s / float(2 * r + 1);
        }
    }
    v.swap(tmp);
}

Mask Blur(const Mask& m, int radius) {
    Mask out = m;
    if (radius <= 0) return out;
    for (int pass = 0; pass < 3; ++pass) {
        BoxPass(out.v, out.w, out.h, radius, true);
        BoxPass(out.v, out.w, out.h, radius, false);
    }
    return out;
}

static float Sample(const Mask& m, float x, float y) {
    int x0 = int(std::floor(x)), y0 = int(std::floor(y));
    float fx = x - x0, fy = y - y0;
    float a = m.at(x0, y0) * (1 - fx) + m.at(x0 + 1, y0) * fx;
    float b = m.at(x0, y0 + 1) * (1 - fx) + m.at(x0 + 1, y0 + 1) * fx;
    return a * (1 - fy) + b * fy;
}

Mask Shift(const Mask& m, float dx, float dy) {
    Mask out(m.w, m.h);
    for (int y = 0; y < m.h; ++y)
        for (int x = 0; x < m.w; ++x) out.ref(x, y) = Sample(m, x - dx, y - dy);
    return out;
}

Mask Shear(const Mask& m, float slope, float pivotY) {
    Mask out(m.w, m.h);
    for (int y = 0; y < m.h; ++y) {
        float off = slope * (pivotY - (y + 0.5f));
        for (int x = 0; x < m.w; ++x) out.ref(x, y) = Sample(m, x - off, float(y));
    }
    return out;
}

void MaxInto(Mask& dst, const Mask& src) {
    for (size_t i = 0; i < dst.v.size() && i < src.v.size(); ++i) dst.v[i] = std::max(dst.v[i], src.v[i]);
}

void Scale(Mask& m, float s) {
    for (float& f : m.v) f = std::clamp(f * s, 0.0f, 1.0f);
}

template <class Inside>
static Mask Supersample(int w, int h, Inside inside) {
    Mask out(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            int n = 0;
            for (int sy = 0; sy < 4; ++sy)
                for (int sx = 0; sx < 4; ++sx)
                    if (inside(x + (sx + 0.5f) / 4.0f, y + (sy + 0.5f) / 4.0f)) ++n;
            out.ref(x, y) = n / 16.0f;
        }
    return out;
}

Mask PolygonMask(int w, int h, const std::vector<Pt>& poly) {
    return Supersample(w, h, [&](float px, float py) {
        bool in = false;
        for (size_t i = 0, j = poly.size() - 1; i < poly.size(); j = i++) {
            const Pt &a = poly[i], &b = poly[j];
            if ((a.y > py) != (b.y > py) && px < (b.x - a.x) * (py - a.y) / (b.y - a.y) + a.x) in = !in;
        }
        return in;
    });
}

Mask CircleMask(int w, int h, float cx, float cy, float r) {
    return Supersample(w, h, [&](float x, float y) { return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r; });
}

Mask RingMask(int w, int h, float cx, float cy, float r0, float r1) {
    return Supersample(w, h, [&](float x, float y) {
        float d2 = (x - cx) * (x - cx) + (y - cy) * (y - cy);
        return d2 <= r1 * r1 && d2 >= r0 * r0;
    });
}

Mask RoundRectMask(int w, int h, float x0, float y0, float x1, float y1, float radius) {
    return Supersample(w, h, [&](float x, float y) {
        if (x < x0 || x > x1 || y < y0 || y > y1) return false;
        float cx = std::clamp(x, x0 + radius, x1 - radius), cy = std::clamp(y, y0 + radius, y1 - radius);
        return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius;
    });
}

void Paint(Image& img, const Mask& m, Rgba c, int ox, int oy) {
    PaintFn(img, m, [&](int, int) { return c; }, ox, oy);
}

void Blit(Image& dst, const Image& src, int ox, int oy) {
    for (int y = 0; y < src.h; ++y)
        for (int x = 0; x < src.w; ++x) {
            int tx = x + ox, ty = y + oy;
            if (tx < 0 || ty < 0 || tx >= dst.w || ty >= dst.h) continue;
            const float* s = src.px(x, y);
            float* d = dst.px(tx, ty);
            for (int k = 0; k < 4; ++k) d[k] = s[k] + d[k] * (1 - s[3]);
        }
}

std::vector<uint8_t> ToRgba8(const Image& img, Rgba hidden) {
    std::vector<uint8_t> out(size_t(img.w) * img.h * 4);
    auto q = [](float f) { return uint8_t(std::lround(std::clamp(f, 0.0f, 1.0f) * 255.0f)); };
    for (int y = 0; y < img.h; ++y)
        for (int x = 0; x < img.w; ++x) {
            const float* s = img.px(x, y);
            uint8_t* d = &out[(size_t(y) * img.w + x) * 4];
            uint8_t a = q(s[3]);
            if (a == 0) {
                d[0] = q(hidden.r), d[1] = q(hidden.g), d[2] = q(hidden.b), d[3] = 0;
            } else {
                d[0] = q(s[0] / s[3]), d[1] = q(s[1] / s[3]), d[2] = q(s[2] / s[3]), d[3] = a;
            }
        }
    return out;
}

float Hash2(int x, int y, uint32_t seed) {
    uint32_t h = uint32_t(x) * 374761393u + uint32_t(y) * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return (h & 0xFFFFFF) / float(0xFFFFFF);
}

float ValueNoise(float x, float y, uint32_t seed, int period) {
    int x0 = int(std::floor(x)), y0 = int(std::floor(y));
    float fx = x - x0, fy = y - y0;
    auto wrap = [&](int v) { return period > 0 ? ((v % period) + period) % period : v; };
    float sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
    float a = Hash2(wrap(x0), wrap(y0), seed), b = Hash2(wrap(x0 + 1), wrap(y0), seed);
    float c = Hash2(wrap(x0), wrap(y0 + 1), seed), d = Hash2(wrap(x0 + 1), wrap(y0 + 1), seed);
    return (a * (1 - sx) + b * sx) * (1 - sy) + (c * (1 - sx) + d * sx) * sy;
}

float Fbm(float x, float y, uint32_t seed, int octaves, int period) {
    float sum = 0, amp = 0.5f, norm = 0;
    for (int o = 0; o < octaves; ++o) {
        sum += ValueNoise(x, y, seed + o * 17, period) * amp;
        norm += amp;
        x *= 2, y *= 2, amp *= 0.5f;
        if (period > 0) period *= 2;
    }
    return sum / norm;
}
}  // namespace img

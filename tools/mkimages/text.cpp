#include "text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#define STBTT_STATIC
#define STB_TRUETYPE_IMPLEMENTATION
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wsign-compare"
#include "stb_truetype.h"
#pragma GCC diagnostic pop

#include "core/regular_file.h"

namespace img {
namespace {
std::vector<unsigned char> gFontData;
stbtt_fontinfo gFont;
float gCapUnits = 1.0f;

float ScaleFor(float capHeight) { return capHeight / gCapUnits; }

struct Layout {
    float inkX0, inkX1;  // relative to the pen start
};

// Walks the glyphs; calls emit(codepoint, penX, scaleX, scaleY) per glyph.
template <class Emit>
Layout Walk(const std::string& text, float capHeight, const TextStyle& st, Emit emit) {
    float sy = ScaleFor(capHeight), sx = sy * st.xScale;
    float pen = 0;
    Layout l{1e9f, -1e9f};
    for (size_t i = 0; i < text.size(); ++i) {
        int cp = (unsigned char)text[i];
        int adv, lsb;
        stbtt_GetCodepointHMetrics(&gFont, cp, &adv, &lsb);
        int x0, y0, x1, y1;
        stbtt_GetCodepointBitmapBoxSubpixel(&gFont, cp, sx, sy, pen - std::floor(pen), 0, &x0, &y0, &x1, &y1);
        if (x1 > x0) {
            l.inkX0 = std::min(l.inkX0, std::floor(pen) + x0);
            l.inkX1 = std::max(l.inkX1, std::floor(pen) + x1);
        }
        emit(cp, pen, sx, sy);
        pen += adv * sx + st.tracking;
        if (i + 1 < text.size()) pen += stbtt_GetCodepointKernAdvance(&gFont, cp, (unsigned char)text[i + 1]) * sx;
    }
    if (l.inkX1 < l.inkX0) l = {0, 0};
    return l;
}

Rgba Gradient(const Palette& p, float t) {
    t = std::clamp(t, 0.0f, 1.0f);
    return t < 0.5f ? Mix(p.top, p.mid, t * 2) : Mix(p.mid, p.bottom, (t - 0.5f) * 2);
}
}  // namespace

bool LoadFont(const char* path) {
    // No font file comes near 64 MB; a FIFO or a device is no font.
    if (!ReadRegularFile(path, size_t(64) << 20, &gFontData, nullptr) || gFontData.empty() ||
        !stbtt_InitFont(&gFont, gFontData.data(), stbtt_GetFontOffsetForIndex(gFontData.data(), 0)))
        return false;
    int x0, y0, x1, y1;
    if (!stbtt_GetCodepointBox(&gFont, 'H', &x0, &y0, &x1, &y1)) return false;
    gCapUnits = float(y1);
    return true;
}

Palette GoldPalette() { return {Col(255, 252, 214), Col(255, 206, 64), Col(242, 118, 22), Col(38, 26, 74)}; }
Palette SkyPalette() { return {Col(255, 255, 255), Col(150, 226, 255), Col(40, 130, 235), Col(30, 28, 78)}; }
Palette RedPalette() { return {Col(255, 232, 224), Col(255, 110, 96), Col(196, 20, 44), Col(48, 12, 32)}; }
Palette WhitePalette() { return {Col(255, 255, 255), Col(240, 244, 255), Col(196, 214, 244), Col(22, 24, 52)}; }

float TextInkWidth(const std::string& text, float capHeight, const TextStyle& st) {
    Layout l = Walk(text, capHeight, st, [](int, float, float, float) {});
    return l.inkX1 - l.inkX0 + st.italic * capHeight;
}

float FitCap(const std::string& text, float wanted, float maxWidth, const TextStyle& st) {
    float cap = wanted;
    while (cap > 4 && TextInkWidth(text, cap, st) + 2 * st.outline + std::fabs(st.shadowDx) > maxWidth) cap -= 0.5f;
    return cap;
}

Mask TextCoverage(int w, int h, const std::string& text, float capHeight, float x, float baseline, Align align,
                  const TextStyle& st) {
    Layout l = Walk(text, capHeight, st, [](int, float, float, float) {});
    float inkW = l.inkX1 - l.inkX0 + st.italic * capHeight;
    float left = align == Align::Left ? x : align == Align::Centre ? x - inkW / 2 : x - inkW;
    // Pixel-align the pen so that stems stay crisp.
    float start = std::round(left - l.inkX0);
    int base = int(std::lround(baseline));
    Mask m(w, h);
    std::vector<unsigned char> buf;
    Walk(text, capHeight, st, [&](int cp, float pen, float sx, float sy) {
        float px = start + pen;
        float fx = px - std::floor(px);
        int x0, y0, x1, y1;
        stbtt_GetCodepointBitmapBoxSubpixel(&gFont, cp, sx, sy, fx, 0, &x0, &y0, &x1, &y1);
        int gw = x1 - x0, gh = y1 - y0;
        if (gw <= 0 || gh <= 0) return;
        buf.assign(size_t(gw) * gh, 0);
        stbtt_MakeCodepointBitmapSubpixel(&gFont, buf.data(), gw, gh, gw, sx, sy, fx, 0, cp);
        int ox = int(std::floor(px)) + x0, oy = base + y0;
        for (int y = 0; y < gh; ++y)
            for (int xx = 0; xx < gw; ++xx) {
                int tx = ox + xx, ty = oy + y;
                if (tx < 0 || ty < 0 || tx >= w || ty >= h) continue;
                float& d = m.ref(tx, ty);
                d = std::min(1.0f, d + buf[size_t(y) * gw + xx] / 255.0f);
            }
    });
    if (st.italic != 0) m = Shear(m, st.italic, float(base));
    return m;
}

void DrawStyledMask(Image& img, const Mask& fill, float capTop, float baseline, const TextStyle& st) {
    Mask outline = Dilate(fill, st.outline);
    if (st.shadowAlpha > 0) {
        Mask shadow = Blur(Shift(outline, st.shadowDx, st.shadowDy), st.shadowBlur);
        Paint(img, shadow, Rgba{0.02f, 0.02f, 0.08f, st.shadowAlpha});
    }
    Paint(img, outline, st.pal.outline);
    float span = std::max(1.0f, baseline - capTop);
    PaintFn(img, fill, [&](int, int y) { return Gradient(st.pal, (y + 0.5f - capTop) / span); });
    // A thin light rim along the upper edge of every stroke gives the letters some relief.
    Mask below = Shift(fill, 0, 1.2f);
    Mask rim(fill.w, fill.h);
    for (size_t i = 0; i < rim.v.size(); ++i) rim.v[i] = std::max(0.0f, fill.v[i] - below.v[i]) * 0.55f;
    Paint(img, rim, Rgba{1, 1, 1, 1});
}

void DrawText(Image& img, const std::string& text, float capHeight, float x, float baseline, Align align,
              const TextStyle& st) {
    Mask fill = TextCoverage(img.w, img.h, text, capHeight, x, baseline, align, st);
    DrawStyledMask(img, fill, baseline - capHeight, baseline, st);
}
}  // namespace img

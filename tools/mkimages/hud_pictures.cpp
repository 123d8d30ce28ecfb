// Glyph strips, gauges, the countdown, the cursor and the logo. The cell
// layouts are what the screens cut out of these pictures.
#include <algorithm>
#include <cmath>

#include "pictures.h"
#include "text.h"

namespace img {
namespace {
const Rgba kHidden = Col(30, 28, 78, 0);

// Draws one glyph centred in a cell, squeezed horizontally until everything it
// leaves on the texture (outline and shadow included) spans at most maxInk
// columns; the ink is centred on the cell.
void CellGlyph(Image& img, const std::string& g, float cellX, float cellW, float cap, float baseline, TextStyle st,
               float maxInk) {
    const int pad = 24;
    for (;;) {
        Image tmp(int(cellW) + 2 * pad, img.h);
        DrawText(tmp, g, cap, pad + cellW / 2, baseline, Align::Centre, st);
        int x0 = tmp.w, x1 = -1;
        for (int y = 0; y < tmp.h; ++y)
            for (int x = 0; x < tmp.w; ++x)
                if (tmp.px(x, y)[3] >= 0.5f / 255) x0 = std::min(x0, x), x1 = std::max(x1, x);
        if (x1 - x0 + 1 <= maxInk || st.xScale < 0.5f) {
            int shift = int(std::floor(cellX + (cellW - (x1 - x0 + 1)) / 2)) - x0;
            Blit(img, tmp, shift, 0);
            return;
        }
        st.xScale -= 0.02f;
    }
}

Picture NumberStrip() {
    // Ten 32 x 64 digit cells; the numbers are drawn 30 pixels apart, so each
    // digit with its outline keeps inside 30 pixels of its cell.
    Picture p{"Number.png", Dest::Archive, Image(512, 64), kHidden};
    TextStyle st = BannerStyle();
    st.outline = 2.5f, st.shadowDx = st.shadowDy = 2.0f, st.shadowBlur = 0, st.italic = 0.08f, st.xScale = 0.9f;
    for (int d = 0; d < 10; ++d) CellGlyph(p.img, std::string(1, char('0' + d)), 32.0f * d, 32, 34, 40, st, 29);
    return p;
}

Picture MiniNumberStrip() {
    // Sixteen 16 x 32 cells: digits 0..9, then the minute separator (10) and
    // the decimal separator (11). The HUD places the decimal point only 10
    // pixels before the next digit, so its dot sits in the left of its cell.
    Picture p{"miniNumber.png", Dest::Archive, Image(256, 32), kHidden};
    TextStyle st = SmallStyle();
    st.xScale = 0.84f;
    for (int d = 0; d < 10; ++d) CellGlyph(p.img, std::string(1, char('0' + d)), 16.0f * d, 16, 17, 21, st, 14);
    Mask colon(256, 32);
    MaxInto(colon, CircleMask(256, 32, 160 + 7.2f, 10.5f, 1.9f));
    MaxInto(colon, CircleMask(256, 32, 160 + 6.2f, 19.0f, 1.9f));
    DrawStyledMask(p.img, colon, 4, 21, st);
    Mask dot = CircleMask(256, 32, 176 + 3.6f, 19.0f, 1.9f);
    DrawStyledMask(p.img, dot, 4, 21, st);
    return p;
}

Picture Alphabet() {
    // A..Z in 64 x 64 cells, eight to a row. Names are drawn 52 pixels apart,
    // so every letter stays within 52 pixels of its cell's centre column.
    Picture p{"alphabet.png", Dest::Archive, Image(512, 512), kHidden};
    TextStyle st = MenuStyle();
    st.outline = 3.0f, st.shadowDx = st.shadowDy = 2.5f, st.italic = 0.08f;
    for (int k = 0; k < 26; ++k) {
        int col = k % 8, row = k / 8;
        Image cell(64, 64);
        CellGlyph(cell, std::string(1, char('A' + k)), 0, 64, 40, 55, st, 52);
        Blit(p.img, cell, col * 64, row * 64);
    }
    return p;
}

Picture RankLabels() {
    // The ordinal endings after the rank digits 1, 2, 3: each cell is drawn
    // right after its digit, so the ending starts at texel 14 and shares the
    // digit's baseline (42 here, 40 in Number.png drawn 2 pixels lower).
    Picture p{"rank.png", Dest::Archive, Image(64, 256), kHidden};
    TextStyle st = MenuStyle();
    st.outline = 2.5f, st.shadowDx = st.shadowDy = 2.0f;
    const char* endings[3] = {"st", "nd", "rd"};
    for (int r = 0; r < 3; ++r) {
        Image cell(64, 64);
        float cap = FitCap(endings[r], 26, 46, st);
        DrawText(cell, endings[r], cap, 14, 42, Align::Left, st);
        Blit(p.img, cell, 0, 64 * r);
    }
    return p;
}

Picture Arrows() {
    // 32 x 16: the left page arrow in the left half, the right one in the right.
    Picture p{"arrow.png", Dest::Archive, Image(32, 16), kHidden};
    TextStyle st = BannerStyle();
    st.outline = 1.5f, st.shadowDx = st.shadowDy = 1.0f, st.shadowBlur = 0;
    Mask m(32, 16);
    MaxInto(m, PolygonMask(32, 16, {{3, 8}, {12, 2.5f}, {12, 13.5f}}));
    MaxInto(m, PolygonMask(32, 16, {{29, 8}, {20, 2.5f}, {20, 13.5f}}));
    DrawStyledMask(p.img, m, 2, 14, st);
    return p;
}

Picture Countdown() {
    // Four 64 x 128 cells: cells 2, 1, 0 are shown in that order, reading
    // 3, 2, 1; cell 3 is the start signal shown as play begins.
    Picture p{"countnum.png", Dest::Archive, Image(256, 128), kHidden};
    TextStyle st = BannerStyle();
    st.outline = 4.0f, st.shadowDx = st.shadowDy = 3.0f, st.shadowBlur = 1, st.italic = 0.06f;
    for (int c = 0; c < 3; ++c) {
        Image cell(64, 128);
        CellGlyph(cell, std::string(1, char('1' + c)), 0, 64, 80, 106, st, 60);
        Blit(p.img, cell, 64 * c, 0);
    }
    // The start signal: a green lamp with "GO" on it.
    Image cell(64, 128);
    Mask lamp = CircleMask(64, 128, 31.5f, 62, 23);
    TextStyle lampSt = st;
    lampSt.pal = {Col(210, 255, 200), Col(70, 220, 90), Col(16, 140, 60), Col(12, 44, 30)};
    lampSt.italic = 0;
    DrawStyledMask(cell, lamp, 36, 90, lampSt);
    TextStyle go = SmallStyle();
    go.outline = 2.0f, go.italic = 0.05f, go.shadowDx = go.shadowDy = 1.5f;
    float cap = FitCap("GO", 22, 40, go);
    DrawText(cell, "GO", cap, 31.5f, 62 + cap / 2, Align::Centre, go);
    Blit(p.img, cell, 192, 0);
    return p;
}

Picture Cursor() {
    // 64 x 64 pointer shown left of the chosen menu item.
    Picture p{"cursor.png", Dest::Archive, Image(64, 64), kHidden};
    TextStyle st = BannerStyle();
    st.outline = 3.0f, st.shadowDx = st.shadowDy = 3.0f;
    Mask m = PolygonMask(64, 64, {{12, 12}, {54, 32}, {12, 52}, {22, 32}});
    DrawStyledMask(p.img, m, 12, 52, st);
    return p;
}

// The player's flying saucer as a small emblem, in the text style's outline.
void SaucerEmblem(Image& img, float cx, float cy, float s) {
    int w = img.w, h = img.h;
    auto ellipse = [&](float ex, float ey, float rx, float ry) {
        std::vector<Pt> pts;
        for (int i = 0; i < 48; ++i) {
            float a = i * 6.2831853f / 48;
            pts.push_back({ex + rx * std::cos(a), ey + ry * std::sin(a)});
        }
        return PolygonMask(w, h, pts);
    };
    Mask dome = ellipse(cx, cy - 10 * s, 20 * s, 18 * s);
    Mask body = ellipse(cx, cy, 52 * s, 13 * s);
    Mask skirt = ellipse(cx, cy + 8 * s, 30 * s, 8 * s);
    Mask all = dome;
    MaxInto(all, body);
    MaxInto(all, skirt);
    Mask outline = Dilate(all, 4 * s);
    Paint(img, Blur(Shift(outline, 4, 4), 2), Rgba{0.02f, 0.02f, 0.08f, 0.45f});
    Paint(img, outline, Col(38, 26, 74));
    PaintFn(img, skirt, [&](int, int y) { return Mix(Col(150, 160, 190), Col(70, 76, 110), (y - cy) / (16 * s)); });
    PaintFn(img, body, [&](int, int y) {
        float t = (y - (cy - 13 * s)) / (26 * s);
        return t < 0.5f ? Mix(Col(250, 252, 255), Col(190, 200, 222), t * 2)
                        : Mix(Col(150, 158, 190), Col(90, 96, 132), (t - 0.5f) * 2);
    });
    Mask glass = dome;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if (y > cy - 4 * s) glass.ref(x, y) = 0;
    PaintFn(img, glass, [&](int, int y) { return Mix(Col(230, 255, 255), Col(60, 190, 240), (y - (cy - 28 * s)) / (24 * s)); });
    Paint(img, ellipse(cx - 7 * s, cy - 19 * s, 6 * s, 4 * s), Col(255, 255, 255, 0.85f));
    for (int i = -2; i <= 2; ++i) {
        Paint(img, CircleMask(w, h, cx + i * 17 * s, cy + 1 * s, 3.6f * s), Col(120, 60, 20));
        Paint(img, CircleMask(w, h, cx + i * 17 * s, cy + 0.5f * s, 2.6f * s), Col(255, 214, 70));
    }
}

Picture Logo() {
    // 1024 x 128, drawn from x 60 so that only texels 0..739 are on screen:
    // everything stays left of texel 730.
    Picture p{"logo.png", Dest::Archive, Image(1024, 128), kHidden};
    SaucerEmblem(p.img, 72, 62, 1.15f);
    TextStyle st = BannerStyle();
    st.outline = 5.0f, st.shadowDx = st.shadowDy = 5.0f, st.shadowBlur = 2, st.italic = 0.16f;
    float cap = FitCap("Zorbat", 78, 372, st);
    float inkW = TextInkWidth("Zorbat", cap, st);
    DrawText(p.img, "Zorbat", cap, 150, 104, Align::Left, st);
    TextStyle ufo = MenuStyle();
    ufo.outline = 4.0f, ufo.shadowDx = ufo.shadowDy = 4.0f, ufo.shadowBlur = 2, ufo.italic = 0.16f;
    float x = 150 + inkW + 24;
    float capU = FitCap("U.F.O.", 66, 726 - x, ufo);
    DrawText(p.img, "U.F.O.", capU, x, 104, Align::Left, ufo);
    return p;
}

Picture TimeLabel() {
    // Drawn from x -22 with the clock digits from x 86: the word sits in texels 26..104.
    Picture p{"Time.png", Dest::Archive, Image(128, 32), kHidden};
    TextStyle st = SmallStyle();
    st.pal = SkyPalette();
    float cap = FitCap("TIME", 15, 76, st);
    DrawText(p.img, "TIME", cap, 102, 26, Align::Right, st);
    return p;
}

Picture TimePanel() {
    // The backing plate of the clock, 256 x 32 at the top left of the screen;
    // it turns red (its own alpha kept) while the time runs low.
    Picture p{"time_state.png", Dest::Archive, Image(256, 32), Col(20, 24, 60, 0)};
    Mask plate = PolygonMask(256, 32, {{0, 2}, {222, 2}, {204, 30}, {0, 30}});
    Mask inner = PolygonMask(256, 32, {{0, 4.5f}, {217.5f, 4.5f}, {202.5f, 27.5f}, {0, 27.5f}});
    Mask rim = plate;
    for (size_t i = 0; i < rim.v.size(); ++i) rim.v[i] = std::max(0.0f, plate.v[i] - inner.v[i]);
    PaintFn(p.img, inner, [](int, int y) { return Mix(Col(44, 52, 110, 0.78f), Col(14, 16, 44, 0.86f), y / 32.0f); });
    Paint(p.img, rim, Col(140, 214, 255, 0.95f));
    return p;
}

Picture LifeGauge() {
    // 512 x 32 frame drawn at (180, 560). The screen blacks out the lost part of
    // the bar area, texels x 60..420 and y 10..22, from the right.
    Picture p{"lifegauge.png", Dest::Archive, Image(512, 32), Col(20, 24, 60, 0)};
    Mask plate = RoundRectMask(512, 32, 0, 2, 440, 30, 8);
    Mask inner = RoundRectMask(512, 32, 2, 4, 438, 28, 6.5f);
    Mask rim = plate;
    for (size_t i = 0; i < rim.v.size(); ++i) rim.v[i] = std::max(0.0f, plate.v[i] - inner.v[i]);
    PaintFn(p.img, inner, [](int, int y) { return Mix(Col(44, 52, 110, 0.82f), Col(14, 16, 44, 0.9f), y / 32.0f); });
    Paint(p.img, rim, Col(140, 214, 255, 0.95f));
    // Bar well and bar.
    Paint(p.img, RoundRectMask(512, 32, 57, 7, 423, 25, 2), Col(8, 10, 26));
    for (int y = 10; y < 22; ++y)
        for (int x = 60; x < 420; ++x) {
            float t = (y - 10) / 12.0f;
            Rgba c = t < 0.35f ? Mix(Col(200, 255, 190), Col(90, 230, 110), t / 0.35f)
                               : Mix(Col(90, 230, 110), Col(20, 140, 70), (t - 0.35f) / 0.65f);
            if ((x - 60) % 36 == 35) c = Mix(c, Col(10, 60, 30), 0.5f);  // ten segments
            p.img.Over(x, y, c, 1.0f);
        }
    TextStyle st = SmallStyle();
    st.pal = SkyPalette();
    float cap = FitCap("LIFE", 14, 52, st);
    DrawText(p.img, "LIFE", cap, 30, 23, Align::Centre, st);
    return p;
}
}  // namespace

void AddHudPictures(std::vector<Picture>& out) {
    out.push_back(Cursor());
    out.push_back(Logo());
    Picture black{"black.bmp", Dest::Archive, Image(1, 1), Col(0, 0, 0, 0)};
    black.img.Fill(Col(0, 0, 0));
    out.push_back(std::move(black));
    out.push_back(NumberStrip());
    out.push_back(MiniNumberStrip());
    out.push_back(TimeLabel());
    out.push_back(TimePanel());
    out.push_back(LifeGauge());
    out.push_back(Arrows());
    out.push_back(RankLabels());
    out.push_back(Alphabet());
    out.push_back(Countdown());
}
}  // namespace img

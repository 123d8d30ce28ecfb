// The contact sheet: every picture with its name and size, once on the menus'
// pink background and once on a dark one, small pictures enlarged.
#include <algorithm>
#include <cstdio>
#include <string>

#include "pictures.h"
#include "text.h"

namespace img {
namespace {
const int kSheetWidth = 2200, kGap = 12, kLabel = 22;

int ZoomFor(const Image& img) {
    int m = std::max(img.w, img.h);
    if (m < 8) return 32;
    return std::clamp(64 / m, 1, 4);
}

void Panel(Image& sheet, const Image& img, int x, int y, int zoom, Rgba bg) {
    for (int py = 0; py < img.h * zoom; ++py)
        for (int px = 0; px < img.w * zoom; ++px) {
            int tx = x + px, ty = y + py;
            if (tx >= sheet.w || ty >= sheet.h) continue;
            float* d = sheet.px(tx, ty);
            const float* s = img.px(px / zoom, py / zoom);
            for (int k = 0; k < 3; ++k) d[k] = s[k] + bg.a * (k == 0 ? bg.r : k == 1 ? bg.g : bg.b) * (1 - s[3]);
            d[3] = 1;
        }
}
TextStyle LabelStyle() {
    TextStyle label;
    label.pal = {Col(20, 20, 30), Col(20, 20, 30), Col(20, 20, 30), Col(0, 0, 0)};
    label.outline = 0, label.shadowAlpha = 0, label.shadowDx = label.shadowDy = 0, label.italic = 0;
    return label;
}

std::string LabelText(const Picture& p, int zoom) {
    char text[160];
    std::snprintf(text, sizeof text, "%s  %dx%d%s", p.name.c_str(), p.img.w, p.img.h, zoom > 1 ? "  (enlarged)" : "");
    return text;
}

int LabelWidth(const Picture& p, int zoom) { return int(TextInkWidth(LabelText(p, zoom), 10, LabelStyle())) + 8; }
}  // namespace

void BuildContactSheet(const std::vector<Picture>& pics, Image& sheet) {
    struct Place {
        int x, y, zoom;
    };
    std::vector<Place> places;
    int x = kGap, y = kGap, rowH = 0;
    for (const Picture& p : pics) {
        int z = ZoomFor(p.img);
        int w = std::max(2 * p.img.w * z + 6, LabelWidth(p, z)), h = p.img.h * z + kLabel;
        if (x + w > kSheetWidth - kGap) x = kGap, y += rowH + kGap, rowH = 0;
        places.push_back({x, y, z});
        x += w + kGap;
        rowH = std::max(rowH, h);
    }
    sheet = Image(kSheetWidth, y + rowH + kGap);
    sheet.Fill(Col(188, 190, 198));
    for (size_t i = 0; i < pics.size(); ++i) {
        const Picture& p = pics[i];
        const Place& pl = places[i];
        Image lab(LabelWidth(p, pl.zoom), kLabel);
        DrawText(lab, LabelText(p, pl.zoom), 10, 1, 15, Align::Left, LabelStyle());
        Blit(sheet, lab, pl.x, pl.y);
        Panel(sheet, p.img, pl.x, pl.y + kLabel, pl.zoom, Col(250, 233, 233));
        Panel(sheet, p.img, pl.x + p.img.w * pl.zoom + 6, pl.y + kLabel, pl.zoom, Col(22, 26, 40));
    }
}
}  // namespace img

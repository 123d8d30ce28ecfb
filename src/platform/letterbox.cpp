#include "platform/letterbox.h"

#include <algorithm>
#include <cstdint>

#include "platform/window.h"

namespace {

// Rounds a / b to the nearest whole number for b > 0, halves away from zero
// on the positive side (all the callers' numbers are positive).
int64_t RoundDiv(int64_t a, int64_t b) {
    return a >= 0 ? (a + b / 2) / b : -((-a + b / 2) / b);
}

}  // namespace

ViewRect FitView(int width, int height, bool integerScale) {
    if (width <= 0 || height <= 0) return ViewRect{0, 0, 0, 0};
    int w, h;
    const int whole = std::min(width / kViewWidth, height / kViewHeight);
    if (integerScale && whole >= 1) {
        w = kViewWidth * whole;
        h = kViewHeight * whole;
    } else if (int64_t(width) * kViewHeight <= int64_t(height) * kViewWidth) {
        // Narrower than 4:3: full width, bars above and below.
        w = width;
        h = int(std::min<int64_t>(height, RoundDiv(int64_t(width) * kViewHeight, kViewWidth)));
    } else {
        h = height;
        w = int(std::min<int64_t>(width, RoundDiv(int64_t(height) * kViewWidth, kViewHeight)));
    }
    return ViewRect{(width - w) / 2, (height - h) / 2, w, h};
}

int ViewEdgeToPixel(int v, int units, int offset, int pixels) {
    if (units <= 0) return offset;
    return offset + int(RoundDiv(int64_t(v) * pixels, units));
}

ViewRect ViewRectInPoints(const ViewRect& r, int windowW, int windowH, int drawableW,
                          int drawableH) {
    if (drawableW <= 0 || drawableH <= 0) return ViewRect{0, 0, windowW, windowH};
    // Inner edges: the rectangle in points never reaches onto a bar.
    const int64_t x0 = (int64_t(r.x) * windowW + drawableW - 1) / drawableW;
    const int64_t y0 = (int64_t(r.y) * windowH + drawableH - 1) / drawableH;
    const int64_t x1 = int64_t(r.x + r.w) * windowW / drawableW;
    const int64_t y1 = int64_t(r.y + r.h) * windowH / drawableH;
    return ViewRect{int(x0), int(y0), int(std::max<int64_t>(0, x1 - x0)),
                    int(std::max<int64_t>(0, y1 - y0))};
}

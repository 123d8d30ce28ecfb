// Where the 800 x 600 view lies in a window of any size: the largest
// rectangle of its 4:3 shape that fits, centred, with black bars beside or
// above and below it. Everything the game computes stays in view units; only
// the device's viewports and the pointer go through this mapping.
#pragma once

struct ViewRect {
    int x, y, w, h;  // pixels from the top-left corner of the drawable
};

// The view's rectangle in a drawable of width x height pixels. With
// integerScale the view grows only by whole multiples of 800 x 600 (every
// texel the same number of pixels), unless even one does not fit; then it is
// fitted as without.
ViewRect FitView(int width, int height, bool integerScale);

// The pixel edge that view coordinate v (0..units) falls on, for a view of
// `units` drawn over `pixels` pixels from `offset`. Edges are rounded, so
// neighbouring viewports meet without a gap or an overlap.
int ViewEdgeToPixel(int v, int units, int offset, int pixels);

// The view's rectangle in window coordinates (points, as the system reports
// the pointer; a high-density drawable has more pixels than points), for
// keeping the hidden pointer over the picture rather than the bars.
ViewRect ViewRectInPoints(const ViewRect& pixels, int windowW, int windowH, int drawableW,
                          int drawableH);

// The 800 x 600 view in a window of any size: where the picture lies, how
// viewports and the pointer's bounds map onto it, and what a window of
// another shape shows (the picture at its real pixel size, black bars).
#include <gtest/gtest.h>

#include <vector>

#include "gl_fixture.h"
#include "platform/letterbox.h"
#include "platform/render.h"
#include "platform/window.h"

namespace {

void ExpectRect(const ViewRect& r, int x, int y, int w, int h) {
    EXPECT_EQ(r.x, x);
    EXPECT_EQ(r.y, y);
    EXPECT_EQ(r.w, w);
    EXPECT_EQ(r.h, h);
}

// Resizes the test window; true when its drawable has that size.
bool ResizeWindow(int w, int h) {
    if (!PlatformResizeWindow(w, h)) return false;
    int dw = 0, dh = 0;
    PlatformDrawableSize(&dw, &dh);
    return dw == w && dh == h;
}

// One frame: the view cleared red, a white quad over its lower right
// quarter (view units 400..800 x 300..600), presented and captured.
void DrawQuarterFrame() {
    RdPresent();  // the device takes the window's new size at a present
    RdSetViewport(Viewport{0, 0, 800, 600, 0.0f, 1.0f});
    RdSetTexture(nullptr);
    RdSetAlphaBlend(false);
    RdSetZEnable(false);
    RdClear(0xFFFF0000u, 1.0f);
    const uint32_t white = 0xFFFFFFFFu;
    const ScreenVertex v[4] = {{400, 300, 0, 1, white, 0, 0},
                               {800, 300, 0, 1, white, 1, 0},
                               {400, 600, 0, 1, white, 0, 1},
                               {800, 600, 0, 1, white, 1, 1}};
    RdDrawScreenQuad(v);
    RdCaptureNextPresent();
    RdPresent();
}

}  // namespace

TEST(Letterbox, LargestFourByThreeRectangleCentred) {
    ExpectRect(FitView(800, 600, false), 0, 0, 800, 600);
    ExpectRect(FitView(1600, 1200, false), 0, 0, 1600, 1200);
    ExpectRect(FitView(1280, 720, false), 160, 0, 960, 720);     // bars left and right
    ExpectRect(FitView(1000, 1000, false), 0, 125, 1000, 750);   // above and below
    ExpectRect(FitView(1366, 768, false), 171, 0, 1024, 768);
    ExpectRect(FitView(1920, 1080, false), 240, 0, 1440, 1080);
    // Whole multiples only: 1080 holds 600 once.
    ExpectRect(FitView(1920, 1080, true), 560, 240, 800, 600);
    ExpectRect(FitView(2560, 1440, true), 480, 120, 1600, 1200);
    // Too small for even one: fitted all the same.
    ExpectRect(FitView(500, 400, true), 0, 12, 500, 375);
    ExpectRect(FitView(0, 0, false), 0, 0, 0, 0);
}

// Viewports side by side stay side by side at any scale, and the pointer's
// bounds on a high-density display are the picture's, in points.
TEST(Letterbox, EdgesMapWithoutGapsAndPointerBoundsFollowThePicture) {
    const ViewRect r = FitView(1366, 768, false);
    EXPECT_EQ(ViewEdgeToPixel(0, 800, r.x, r.w), 171);
    EXPECT_EQ(ViewEdgeToPixel(800, 800, r.x, r.w), 171 + 1024);
    for (int v = 0; v <= 800; v += 7) {
        EXPECT_LE(ViewEdgeToPixel(v, 800, r.x, r.w), ViewEdgeToPixel(v + 1, 800, r.x, r.w));
    }
    EXPECT_EQ(ViewEdgeToPixel(300, 600, r.y, r.h), 384);
    // A 1280 x 720 window whose drawable is 2560 x 1440 pixels.
    const ViewRect px = FitView(2560, 1440, false);
    ExpectRect(px, 320, 0, 1920, 1440);
    ExpectRect(ViewRectInPoints(px, 1280, 720, 2560, 1440), 160, 0, 960, 720);
    // Odd pixels are rounded inwards, never onto a bar.
    ExpectRect(ViewRectInPoints(ViewRect{171, 0, 1024, 768}, 683, 384, 1366, 768), 86, 0, 511, 384);
}

// In a 1280 x 720 window the view is drawn at 960 x 720 between two black
// bars: the clear fills the picture only, and a quad over the view's lower
// right quarter covers exactly that quarter of the picture's pixels.
TEST(Letterbox, WiderWindowShowsThePictureAtItsOwnSizeBetweenBars) {
    REQUIRE_GL();
    if (!ResizeWindow(1280, 720)) {
        ResizeWindow(800, 600);
        GTEST_SKIP() << "the window cannot be resized here";
    }
    DrawQuarterFrame();
    const uint8_t* px = nullptr;
    int w = 0, h = 0;
    ViewRect view{};
    const bool captured = RdLastPresent(&px, &w, &h, &view);
    std::vector<uint8_t> frame(800 * 600 * 4);
    const bool small = RdReadLastFrame(frame.data());
    std::vector<uint8_t> copy;
    if (captured) copy.assign(px, px + static_cast<size_t>(w) * h * 4);
    ASSERT_TRUE(ResizeWindow(800, 600));
    DrawQuarterFrame();  // and back: the 800 x 600 picture fills the window again
    ASSERT_TRUE(RdReadLastFrame(frame.data()));
    EXPECT_EQ(PixelAt(frame, 0, 0)[0], 255);
    EXPECT_EQ(PixelAt(frame, 400, 300)[1], 255);
    EXPECT_EQ(PixelAt(frame, 399, 299)[1], 0);

    ASSERT_TRUE(captured);
    EXPECT_FALSE(small);  // not an 800 x 600 picture
    ASSERT_EQ(w, 1280);
    ASSERT_EQ(h, 720);
    ExpectRect(view, 160, 0, 960, 720);
    auto rgb = [&](int x, int y) {
        const uint8_t* p = &copy[(static_cast<size_t>(y) * w + x) * 4];
        return (p[0] << 16) | (p[1] << 8) | p[2];
    };
    EXPECT_EQ(rgb(0, 360), 0x000000);
    EXPECT_EQ(rgb(159, 0), 0x000000);
    EXPECT_EQ(rgb(160, 0), 0xFF0000);
    EXPECT_EQ(rgb(639, 719), 0xFF0000);
    EXPECT_EQ(rgb(640, 359), 0xFF0000);
    EXPECT_EQ(rgb(640, 360), 0xFFFFFF);  // view 400, 300 is pixel 160 + 480, 360
    EXPECT_EQ(rgb(1119, 719), 0xFFFFFF);
    EXPECT_EQ(rgb(1120, 719), 0x000000);
    EXPECT_EQ(rgb(1279, 0), 0x000000);
}

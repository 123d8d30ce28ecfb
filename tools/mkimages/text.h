// Words rendered from a TrueType font with the game's one text style:
// a vertical gradient fill, a dark outline and a soft drop shadow.
#pragma once
#include <string>

#include "raster.h"

namespace img {
bool LoadFont(const char* path);

struct Palette {
    Rgba top, mid, bottom;  // fill gradient from cap line to baseline
    Rgba outline;
};
Palette GoldPalette();
Palette SkyPalette();
Palette RedPalette();
Palette WhitePalette();

struct TextStyle {
    Palette pal;
    float outline = 3.0f;      // pixels
    float shadowDx = 3.0f, shadowDy = 3.0f;
    int shadowBlur = 1;
    float shadowAlpha = 0.45f;
    float italic = 0.12f;      // horizontal shear per pixel of height
    float xScale = 1.0f;       // horizontal squeeze of the glyphs
    float tracking = 0.0f;     // extra pixels between letters
};

enum class Align { Left, Centre, Right };

// Ink width of a text at a cap height (without the outline).
float TextInkWidth(const std::string& text, float capHeight, const TextStyle& st);
// The largest cap height up to `wanted` at which the text with its outline fits maxWidth.
float FitCap(const std::string& text, float wanted, float maxWidth, const TextStyle& st);
// Coverage of the text alone, ink aligned at x, baseline at y, sheared as the style says.
Mask TextCoverage(int w, int h, const std::string& text, float capHeight, float x, float baseline, Align align,
                  const TextStyle& st);
// Draws styled text into the image.
void DrawText(Image& img, const std::string& text, float capHeight, float x, float baseline, Align align,
              const TextStyle& st);
// Draws a coverage mask (for example a symbol) in the text style, gradient taken
// between capTop and baseline.
void DrawStyledMask(Image& img, const Mask& fill, float capTop, float baseline, const TextStyle& st);
}  // namespace img

// The word pictures of the menus, the stage end and the result screen.
// Where a picture is drawn partly off screen, or next to another picture, the
// words are placed so that the visible parts line up; the screen positions
// quoted below are where the screens draw them.
#include <algorithm>

#include "pictures.h"
#include "text.h"

namespace img {
TextStyle BannerStyle() {
    TextStyle st;
    st.pal = GoldPalette();
    st.outline = 4.0f;
    st.shadowDx = st.shadowDy = 4.0f;
    st.shadowBlur = 2;
    st.italic = 0.14f;
    return st;
}

TextStyle MenuStyle() {
    TextStyle st;
    st.pal = SkyPalette();
    st.outline = 3.0f;
    st.shadowDx = st.shadowDy = 3.0f;
    st.shadowBlur = 1;
    st.italic = 0.12f;
    return st;
}

TextStyle SmallStyle() {
    TextStyle st;
    st.pal = WhitePalette();
    st.outline = 1.6f;
    st.shadowDx = st.shadowDy = 1.5f;
    st.shadowBlur = 0;
    st.shadowAlpha = 0.5f;
    st.italic = 0.1f;
    return st;
}

namespace {
const Rgba kHidden = Col(30, 28, 78, 0);

void Word(std::vector<Picture>& out, const char* file, int w, int h, const std::string& text, float cap,
          float x, float baseline, Align align, const TextStyle& st, float maxWidth = 0) {
    Picture p{file, Dest::Archive, Image(w, h), kHidden};
    if (maxWidth <= 0) maxWidth = float(w) - 6;
    float c = FitCap(text, cap, maxWidth, st);
    DrawText(p.img, text, c, x, baseline, align, st);
    out.push_back(std::move(p));
}
}  // namespace

void AddMenuPictures(std::vector<Picture>& out) {
    TextStyle gold = BannerStyle(), sky = MenuStyle();
    TextStyle red = BannerStyle();
    red.pal = RedPalette();

    // Title menu: the three items are centred on nearly the same screen column
    // (Start and Exit are squeezed to 122 pixels by the screen).
    Word(out, "Start.png", 128, 64, "Start", 30, 62, 46, Align::Centre, sky, 118);
    Word(out, "Hiscore.png", 256, 64, "Hiscore", 30, 126, 46, Align::Centre, sky);
    Word(out, "Exit.png", 128, 64, "Exit", 30, 62, 46, Align::Centre, sky, 118);

    // "Stage" is followed by a digit of Number.png two pixels past its right
    // edge and ten pixels lower; its baseline (50) meets the digit's (10 + 40).
    Word(out, "Stage.png", 128, 64, "Stage", 34, 117, 50, Align::Right, gold, 116);

    // Pause menu: Return Game is drawn at x 120, Quit Game at x 94; both words
    // start at screen x 128, right of the cursor.
    Word(out, "Pause.png", 256, 128, "Pause", 62, 128, 94, Align::Centre, gold);
    Word(out, "Return Game.png", 256, 64, "Return Game", 30, 8, 46, Align::Left, sky, 240);
    Word(out, "Quit Game.png", 256, 64, "Quit Game", 30, 34, 46, Align::Left, sky, 214);

    Word(out, "NowLoading.png", 256, 64, "Now Loading...", 26, 128, 44, Align::Centre, sky);
    Word(out, "PushSpaceKey.png", 256, 64, "Push Space Key", 26, 128, 44, Align::Centre, sky);

    // Stage end banners. "Game" and "Over" are drawn side by side (158..414 and
    // 414..650, the second squeezed to 236 pixels): one word each, meeting with
    // a word space between them.
    Word(out, "Game.png", 256, 128, "Game", 66, 246, 96, Align::Right, red, 240);
    Word(out, "Over.png", 256, 128, "Over", 66, 14, 96, Align::Left, red, 240);
    Word(out, "Stage Clear.png", 512, 128, "Stage Clear", 68, 256, 96, Align::Centre, gold);
    Word(out, "Time Out.png", 512, 128, "Time Out", 68, 256, 96, Align::Centre, red);
    Word(out, "Start !.png", 512, 128, "Start !", 74, 256, 100, Align::Centre, gold);

    // Result screen: the three labels start at screen x 35 whatever their
    // picture's position (Time_re.png is drawn from x -30).
    Word(out, "Result.png", 256, 128, "Result", 60, 14, 92, Align::Left, gold, 236);
    Word(out, "- Score -.png", 256, 64, "- Score -", 32, 128, 46, Align::Centre, gold);
    Word(out, "Time_re.png", 256, 64, "Time", 32, 65, 46, Align::Left, sky, 180);
    Word(out, "Life_re.png", 128, 64, "Life", 32, 6, 46, Align::Left, sky, 116);
    Word(out, "Total.png", 128, 64, "Total", 32, 6, 46, Align::Left, sky, 116);

    // Hiscore pictures are drawn from x -60: their words start at texel 70.
    Word(out, "Hiscore_b.png", 512, 128, "Hiscore", 66, 70, 96, Align::Left, gold, 430);
    Word(out, "Hiscore Record !.png", 512, 64, "Hiscore Record !", 32, 70, 46, Align::Left, gold, 432);
}
}  // namespace img

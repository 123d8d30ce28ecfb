#include "game/hud.h"

#include "core/manifest.h"
#include "core/scene_id.h"
#include "game/stage.h"
#include "graphics/device.h"
#include "graphics/sprite.h"
#include "platform/render.h"
#include "sound/sound.h"

int TimeBlink;
float LifeFlashAlpha;
int LifeFlashFalling;

namespace {
const float kGlyphX[8] = {86, 101, 116, 131, 146, 156, 166, 181};
}  // namespace

void TimeGlyphs(int t, int glyphs[8]) {
    if (t < 0) t = 0;
    const int s = t / 60;
    const int m = s / 60;
    glyphs[0] = (m / 10) % 10;  // beyond 99 minutes the tens wrap rather than leave the strip
    glyphs[1] = m % 10;
    glyphs[2] = 10;
    glyphs[3] = (s % 60) / 10;
    glyphs[4] = s % 10;
    glyphs[5] = 11;
    glyphs[6] = (t / 6) % 10;  // tenths of a second
    glyphs[7] = t % 10;        // the frame count's last digit, not hundredths
}

float LifeRatio(int life) {
    if (MaxLife <= 0) return 0.0f;
    const float r = static_cast<float>(life) / static_cast<float>(MaxLife);
    // Kept on the bar: the covers would otherwise be drawn turned inside out.
    return r < 0.0f ? 0.0f : (r > 1.0f ? 1.0f : r);
}

int StepTimeBlink(int t) {
    if (t >= 600 || TimeBlink >= 60) {
        TimeBlink = 0;
        return 0;
    }
    ++TimeBlink;
    return (TimeBlink == 30 && t > 0) ? 1 : 0;
}

void StepLifeFlash() {
    // The switch frame leaves the alpha alone, so it overshoots a little both ways.
    if (LifeFlashFalling == 0) {
        if (LifeFlashAlpha < 1.0f) {
            LifeFlashAlpha += 0.06f;
        } else {
            LifeFlashFalling = 1;
        }
    } else {
        if (LifeFlashAlpha > 0.0f) {
            LifeFlashAlpha -= 0.06f;
        } else {
            LifeFlashFalling = 0;
        }
    }
}

void DrawTimeHud(int t) {
    SetDefaultRenderStates();
    SetTextureFiltering(0);
    // The beep belongs to play only; the frozen scenes blink silently.
    if (StepTimeBlink(t) && SceneId == ScenePlay) PlaySound(SndTimer, 1);

    Texture* panel = TextureTable[TexTimeState];
    if (t > 0 && TimeBlink < 20) {
        DrawSprite(panel, 0, 3, 256, 35, 0, 0, 256, 32, 256, 32, 1, 1, 1, 0.85f);
    } else {
        RdSetColorOp(RD_TOP_SELECTARG2);
        DrawSprite(panel, 0, 3, 256, 35, 0, 0, 256, 32, 256, 32, 1, 0, 0, 0.85f);
        RdSetColorOp(RD_TOP_MODULATE);
    }
    DrawSprite(TextureTable[TexTime], -22, 5, 106, 37, 0, 0, 128, 32, 128, 32, 1, 1, 1, 1);

    int glyphs[8];
    TimeGlyphs(t, glyphs);
    for (int i = 0; i < 8; ++i) {
        DrawGlyph(TextureTable[TexMiniNumber], kGlyphX[i], 10, 16, 32, 256, 32, glyphs[i]);
    }
    SetDefaultRenderStates();
}

void DrawLifeGauge(int life) {
    SetDefaultRenderStates();
    SetTextureFiltering(0);
    DrawSprite(TextureTable[TexLifeGauge], 180, 560, 692, 592, 0, 0, 512, 32, 512, 32, 1, 1, 1, 1);

    SetDefaultRenderStates();
    RdSetColorOp(RD_TOP_SELECTARG2);  // flat colour: these quads have no texture
    const float r = LifeRatio(life);
    const float edge = 240.0f + 360.0f * r;
    DrawSprite(nullptr, edge, 570, 600, 582, 0, 0, 1, 1, 1, 1, 0, 0, 0, 1);
    if (r > 0.3f) {
        LifeFlashAlpha = 0.0f;  // the pulse starts from dark when it next shows
    } else {
        DrawSprite(nullptr, 240, 570, edge, 582, 0, 0, 1, 1, 1, 1, 1, 0, 0, LifeFlashAlpha);
        StepLifeFlash();
    }
    SetDefaultRenderStates();
}

// The title menu (Start, Hiscore, Exit, fading in) and the stage select.
#include "screens/title.h"

#include "core/buttons.h"
#include "core/scene_id.h"
#include "formats/data_dir.h"
#include "formats/hiscore.h"
#include "game/stage.h"
#include "graphics/device.h"
#include "platform/system.h"
#include "screens/screen_draw.h"
#include "screens/screen_state.h"
#include "sound/sound.h"

float TitleCursor = 0.0f;
float StageCursor = 0.0f;

// A confirmation: Enter, or else Space. Space is only asked when Enter did
// not trigger, so its latch is left alone on an Enter frame.
static int Confirmed() {
    if (ButtonPressed(ButtonEnter) == 1) return 1;
    return ButtonPressed(ButtonSpace) == 1;
}

// Down is asked before Up, so both latches move on a frame where both are held.
static void MoveCursor(float* cursor, float max) {
    int down = ButtonPressed(ButtonDown);
    int up = ButtonPressed(ButtonUp);
    if (MoveMenuCursor(cursor, up, down, 0.0f, max) == 1) PlaySound(SndArrow, 1);
}

static void DrawLogo(float alpha) {
    // The logo is 1024 wide and runs past the right edge of the view on purpose.
    DrawSlot(TexLogo, 60, 60, 1084, 188, 0, 0, 1024, 128, 1024, 128, alpha);
}

void TitleScene() {
    SetDefaultRenderStates();
    SetTextureFiltering(0);
    UpdateButtons();
    if (FadeAlpha < 1.0f) FadeAlpha += 0.04f;

    // Choices count only once the fade is complete; the cursor moves before.
    if (FadeAlpha >= 1.0f && Confirmed()) {
        switch (static_cast<int>(TitleCursor)) {
        case 0:
            PlaySound(SndDec, 1);
            HiscoreRead(HiscorePath(), HiscoreTable, kHiscoreEntries);
            SceneId = SceneStageSelect;
            break;
        case 1:
            PlaySound(SndDec, 1);
            HiscoreRead(HiscorePath(), HiscoreTable, kHiscoreEntries);
            FadeAlpha = 0.0f;
            SceneId = SceneHiscoreView;
            break;
        default:
            PostQuit(0);
            break;
        }
        TitleCursor = 0.0f;
        return;  // the previous picture stays until the next scene draws
    }

    MoveCursor(&TitleCursor, 2.0f);
    BeginFrame(kMenuRed, kMenuGreen, kMenuBlue);
    const float a = FadeAlpha;
    const float c = 64.0f * static_cast<int>(TitleCursor);
    DrawLogo(a);
    // Start and Exit are squeezed to 122 pixels from their 128-texel pictures.
    DrawSlot(TexStart, 316, 360, 438, 424, 0, 0, 128, 64, 128, 64, a);
    DrawSlot(TexHiscore, 256, 420, 512, 484, 0, 0, 256, 64, 256, 64, a);
    DrawSlot(TexExit, 316, 480, 438, 544, 0, 0, 128, 64, 128, 64, a);
    DrawSlot(TexCursor, 210, 356 + c, 274, 420 + c, 0, 0, 64, 64, 64, 64, a);
    EndFrame();
}

void StageSelectScene() {
    SetDefaultRenderStates();
    SetTextureFiltering(0);
    UpdateButtons();

    if (Confirmed()) {
        PlaySound(SndDec, 1);
        StageNumber = static_cast<int>(StageCursor) + 1;
        StageCursor = 0.0f;
        FadeAlpha = 0.0f;
        SceneId = SceneStageLoad;
        return;
    }
    if (ButtonPressed(ButtonShift) == 1) {
        // Back to the title without a new fade: FadeAlpha is left as it is.
        PlaySound(SndCancel, 1);
        StageCursor = 0.0f;
        SceneId = SceneTitle;
        return;
    }

    MoveCursor(&StageCursor, static_cast<float>(kStageCount - 1));
    BeginFrame(kMenuRed, kMenuGreen, kMenuBlue);
    DrawLogo(1.0f);
    for (int i = 0; i < kStageCount; ++i) {
        const float dy = 60.0f * i;
        DrawSlot(TexStage, 290, 360 + dy, 418, 424 + dy, 0, 0, 128, 64, 128, 64, 1.0f);
        DrawSlot(TexNumber, 420, 370 + dy, 452, 434 + dy, 32.0f * (i + 1), 0, 32, 64, 512, 64,
                 1.0f);
    }
    const float c = 60.0f * static_cast<int>(StageCursor);
    DrawSlot(TexCursor, 210, 358 + c, 274, 422 + c, 0, 0, 64, 64, 64, 64, 1.0f);
    EndFrame();
}

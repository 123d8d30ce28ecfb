// Countdown, pause, stage end and result.
#include "screens/stage_screens.h"

#include <algorithm>
#include <cstdint>

#include "core/buttons.h"
#include "core/scene_id.h"
#include "formats/hiscore.h"
#include "game/play.h"
#include "game/stage.h"
#include "graphics/device.h"
#include "screens/screen_draw.h"
#include "screens/screen_state.h"
#include "sound/sound.h"

const int kMusicLoopEnd[kStageCount] = {169, 146, 169};

float PauseCursor = 0.0f;
float PromptAlpha = 0.0f;
int PromptFlag = 0;
int CountdownCellShown = -1;

// StartBanner doubles as a mark while a countdown is paused.
constexpr int kPausedInCountdown = -1;

void ReleaseStageMeshes() {
    ReleaseMeshes(EnemyMeshes, kStageMeshSlots);
    ReleaseMeshes(MapMeshes, kStageMeshSlots);
}

// The stage as it stands, with its HUD, under the countdown, pause and stage
// end: the cameras are rebuilt but the follow camera does not chase, and
// nothing of the game moves.
static void DrawFrozenWorld() { DrawStageFrame(0); }

static int StageIndex() {
    if (StageNumber < 1) return 0;
    if (StageNumber > kStageCount) return kStageCount - 1;
    return StageNumber - 1;
}

void CountdownScene() {
    UpdateButtons();
    if (StartBanner == kPausedInCountdown) {
        // The paused countdown was quit: this is a new stage, count from the top.
        StartBanner = 0;
        CountdownFrames = 180.0f;
    }
    // A lost focus (when the player asked for it) pauses as Enter does.
    if (ButtonPressed(ButtonEnter) == 1 || FocusPauseRequest) {
        PlaySound(SndPause, 1);
        SceneId = ScenePause;
        StartBanner = kPausedInCountdown;
    }
    if (CountdownFrames > 0.0f) {
        // The tune still playing from the last stage fades out: 0 on the
        // first frame down to -42.96 dB on the last.
        SetMusicVolume(CurrentMusic, static_cast<int>((CountdownFrames - 180.0f) * 24.0f));
        CountdownFrames -= 1.0f;
    } else {
        // Play starts, and wins over a pause asked for on this same frame.
        SceneId = ScenePlay;
        const int tune = StageIndex();
        PlayMusic(tune, kMusicLoopEnd[tune]);
        CurrentMusic = tune;
        SetMusicVolume(CurrentMusic, 1);
        StartBanner = 120;
        CountdownFrames = 180.0f;
    }
    DrawFrozenWorld();
    // Cells 2, 1, 0 for sixty frames each, then 3 on the frame play starts.
    CountdownCellShown = static_cast<int>(CountdownFrames) / 60;
    DrawSlot(TexCountnum, 370, 200, 434, 328, 64.0f * CountdownCellShown, 0, 64, 128, 256, 128,
             1.0f);
    EndFrame();
}

static void Resume() {
    if (StartBanner == kPausedInCountdown) {
        StartBanner = 0;
        SceneId = SceneCountdown;  // goes on from where it stopped
    } else {
        SceneId = ScenePlay;
    }
}

void PauseScene() {
    UpdateButtons();
    if (ButtonPressed(ButtonEnter) == 1) {
        // Enter always resumes, whichever item the cursor is on.
        PauseCursor = 0.0f;
        Resume();
    } else if (ButtonPressed(ButtonSpace) == 1) {
        if (static_cast<int>(PauseCursor) == 0) {
            Resume();
        } else {
            PauseCursor = 0.0f;
            ReleaseStageMeshes();
            SceneId = SceneTitle;
            return;
        }
    }
    const int down = ButtonPressed(ButtonDown);
    const int up = ButtonPressed(ButtonUp);
    MoveMenuCursor(&PauseCursor, up, down, 0.0f, 1.0f);

    DrawFrozenWorld();
    DrawDimmer(0.5f);
    SetTextureFiltering(0);
    const float c = 80.0f * static_cast<int>(PauseCursor);
    DrawSlot(TexPause, 250, 200, 506, 328, 0, 0, 256, 128, 256, 128, 1.0f);
    DrawSlot(TexReturnGame, 120, 330, 376, 394, 0, 0, 256, 64, 256, 64, 1.0f);
    DrawSlot(TexQuitGame, 94, 400, 350, 464, 0, 0, 256, 64, 256, 64, 1.0f);
    DrawSlot(TexCursor, 44, 326 + c, 108, 390 + c, 0, 0, 64, 64, 64, 64, 1.0f);
    EndFrame();
}

void StageEndScene() {
    UpdateButtons();
    DrawFrozenWorld();
    // A direction that is rising on every frame: FadeAlpha only climbs here.
    int rising = 0;
    PingPong(&rising, &FadeAlpha, 0.005f);
    DrawDimmer(2.0f * FadeAlpha);
    const float a = 3.0f * FadeAlpha;  // colours above 1 are clamped by the sprite
    switch (EndReason) {
    case EndStageClear:
        DrawSlot(TexStageClear, 158, 218, 670, 346, 0, 0, 512, 128, 512, 128, a);
        break;
    case EndGameOver:
        DrawSlot(TexGame, 158, 218, 414, 346, 0, 0, 256, 128, 256, 128, a);
        DrawSlot(TexOver, 414, 218, 650, 346, 0, 0, 256, 128, 256, 128, a);
        break;
    case EndTimeOut:
        DrawSlot(TexTimeOut, 138, 218, 650, 346, 0, 0, 512, 128, 512, 128, a);
        break;
    default:
        break;
    }
    if (FadeAlpha >= 1.0f) {
        FadeAlpha = 0.0f;
        BlinkFlag = 0;
        if (EndReason == EndGameOver || EndReason == EndTimeOut) {
            // A lost stage has no result and no hiscore entry.
            ReleaseStageMeshes();
            SceneId = SceneTitle;
        } else {
            SceneId = SceneResult;
        }
    }
    EndFrame();
}

// The tally is worked out in 64 bits and held to what a hiscore file can
// store: a player record with millions of hit points would overflow an int.
static int Saturated(int64_t value) {
    return int(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

int TimeBonus() { return Saturated(int64_t(StageTime) * 2); }
int LifeBonus() { return Saturated(int64_t(Player.hitPoints) * 100); }
static int Total() { return Saturated(int64_t(Player.hitPoints) * 100 + int64_t(StageTime) * 2); }

static bool TotalRanks() { return HiscoreRank(StageIndex() + 1, RunTotal, HiscoreTable) < 4; }

void ResultScene() {
    UpdateButtons();
    // Keys count only once the fade-in from black is over.
    if (BlinkFlag == 1 && (ButtonPressed(ButtonSpace) == 1 || ButtonPressed(ButtonEnter) == 1)) {
        ReleaseStageMeshes();
        PromptAlpha = 0.0f;
        FadeAlpha = 0.0f;
        PromptFlag = 0;
        BlinkFlag = 0;
        SceneId = TotalRanks() ? SceneNameEntry : SceneTitle;
        return;
    }
    BeginFrame(kMenuRed, kMenuGreen, kMenuBlue);
    SetDefaultRenderStates();
    SetTextureFiltering(0);

    const int timeBonus = TimeBonus();
    const int lifeBonus = LifeBonus();
    RunTotal = Total();

    DrawSlot(TexResult, 20, 0, 276, 128, 0, 0, 256, 128, 256, 128, 1.0f);
    DrawSlot(TexScoreHeading, 518, 40, 774, 104, 0, 0, 256, 64, 256, 64, 1.0f);
    DrawSlot(TexTimeRe, -30, 160, 226, 224, 0, 0, 256, 64, 256, 64, 1.0f);
    DrawNumber(timeBonus, 568, 170);
    DrawSlot(TexLifeRe, 29, 258, 157, 322, 0, 0, 128, 64, 128, 64, 1.0f);
    DrawNumber(lifeBonus, 568, 270);
    DrawSlot(TexTotal, 29, 408, 157, 472, 0, 0, 128, 64, 128, 64, 1.0f);
    DrawNumber(RunTotal, 568, 420);
    if (TotalRanks())
        DrawSlot(TexHiscoreRecord, -60, 510, 452, 574, 0, 0, 512, 64, 512, 64, 1.0f);
    DrawSlot(TexPushSpaceKey, 462, 510, 718, 574, 0, 0, 256, 64, 256, 64, 1.0f - PromptAlpha);

    if (BlinkFlag == 1) {
        PingPong(&PromptFlag, &PromptAlpha, 0.02f);
    } else {
        PingPong(&BlinkFlag, &FadeAlpha, 0.03f);
        DrawDimmer(1.0f - FadeAlpha);
    }
    EndFrame();
}

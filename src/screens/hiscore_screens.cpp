// The hiscore view (one stage's top three per page) and the name entry that
// follows a result good enough for the table.
#include "screens/hiscore_screens.h"

#include "core/buttons.h"
#include "core/scene_id.h"
#include "formats/data_dir.h"
#include "formats/hiscore.h"
#include "formats/replay_store.h"
#include "game/stage.h"
#include "graphics/device.h"
#include "screens/screen_draw.h"
#include "screens/screen_state.h"
#include "sound/sound.h"

float HiscorePage = 0.0f;
int NameInserted = 0;
int NameRank = 0;
int NamePosition = 0;

bool LetterCell(int code, float* srcX, float* srcY) {
    if (code < 'A' || code > 'Z') return false;
    const int k = code - 'A';
    *srcX = 64.0f * (k % 8);
    *srcY = 64.0f * (k / 8);
    return true;
}

int DrawLetterTinted(float x, float y, int code, float r, float g, float b, float a) {
    float sx, sy;
    if (!LetterCell(code, &sx, &sy)) return 0;
    DrawSprite(TextureTable[TexAlphabet], x, y, x + 64, y + 64, sx, sy, 64, 64, 512, 512, r, g, b,
               a);
    return 1;
}

int DrawLetter(float x, float y, int code) { return DrawLetterTinted(x, y, code, 1, 1, 1, 1); }

// Names are raw bytes from the file; read them unsigned so a byte above 127
// is just another character to skip.
static int NameChar(const HiscoreEntry& e, int k) {
    return static_cast<unsigned char>(e.name[k]);
}

// First entry of a stage's group of three; a stage outside 1..3 shows stage 1.
static int GroupStart(int stage) {
    if (stage < 1 || stage > 3) stage = 1;
    return 3 * (stage - 1);
}

static void DrawStageCaption(int stage) {
    DrawSlot(TexStage, 500, 10, 628, 74, 0, 0, 128, 64, 128, 64, 1.0f);
    DrawSlot(TexNumber, 620, 20, 652, 84, 32.0f * stage, 0, 32, 64, 512, 64, 1.0f);
}

static void DrawHeading() {
    DrawSlot(TexHiscoreB, -60, 0, 452, 128, 0, 0, 512, 128, 512, 128, 1.0f);
}

// The rank column 1st, 2nd, 3rd.
static void DrawRanks() {
    DrawSlot(TexNumber, 50, 200, 82, 264, 32, 0, 32, 64, 512, 64, 1.0f);
    DrawSlot(TexRank, 70, 198, 134, 262, 0, 0, 64, 64, 64, 256, 1.0f);
    DrawSlot(TexNumber, 47, 320, 79, 384, 64, 0, 32, 64, 512, 64, 1.0f);
    DrawSlot(TexRank, 70, 311, 134, 375, 0, 64, 64, 64, 64, 256, 1.0f);
    DrawSlot(TexNumber, 47, 440, 79, 504, 96, 0, 32, 64, 512, 64, 1.0f);
    DrawSlot(TexRank, 70, 431, 134, 495, 0, 128, 64, 64, 64, 256, 1.0f);
}

static float RowY(int row) { return 182.0f + 123.0f * row; }

static void DrawRowName(const HiscoreEntry& e, int row) {
    for (int k = 0; k < 3; ++k) DrawLetter(132.0f + 52.0f * k, RowY(row), NameChar(e, k));
}

// Scores are never negative in the game's own files; a damaged one is shown as 0.
static void DrawRowScore(const HiscoreEntry& e, int row) {
    DrawNumber(e.score > 0 ? e.score : 0, 500, 197.0f + 123.0f * row);
}

void HiscoreViewScene() {
    UpdateButtons();
    // Right is asked first; Left turns back a page, Right forward.
    const int right = ButtonPressed(ButtonRight);
    const int left = ButtonPressed(ButtonLeft);
    MoveMenuCursor(&HiscorePage, left, right, 0.0f, static_cast<float>(kStageCount - 1));
    PingPong(&BlinkFlag, &FadeAlpha, 0.02f);
    SetDefaultRenderStates();
    SetTextureFiltering(0);

    if (ButtonPressed(ButtonShift) == 1 || ButtonPressed(ButtonEnter) == 1 ||
        ButtonPressed(ButtonSpace) == 1) {
        // Back to the title at full alpha: no fade there.
        FadeAlpha = 1.0f;
        HiscorePage = 0.0f;
        BlinkFlag = 0;
        PlaySound(SndCancel, 1);
        SceneId = SceneTitle;
        return;
    }

    const int page = static_cast<int>(HiscorePage);
    const int stage = page + 1;
    BeginFrame(kMenuRed, kMenuGreen, kMenuBlue);
    DrawStageCaption(stage);
    // Blinking arrows say which way more pages lie.
    if (page != 0) DrawSlot(TexArrow, 488, 34, 504, 50, 0, 0, 16, 16, 32, 16, FadeAlpha);
    if (page != kStageCount - 1)
        DrawSlot(TexArrow, 658, 34, 674, 50, 16, 0, 16, 16, 32, 16, FadeAlpha);
    DrawHeading();
    DrawRanks();
    const int first = GroupStart(stage);
    for (int r = 0; r < 3; ++r) {
        DrawRowScore(HiscoreTable[first + r], r);
        DrawRowName(HiscoreTable[first + r], r);
    }
    EndFrame();
}

// Letters typed this frame, A to Z in that order, each used once: its key
// byte is cleared so that only the keyboard's auto-repeat types it again.
static void TakeTypedLetters(HiscoreEntry* entry) {
    for (int vk = 'A'; vk <= 'Z'; ++vk) {
        if (KeyState[vk] != 1) continue;
        entry->name[NamePosition] = static_cast<char>(vk);
        KeyState[vk] = 0;
        if (NamePosition < 2) ++NamePosition;
    }
}

static void LeaveNameEntry() {
    FadeAlpha = 0.0f;
    NamePosition = 0;
    BlinkFlag = 0;
    NameInserted = 0;
    SceneId = SceneTitle;
}

void NameEntryScene() {
    UpdateButtons();
    const int stage = (StageNumber >= 1 && StageNumber <= kStageCount) ? StageNumber : 1;
    if (NameInserted == 0) {
        NameRank = HiscoreRank(stage, RunTotal, HiscoreTable);
        if (NameRank < 1 || NameRank > 3) {
            // Only a ranking total is sent here; anything else must not be
            // written past its stage's three entries.
            LeaveNameEntry();
            return;
        }
        HiscoreInsert(RunTotal, "PXD", NameRank, 2, stage, HiscoreTable);
        NameInserted = 1;
    }
    const int row = NameRank - 1;
    HiscoreEntry* entry = &HiscoreTable[GroupStart(stage) + row];

    TakeTypedLetters(entry);
    if (ButtonPressed(ButtonShift) == 1) {
        if (NamePosition > 0) --NamePosition;  // back one letter; nothing is erased
    } else if (ButtonPressed(ButtonSpace) == 1) {
        // Space on the last letter confirms, exactly as Enter does below.
        if (NamePosition < 2)
            ++NamePosition;
        else
            ButtonState[ButtonEnter] = 1;
    }
    PingPong(&BlinkFlag, &FadeAlpha, 0.02f);

    BeginFrame(kMenuRed, kMenuGreen, kMenuBlue);
    // The heading goes first here, and only once: drawn twice, its
    // see-through edges would come out darker than in the hiscore view.
    DrawHeading();
    DrawStageCaption(stage);
    DrawRanks();
    const int first = GroupStart(stage);
    for (int r = 0; r < 3; ++r) {
        DrawRowScore(HiscoreTable[first + r], r);
        if (r != row) DrawRowName(HiscoreTable[first + r], r);
    }
    for (int k = 0; k < 3; ++k) {
        if (k != NamePosition)
            DrawLetterTinted(132.0f + 52.0f * k, RowY(row), NameChar(*entry, k), 1, 1, 1, 1);
    }
    // The letter being edited blinks.
    DrawLetterTinted(132.0f + 52.0f * NamePosition, RowY(row), NameChar(*entry, NamePosition), 1,
                     1, 1, FadeAlpha);
    EndFrame();

    if (ButtonPressed(ButtonEnter) == 1) {
        HiscoreWrite(HiscorePath(), HiscoreTable);
        // The run's replay stays for as long as the table holds its entry.
        KeepReplayWithHiscore(stage, entry->name, entry->score);
        LeaveNameEntry();
    }
}

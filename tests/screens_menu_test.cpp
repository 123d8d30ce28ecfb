// Title, stage select, hiscore view and name entry, driven frame by frame.
#include <cstring>
#include <vector>

#include "core/manifest.h"
#include "graphics/sprite.h"
#include "screens_fixture.h"

namespace {

using TitleScreenTest = ScreensTest;
using HiscoreViewTest = ScreensTest;
using NameEntryTest = ScreensTest;

// The fade adds 0.04 per frame in single precision; the 25th addition is the
// first to reach 1 (1.00000012), and Enter counts from that same frame.
// Testing the fade before stepping it would push the first accepted frame to 26.
TEST_F(TitleScreenTest, EnterIsAcceptedFromTheTwentyFifthFadeFrame) {
    SceneId = SceneTitle;
    Key(VK_RETURN, true);
    for (int frame = 1; frame <= 24; ++frame) {
        TitleScene();
        ASSERT_EQ(SceneId, SceneTitle) << "frame " << frame;
    }
    TitleScene();
    EXPECT_EQ(SceneId, SceneStageSelect);
    EXPECT_EQ(TitleCursor, 0.0f);
}

TEST_F(TitleScreenTest, CursorMovesDuringTheFadeAndStopsAtTheEnds) {
    SceneId = SceneTitle;
    Key(VK_UP, true);  // Up on Start: nothing moves
    TitleScene();
    EXPECT_EQ(TitleCursor, 0.0f);
    Key(VK_UP, false);
    for (int i = 0; i < 4; ++i) {  // four Down taps end on Exit
        Key(VK_DOWN, true);
        TitleScene();
        Key(VK_DOWN, false);
        TitleScene();
    }
    EXPECT_EQ(TitleCursor, 2.0f);
    EXPECT_LT(FadeAlpha, 1.0f);  // all of it still inside the fade
    // Up and Down on the same frame: Up wins.
    Key(VK_UP, true);
    Key(VK_DOWN, true);
    TitleScene();
    EXPECT_EQ(TitleCursor, 1.0f);
    EXPECT_EQ(SceneId, SceneTitle);
}

TEST_F(TitleScreenTest, HiscoreReadsTheTableAndExitQuits) {
    UseDefaultTable();
    for (HiscoreEntry& e : HiscoreTable) e = HiscoreEntry{};
    SceneId = SceneTitle;
    FadeAlpha = 1.0f;
    TitleCursor = 1.0f;
    Key(VK_SPACE, true);
    TitleScene();
    EXPECT_EQ(SceneId, SceneHiscoreView);
    EXPECT_EQ(FadeAlpha, 0.0f);
    EXPECT_EQ(TitleCursor, 0.0f);  // the title always opens on Start
    EXPECT_EQ(HiscoreTable[0].score, 3500);
    EXPECT_STREQ(HiscoreTable[8].name, "PXD");

    Key(VK_SPACE, false);
    SceneId = SceneTitle;
    FadeAlpha = 1.0f;
    TitleCursor = 2.0f;
    TitleScene();  // Space up: its latch is cleared
    Key(VK_RETURN, true);
    TitleScene();
    EXPECT_TRUE(QuitRequested());
    EXPECT_EQ(QuitExitCode(), 0);
    EXPECT_EQ(SceneId, SceneTitle);
}

TEST_F(TitleScreenTest, StageSelectSetsTheStageAndShiftGoesBackWithoutFade) {
    SceneId = SceneStageSelect;
    FadeAlpha = 1.0f;
    Key(VK_DOWN, true);
    StageSelectScene();
    Key(VK_DOWN, false);
    StageSelectScene();
    Key(VK_DOWN, true);
    StageSelectScene();
    Key(VK_DOWN, false);
    Key(VK_RETURN, true);
    StageSelectScene();
    EXPECT_EQ(SceneId, SceneStageLoad);
    EXPECT_EQ(StageNumber, 3);
    EXPECT_EQ(StageCursor, 0.0f);
    EXPECT_EQ(FadeAlpha, 0.0f);

    Key(VK_RETURN, false);
    SceneId = SceneStageSelect;
    FadeAlpha = 1.0f;
    StageCursor = 1.0f;
    Key(VK_SHIFT, true);
    StageSelectScene();
    EXPECT_EQ(SceneId, SceneTitle);
    EXPECT_EQ(StageCursor, 0.0f);
    EXPECT_EQ(FadeAlpha, 1.0f);
}

TEST_F(HiscoreViewTest, PagesTurnWithinTheThreeStagesAndAnyKeyLeaves) {
    SceneId = SceneHiscoreView;
    Key(VK_LEFT, true);  // Left on stage 1: nothing
    HiscoreViewScene();
    EXPECT_EQ(HiscorePage, 0.0f);
    Key(VK_LEFT, false);
    for (int i = 0; i < 3; ++i) {
        Key(VK_RIGHT, true);
        HiscoreViewScene();
        Key(VK_RIGHT, false);
        HiscoreViewScene();
    }
    EXPECT_EQ(HiscorePage, 2.0f);  // Right on stage 3 stays there
    Key(VK_LEFT, true);
    HiscoreViewScene();
    EXPECT_EQ(HiscorePage, 1.0f);
    Key(VK_LEFT, false);
    EXPECT_GT(FadeAlpha, 0.0f);  // the arrows' blink is running
    EXPECT_EQ(SceneId, SceneHiscoreView);

    Key(VK_SHIFT, true);
    HiscoreViewScene();
    EXPECT_EQ(SceneId, SceneTitle);
    EXPECT_EQ(HiscorePage, 0.0f);
    EXPECT_EQ(FadeAlpha, 1.0f);  // the title shows at once
    EXPECT_EQ(BlinkFlag, 0);
}

// Cells of "alphabet.png": 8 columns of 64 texels, A at the top left. Codes
// outside A..Z have no cell; a signed char from a damaged name (0xC8 reads
// as -56) must not produce one either.
TEST(LetterCellTest, CapitalsMapToTheGridAndEverythingElseIsSkipped) {
    float x = -1, y = -1;
    ASSERT_TRUE(LetterCell('A', &x, &y));
    EXPECT_EQ(x, 0.0f);
    EXPECT_EQ(y, 0.0f);
    ASSERT_TRUE(LetterCell('H', &x, &y));
    EXPECT_EQ(x, 448.0f);
    EXPECT_EQ(y, 0.0f);
    ASSERT_TRUE(LetterCell('I', &x, &y));
    EXPECT_EQ(x, 0.0f);
    EXPECT_EQ(y, 64.0f);
    ASSERT_TRUE(LetterCell('Z', &x, &y));
    EXPECT_EQ(x, 64.0f);
    EXPECT_EQ(y, 192.0f);
    for (int code : {0, int(' '), int('@'), int('['), int('a'), int('z'), 127, 200, -56})
        EXPECT_FALSE(LetterCell(code, &x, &y)) << code;
    EXPECT_EQ(DrawLetter(0, 0, 0), 0);
    EXPECT_EQ(DrawLetterTinted(0, 0, 'a', 1, 1, 1, 1), 0);
}

// A table never read (all zero) and one holding junk bytes in its names are
// both shown without trouble.
TEST_F(HiscoreViewTest, DamagedNamesAreDrawnWithoutFault) {
    std::memcpy(HiscoreTable[0].name, "\x01\xff~", 4);
    HiscoreTable[1].score = -5;
    SceneId = SceneHiscoreView;
    for (int i = 0; i < 3; ++i) HiscoreViewScene();
    EXPECT_EQ(SceneId, SceneHiscoreView);
}

// Runs name-entry frames with the given keys held for one frame each.
void TypeFrame(std::initializer_list<int> keys) {
    for (int vk : keys) KeyState[vk] = 1;
    NameEntryScene();
    for (int vk : keys) KeyState[vk] = 0;
}

TEST_F(NameEntryTest, TypedLettersFillThePlacesAndSpaceOnTheLastConfirms) {
    UseDefaultTable();
    StageNumber = 1;
    RunTotal = 3300;  // between 3500 and 3200: rank 2
    SceneId = SceneNameEntry;
    NameEntryScene();
    EXPECT_EQ(NameRank, 2);
    EXPECT_STREQ(HiscoreTable[1].name, "PXD");  // placeholder until typed
    EXPECT_EQ(HiscoreTable[2].score, 3200);     // the old second moved down

    TypeFrame({'Q'});
    TypeFrame({'C', 'A'});  // two in one frame: taken A first
    EXPECT_EQ(NamePosition, 2);
    TypeFrame({'Z'});
    TypeFrame({'K'});  // a fourth letter overwrites the last place
    EXPECT_STREQ(HiscoreTable[1].name, "QAK");
    EXPECT_EQ(KeyState['K'], 0);  // used letters are cleared

    TypeFrame({VK_SHIFT});
    EXPECT_EQ(NamePosition, 1);
    TypeFrame({});
    TypeFrame({VK_SPACE});  // to the last letter
    EXPECT_EQ(NamePosition, 2);
    EXPECT_EQ(SceneId, SceneNameEntry);
    TypeFrame({});
    TypeFrame({VK_SPACE});  // Space on the last letter: saved, like Enter
    EXPECT_EQ(SceneId, SceneTitle);
    EXPECT_EQ(NameInserted, 0);
    EXPECT_EQ(NamePosition, 0);
    EXPECT_EQ(FadeAlpha, 0.0f);

    HiscoreEntry saved[kHiscoreEntries] = {};
    ASSERT_EQ(HiscoreRead(HiscorePath(), saved, kHiscoreEntries), 1);
    EXPECT_STREQ(saved[0].name, "PXD");
    EXPECT_EQ(saved[0].score, 3500);
    EXPECT_STREQ(saved[1].name, "QAK");
    EXPECT_EQ(saved[1].score, 3300);
    EXPECT_EQ(saved[2].score, 3200);
    EXPECT_EQ(saved[3].score, 6100);  // stage 2 untouched
}

TEST_F(NameEntryTest, ShiftAtTheFirstLetterStaysAndEnterSavesThePlaceholder) {
    UseDefaultTable();
    StageNumber = 3;
    RunTotal = 9000;
    SceneId = SceneNameEntry;
    TypeFrame({VK_SHIFT});
    EXPECT_EQ(NameRank, 1);
    EXPECT_EQ(NamePosition, 0);
    TypeFrame({});
    TypeFrame({VK_RETURN});
    EXPECT_EQ(SceneId, SceneTitle);
    HiscoreEntry saved[kHiscoreEntries] = {};
    ASSERT_EQ(HiscoreRead(HiscorePath(), saved, kHiscoreEntries), 1);
    EXPECT_STREQ(saved[6].name, "PXD");
    EXPECT_EQ(saved[6].score, 9000);
    EXPECT_EQ(saved[7].score, 8700);
    EXPECT_EQ(saved[8].score, 8400);
}

// Name entry draws the same heading as the hiscore view. With a
// half-transparent heading over the pink background (250 red), one draw
// leaves about 125 red; a second draw on top would leave about 62.
TEST_F(NameEntryTest, HeadingLooksAsInTheHiscoreView) {
    UseDefaultTable();
    const uint8_t halfBlack[4] = {0, 0, 0, 128};
    Texture heading{RdCreateTexture(1, 1, halfBlack), 1, 1};
    Texture* const saved = TextureTable[TexHiscoreB];
    TextureTable[TexHiscoreB] = &heading;
    std::vector<uint8_t> view(800 * 600 * 4), entry(800 * 600 * 4);
    SceneId = SceneHiscoreView;
    RdCaptureNextPresent();
    HiscoreViewScene();
    ASSERT_TRUE(RdReadLastFrame(view.data()));
    StageNumber = 1;
    RunTotal = 3300;
    SceneId = SceneNameEntry;
    RdCaptureNextPresent();
    NameEntryScene();
    ASSERT_TRUE(RdReadLastFrame(entry.data()));
    TextureTable[TexHiscoreB] = saved;
    RdReleaseTexture(heading.handle);
    // (10, 10) lies under the heading alone.
    const int viewRed = PixelAt(view, 10, 10)[0], entryRed = PixelAt(entry, 10, 10)[0];
    EXPECT_NEAR(viewRed, 125, 2);
    EXPECT_EQ(entryRed, viewRed);
}

// Reached with a total that does not rank (never by the game's own road):
// nothing may be written past the stage's three entries, nor saved.
TEST_F(NameEntryTest, ATotalThatDoesNotRankLeavesTheTableAlone) {
    UseDefaultTable();
    std::filesystem::remove(HiscorePath());
    StageNumber = 3;
    RunTotal = 100;
    SceneId = SceneNameEntry;
    NameEntryScene();
    EXPECT_EQ(SceneId, SceneTitle);
    EXPECT_EQ(NameInserted, 0);
    EXPECT_EQ(HiscoreTable[8].score, 8100);
    EXPECT_FALSE(std::filesystem::exists(HiscorePath()));
}

}  // namespace

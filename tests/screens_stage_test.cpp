// Countdown, pause, stage end and result, driven frame by frame.
#include <cstdint>

#include "screens_fixture.h"
#include "graphics/mesh.h"
#include "sound/sound.h"

namespace {

using CountdownTest = ScreensTest;
using StageEndTest = ScreensTest;
using ResultTest = ScreensTest;

void StartCountdown() {
    SceneId = SceneCountdown;
    StageNumber = 1;
    StartBanner = 0;
}

// 180 frames of cells 2, 1, 0 (sixty each) and a 181st frame, the one that
// starts play, showing cell 3. Truncating the float count before the division
// is what keeps cell 3 off the screen until then.
TEST_F(CountdownTest, LastsOneHundredEightyOneFramesWithCellsTwoOneZeroThree) {
    StartCountdown();
    for (int frame = 1; frame <= 180; ++frame) {
        CountdownScene();
        ASSERT_EQ(SceneId, SceneCountdown) << "frame " << frame;
        const int expected = frame <= 60 ? 2 : frame <= 120 ? 1 : 0;
        ASSERT_EQ(CountdownCellShown, expected) << "frame " << frame;
    }
    EXPECT_EQ(CountdownFrames, 0.0f);
    CountdownScene();
    EXPECT_EQ(SceneId, ScenePlay);
    EXPECT_EQ(CountdownCellShown, 3);
    EXPECT_EQ(StartBanner, 120);
    EXPECT_EQ(CountdownFrames, 180.0f);
    EXPECT_EQ(CurrentMusic, 0);
}

// The tune left over from the last stage fades in hundredths of a decibel:
// 0 on the first frame, -4296 on the 180th; the new tune starts at volume 1.
TEST_F(CountdownTest, FadesTheOldTuneAndStartsTheStageTune) {
    StartCountdown();
    StageNumber = 2;
    CurrentMusic = 0;
    CountdownScene();
    EXPECT_EQ(CurrentMusicVolume(), 0);
    for (int frame = 2; frame <= 180; ++frame) CountdownScene();
    EXPECT_EQ(CurrentMusicVolume(), -4296);
    CountdownScene();
    EXPECT_EQ(CurrentMusic, 1);
    EXPECT_EQ(CurrentMusicVolume(), 1);
}

TEST_F(CountdownTest, EnterOnTheLastFrameStartsPlayInsteadOfPausing) {
    StartCountdown();
    for (int frame = 1; frame <= 180; ++frame) CountdownScene();
    Key(VK_RETURN, true);
    CountdownScene();
    EXPECT_EQ(SceneId, ScenePlay);
    EXPECT_EQ(StartBanner, 120);
}

TEST_F(CountdownTest, PausedAndResumedItGoesOnFromWhereItStopped) {
    StartCountdown();
    for (int frame = 1; frame < 100; ++frame) CountdownScene();
    Key(VK_RETURN, true);
    CountdownScene();  // the 100th frame asks for the pause and still counts
    EXPECT_EQ(SceneId, ScenePause);
    EXPECT_EQ(StartBanner, -1);
    EXPECT_EQ(CountdownFrames, 80.0f);

    PauseScene();  // Enter still held: no new edge
    EXPECT_EQ(SceneId, ScenePause);
    Key(VK_RETURN, false);
    PauseScene();
    Key(VK_DOWN, true);
    PauseScene();  // cursor on Quit Game
    EXPECT_EQ(PauseCursor, 1.0f);
    Key(VK_DOWN, false);
    Key(VK_RETURN, true);
    PauseScene();  // Enter resumes even on Quit Game
    EXPECT_EQ(SceneId, SceneCountdown);
    EXPECT_EQ(StartBanner, 0);
    EXPECT_EQ(PauseCursor, 0.0f);
    EXPECT_EQ(CountdownFrames, 80.0f);
    Key(VK_RETURN, false);
    CountdownScene();
    EXPECT_EQ(CountdownFrames, 79.0f);
    EXPECT_EQ(CountdownCellShown, 1);
}

TEST_F(CountdownTest, PausedAndQuitTheNextCountdownStartsFromOneHundredEighty) {
    StartCountdown();
    for (int frame = 1; frame < 100; ++frame) CountdownScene();
    Key(VK_RETURN, true);
    CountdownScene();
    Key(VK_RETURN, false);
    PauseScene();
    Key(VK_DOWN, true);
    PauseScene();
    Key(VK_DOWN, false);
    Key(VK_SPACE, true);
    PauseScene();
    EXPECT_EQ(SceneId, SceneTitle);
    EXPECT_EQ(PauseCursor, 0.0f);
    EXPECT_EQ(StartBanner, -1);  // the mark survives until the next countdown
    Key(VK_SPACE, false);

    // A new stage: its first countdown frame starts from the top.
    SceneId = SceneCountdown;
    CountdownScene();
    EXPECT_EQ(StartBanner, 0);
    EXPECT_EQ(CountdownFrames, 179.0f);
    EXPECT_EQ(CountdownCellShown, 2);
}

TEST_F(CountdownTest, PauseFromPlayReturnsToPlayWithSpaceOnReturnGame) {
    SceneId = ScenePause;
    StartBanner = 37;  // the start banner still fading
    Key(VK_SPACE, true);
    PauseScene();
    EXPECT_EQ(SceneId, ScenePlay);
    EXPECT_EQ(StartBanner, 37);
}

// FadeAlpha climbs 0.005 a frame in single precision; the sum first reaches 1
// on the 201st frame. Game over and time out go to the title, a clear to the
// result.
TEST_F(StageEndTest, BannerFadesForTwoHundredAndOneFramesThenLeavesByReason) {
    for (int reason : {0, 1, 2}) {
        SceneId = SceneStageEnd;
        EndReason = reason;
        FadeAlpha = 0.0f;
        BlinkFlag = 1;
        for (int frame = 1; frame <= 200; ++frame) {
            StageEndScene();
            ASSERT_EQ(SceneId, SceneStageEnd) << "reason " << reason << " frame " << frame;
        }
        StageEndScene();
        EXPECT_EQ(SceneId, reason == 0 ? SceneResult : SceneTitle) << reason;
        EXPECT_EQ(FadeAlpha, 0.0f);
        EXPECT_EQ(BlinkFlag, 0);
    }
}

void EnterResult(int stageTime, int life) {
    SceneId = SceneResult;
    StageNumber = 1;
    StageTime = stageTime;
    Player.hitPoints = life;
    FadeAlpha = 0.0f;
    BlinkFlag = 0;
}

// The fade-in from black raises BlinkFlag on the 35th frame (FadeAlpha first
// above 1 before its step), so a held Space is taken on the 36th, not before.
TEST_F(ResultTest, InputIsAcceptedFromTheThirtySixthFrame) {
    UseDefaultTable();
    EnterResult(3000, 10);
    Key(VK_SPACE, true);
    for (int frame = 1; frame <= 35; ++frame) {
        ResultScene();
        ASSERT_EQ(SceneId, SceneResult) << "frame " << frame;
    }
    EXPECT_EQ(BlinkFlag, 1);
    ResultScene();
    EXPECT_EQ(SceneId, SceneNameEntry);
    EXPECT_EQ(FadeAlpha, 0.0f);
    EXPECT_EQ(BlinkFlag, 0);
    EXPECT_EQ(PromptAlpha, 0.0f);
    EXPECT_EQ(PromptFlag, 0);
}

TEST_F(ResultTest, TallyIsLifeTimesHundredPlusTimeTimesTwo) {
    UseDefaultTable();
    EnterResult(3000, 10);
    ResultScene();
    EXPECT_EQ(TimeBonus(), 6000);
    EXPECT_EQ(LifeBonus(), 1000);
    EXPECT_EQ(RunTotal, 7000);
}

// A crafted player record with millions of hit points: the tally saturates
// at the largest score a hiscore file holds instead of wrapping negative.
TEST_F(ResultTest, TallyOfAHugeLifeStopsAtTheLargestScore) {
    UseDefaultTable();
    EnterResult(100, 21474837);
    ResultScene();
    EXPECT_EQ(LifeBonus(), INT32_MAX);
    EXPECT_EQ(RunTotal, INT32_MAX);
    EnterResult(100, INT32_MIN);
    ResultScene();
    EXPECT_EQ(LifeBonus(), INT32_MIN);
    EXPECT_EQ(RunTotal, INT32_MIN);
    EnterResult(100, 21474830);  // just inside: 2,147,483,000 + 200
    ResultScene();
    EXPECT_EQ(RunTotal, 2147483200);
}

// Equal to the stage's third score is not a record: back to the title.
TEST_F(ResultTest, ATotalEqualToTheThirdScoreReturnsToTheTitle) {
    UseDefaultTable();
    EnterResult(1450, 0);  // 2900, stage 1's third entry
    for (int frame = 1; frame <= 35; ++frame) ResultScene();
    EXPECT_EQ(RunTotal, 2900);
    Key(VK_RETURN, true);
    ResultScene();
    EXPECT_EQ(SceneId, SceneTitle);

    // Enter's latch was left set and the fade never asks for it: start clean.
    ResetInput();
    EnterResult(1450, 0);
    HiscoreTable[2].score = 2899;  // one point less: now it ranks
    for (int frame = 1; frame <= 35; ++frame) ResultScene();
    Key(VK_RETURN, true);
    ResultScene();
    EXPECT_EQ(SceneId, SceneNameEntry);
}

TEST_F(ResultTest, PromptBlinksOnlyAfterTheFadeIn) {
    UseDefaultTable();
    EnterResult(100, 1);
    for (int frame = 1; frame <= 35; ++frame) ResultScene();
    EXPECT_EQ(PromptAlpha, 0.0f);
    ResultScene();
    ResultScene();
    EXPECT_GT(PromptAlpha, 0.0f);
}

}  // namespace

namespace {

using StageExitTest = ScreensTest;

// Loads a small mesh into an enemy slot and into the buildings slot, standing
// in for a loaded stage.
void LoadStandInStageMeshes() {
    const char* cube = ZORBAT_TESTDATA_DIR "/xfiles/test_cube_text.x";
    ASSERT_EQ(LoadMeshFromFile(cube, ZORBAT_TESTDATA_DIR "/xfiles/", &EnemyMeshes[3]), 1);
    ASSERT_EQ(LoadMeshFromFile(cube, ZORBAT_TESTDATA_DIR "/xfiles/", &MapMeshes[1]), 1);
    ASSERT_NE(EnemyMeshes[3].mesh, nullptr);
}

bool StageMeshesReleased() { return EnemyMeshes[3].mesh == nullptr && MapMeshes[1].mesh == nullptr; }

// Every way out of a stage frees the stage's meshes: Quit Game, a lost stage,
// and the result; a cleared stage keeps them until its result is left.
TEST_F(StageExitTest, EveryWayOutOfAStageReleasesItsMeshes) {
    LoadStandInStageMeshes();
    SceneId = ScenePause;
    PauseCursor = 1.0f;
    Key(VK_SPACE, true);
    PauseScene();
    EXPECT_EQ(SceneId, SceneTitle);
    EXPECT_TRUE(StageMeshesReleased()) << "Quit Game";
    Key(VK_SPACE, false);

    for (int reason : {1, 2}) {
        LoadStandInStageMeshes();
        SceneId = SceneStageEnd;
        EndReason = reason;
        FadeAlpha = 0.0f;
        while (SceneId == SceneStageEnd) StageEndScene();
        EXPECT_TRUE(StageMeshesReleased()) << "end reason " << reason;
    }

    LoadStandInStageMeshes();
    UseDefaultTable();
    SceneId = SceneStageEnd;
    EndReason = 0;
    FadeAlpha = 0.0f;
    while (SceneId == SceneStageEnd) StageEndScene();
    EXPECT_EQ(SceneId, SceneResult);
    EXPECT_FALSE(StageMeshesReleased());
    StageTime = 10;
    Player.hitPoints = 1;
    while (BlinkFlag == 0) ResultScene();
    Key(VK_RETURN, true);
    ResultScene();
    EXPECT_EQ(SceneId, SceneTitle);
    EXPECT_TRUE(StageMeshesReleased()) << "result";
}

}  // namespace

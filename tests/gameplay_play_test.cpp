// The play frame's end checks, the pause request, the HUD's numbers and the
// stage run state.
#include <vector>

#include "game/effects.h"
#include "game/hud.h"
#include "game/stage_setup.h"
#include "gameplay_fixture.h"

namespace gameplay_test {
namespace {

using PlayScene = GameplayTest;

void PlayOneFrame() {
    PlayUpdate();
    PlayEndChecks();
}

TEST_F(PlayScene, TimeCountsDownAndTheFrameAtZeroIsTheLast) {
    AddEnemy("ENEMY1", Vec3{0, 0, 50});
    StageTime = 2;
    PlayOneFrame();
    EXPECT_EQ(StageTime, 1);
    EXPECT_EQ(SceneId, ScenePlay);
    PlayOneFrame();
    EXPECT_EQ(StageTime, 0);
    EXPECT_EQ(SceneId, ScenePlay);
    PlayOneFrame();
    EXPECT_EQ(StageTime, 0);
    EXPECT_EQ(SceneId, SceneStageEnd);
    EXPECT_EQ(EndReason, 2);
}

TEST_F(PlayScene, ClearWinsOverGameOverWhichWinsOverTimeOut) {
    // Time out and game over together: game over.
    AddEnemy("ENEMY1", Vec3{0, 0, 50});
    StageTime = 0;
    Player.hitPoints = 0;
    PlayOneFrame();
    EXPECT_EQ(EndReason, 1);
    EXPECT_EQ(SceneId, SceneStageEnd);

    // The last enemy dies on the frame the player's life runs out: clear.
    SceneId = ScenePlay;
    StageTime = 0;
    MakePlayer(Vec3{0, 0, 6.0f}, Vec3{0, 0, 0}, 2);
    Actor* last = &Enemies[0];
    last->hitPoints = 1;
    last->position = Vec3{0, 0, 6.0f};
    last->collider->sphereCentre = last->position;  // as the previous frame left it
    SpawnShot(Vec3{0, 0, 0}, Vec3{0, 0, 0}, "NORMAL", 1.55f, 180);  // kills the enemy
    SpawnShot(Vec3{0, 0, 4.0f}, Vec3{0, 0, 0}, "ENEMY2", 0.3f, 240);   // kills the player
    PlayOneFrame();
    EXPECT_EQ(last->hitPoints, 0);
    EXPECT_EQ(Player.hitPoints, 0);
    EXPECT_EQ(EndReason, 0);
    EXPECT_EQ(SceneId, SceneStageEnd);
}

TEST_F(PlayScene, AStageWithoutEnemiesIsClearedOnItsFirstFrame) {
    PlayOneFrame();
    EXPECT_EQ(SceneId, SceneStageEnd);
    EXPECT_EQ(EndReason, 0);
    EXPECT_EQ(StageTime, 5399);
}

TEST_F(PlayScene, EnterPausesButTheFrameGoesOnAndAnEndOverridesIt) {
    AddEnemy("ENEMY1", Vec3{0, 0, 50});
    MakePlayer(Vec3{0, 0, 0});
    Key(VK_RETURN, true);
    Key('W', true);
    PlayOneFrame();
    EXPECT_EQ(SceneId, ScenePause);
    EXPECT_NEAR(Player.position.z, 0.0384f, 1e-6f);  // the player still moved
    EXPECT_EQ(StageTime, 5399);
    // Held Enter does not pause again; on the frame the stage ends, the end wins.
    SceneId = ScenePlay;
    Key(VK_RETURN, false);
    PlayOneFrame();
    Key(VK_RETURN, true);
    Enemies[0].hitPoints = 0;
    PlayOneFrame();
    EXPECT_EQ(SceneId, SceneStageEnd);
    EXPECT_EQ(EndReason, 0);
}

TEST_F(PlayScene, CollidersFollowTheirActorsAfterTheFrame) {
    Actor* a = AddEnemy("ENEMY4", Vec3{0, 0, 0});
    MakePlayer(Vec3{100, 0, 0});
    Key('W', true);
    PlayUpdate();
    EXPECT_EQ(a->collider->sphereCentre.z, a->position.z);
    EXPECT_NEAR(a->position.z, 0.3f, 1e-6f);
    EXPECT_EQ(Player.collider->sphereCentre.z, Player.position.z);
    EXPECT_EQ(AnyEnemyAlive(Enemies, EnemyCount), 1);
    EXPECT_EQ(AnyEnemyAlive(Enemies, 0), 0);
    a->hitPoints = 0;
    EXPECT_EQ(AnyEnemyAlive(Enemies, EnemyCount), 0);
}

TEST(PlayHud, TimePanelReadsMinutesSecondsTenthsAndTheFramesLastDigit) {
    int g[8];
    TimeGlyphs(5400, g);  // stage 1's first frame reads 01:30.00
    EXPECT_EQ(std::vector<int>(g, g + 8), (std::vector<int>{0, 1, 10, 3, 0, 11, 0, 0}));
    TimeGlyphs(5399, g);  // one frame later 01:29.99 (tenths 899 % 10, last digit 9)
    EXPECT_EQ(std::vector<int>(g, g + 8), (std::vector<int>{0, 1, 10, 2, 9, 11, 9, 9}));
    TimeGlyphs(7200, g);
    EXPECT_EQ(std::vector<int>(g, g + 8), (std::vector<int>{0, 2, 10, 0, 0, 11, 0, 0}));
    TimeGlyphs(0, g);
    EXPECT_EQ(std::vector<int>(g, g + 8), (std::vector<int>{0, 0, 10, 0, 0, 11, 0, 0}));
    TimeGlyphs(67, g);  // 1 s, tenths (67 / 6) % 10 = 1, last digit 7
    EXPECT_EQ(std::vector<int>(g, g + 8), (std::vector<int>{0, 0, 10, 0, 1, 11, 1, 7}));
}

TEST(PlayHud, LowTimeBlinksRedFrom20AndBeepsAt30In61FrameCycles) {
    TimeBlink = 0;
    EXPECT_EQ(StepTimeBlink(600), 0);
    EXPECT_EQ(TimeBlink, 0);
    std::vector<int> beeps;
    int firstRed = 0;
    for (int f = 1; f <= 130; ++f) {
        if (StepTimeBlink(599)) beeps.push_back(f);
        if (firstRed == 0 && TimeBlink >= 20) firstRed = f;
    }
    EXPECT_EQ(firstRed, 20);
    EXPECT_EQ(beeps, (std::vector<int>{30, 91}));
    // At 0 it never beeps.
    TimeBlink = 29;
    EXPECT_EQ(StepTimeBlink(0), 0);
    EXPECT_EQ(TimeBlink, 30);
    TimeBlink = 0;
}

TEST(PlayHud, LifeGaugeRatioAndAnEmptyGaugeWithoutFullScale) {
    const int saved = MaxLife;
    MaxLife = 40;
    EXPECT_FLOAT_EQ(LifeRatio(40), 1.0f);
    EXPECT_FLOAT_EQ(LifeRatio(10), 0.25f);
    EXPECT_FLOAT_EQ(LifeRatio(41), 1.0f);  // never past the end of the bar
    // A player record with 0 hit points gives no full scale: drawn empty, no division by 0.
    MaxLife = 0;
    EXPECT_EQ(LifeRatio(0), 0.0f);
    MaxLife = saved;
}

TEST(PlayHud, LowLifePulseRisesAndFallsBySixHundredths) {
    LifeFlashAlpha = 0.0f;
    LifeFlashFalling = 0;
    for (int i = 0; i < 17; ++i) StepLifeFlash();
    EXPECT_NEAR(LifeFlashAlpha, 1.02f, 1e-4f);  // overshoots: tested before the step
    EXPECT_EQ(LifeFlashFalling, 0);
    StepLifeFlash();  // the switch frame leaves the alpha alone
    EXPECT_EQ(LifeFlashFalling, 1);
    EXPECT_NEAR(LifeFlashAlpha, 1.02f, 1e-4f);
    StepLifeFlash();
    EXPECT_NEAR(LifeFlashAlpha, 0.96f, 1e-4f);
    LifeFlashAlpha = 0.0f;
    LifeFlashFalling = 0;
}

TEST_F(PlayScene, NewStageRunResetsTimeScorePoolsAndCamera) {
    StageNumber = 2;
    StageTime = 17;
    RunTotal = 4242;
    SpawnShot(Vec3{0, 0, 0}, Vec3{0, 0, 0}, "NORMAL", 1.55f, 180);
    SpawnEffect("TORP", Vec3{0, 0, 0}, Vec3{0, 0, 0}, 32);
    Vec3 target{10.0f, 50.0f, 0.0f};
    FollowAngles(&target);
    BeginStageRun();
    EXPECT_EQ(StageTime, 6600);
    EXPECT_EQ(RunTotal, 0);
    EXPECT_EQ(LiveShots(""), 0);
    EXPECT_EQ(LiveEffects(), 0);
    EXPECT_EQ(FollowAngles(nullptr).y, 0.0f);
    EXPECT_EQ(StageTimeLimit(1), 5400);
    EXPECT_EQ(StageTimeLimit(3), 7200);
}

}  // namespace
}  // namespace gameplay_test

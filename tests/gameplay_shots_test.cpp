// The shot pool: spawning, flight in two half-steps, homing, hits and damage,
// and the impact effects they leave.
#include <cmath>
#include <cstring>
#include <vector>

#include "game/effects.h"
#include "gameplay_fixture.h"
#include "gl_fixture.h"
#include "graphics/sprite.h"
#include "graphics/transform.h"

namespace gameplay_test {
namespace {

using Shots = GameplayTest;

TEST_F(Shots, FullPoolRefusesAndFreedSlotsAreReusedLowestFirst) {
    for (int i = 0; i < kShotSlots; ++i) {
        ASSERT_EQ(SpawnShot(Vec3{0, 0, static_cast<float>(i)}, Vec3{0, 0, 0}, "NORMAL", 1.0f, 50), 1);
    }
    static Actor before[kShotSlots];
    std::memcpy(before, ShotPool, sizeof before);
    EXPECT_EQ(SpawnShot(Vec3{0, 0, 0}, Vec3{0, 0, 0}, "STAR", 1.0f, 50), 0);
    EXPECT_EQ(std::memcmp(before, ShotPool, sizeof before), 0);

    ShotPool[9].hitPoints = 0;
    ShotPool[5].hitPoints = -3;
    ASSERT_EQ(SpawnShot(Vec3{0, 0, 0}, Vec3{0, 0, 0}, "STAR", 1.0f, 50), 1);
    EXPECT_TRUE(TagHas(ShotPool[5].name, "STAR"));
    ASSERT_EQ(SpawnShot(Vec3{0, 0, 0}, Vec3{0, 0, 0}, "TORP", 1.0f, 50), 1);
    EXPECT_TRUE(TagHas(ShotPool[9].name, "TORP"));
    // Not a shot kind: refused rather than left without a collider.
    ShotPool[20].hitPoints = 0;
    EXPECT_EQ(SpawnShot(Vec3{0, 0, 0}, Vec3{0, 0, 0}, "ENEMY1", 1.0f, 50), 0);
    EXPECT_EQ(ShotPool[20].hitPoints, 0);
}

TEST_F(Shots, EachKindStartsItsLeadAheadOfTheFirer) {
    struct Case {
        const char* tag;
        float speed;
        int ttl;
        float lead;  // distance ahead: 2 * speed * the kind's factor
    };
    const Case cases[] = {
        {"NORMAL", 1.55f, 180, 3.1f}, {"STAR", 1.35f, 260, 3.24f}, {"ENEMY2", 1.8f, 240, 3.6f},
        {"ENEMY3", 3.2f, 360, 32.0f}, {"ENEMY4", 1.8f, 200, 6.12f}, {"ENEMY4", 1.9f, 220, 4.56f},
        {"TORP", 0.45f, 560, 0.9f},
    };
    for (const Case& c : cases) {
        ClearPools();
        ASSERT_EQ(SpawnShot(Vec3{1, 2, 3}, Vec3{0, 90.0f, 0}, c.tag, c.speed, c.ttl), 1);
        const Actor& s = ShotPool[0];
        EXPECT_NEAR(s.position.x, 1.0f + c.lead, 1e-5f) << c.tag << " " << c.ttl;
        EXPECT_NEAR(s.position.y, 2.0f, 1e-5f) << c.tag;
        EXPECT_NEAR(s.position.z, 3.0f, 1e-5f) << c.tag;
        EXPECT_EQ(s.hitPoints, c.ttl);
        EXPECT_EQ(s.scale.y, c.speed);
        EXPECT_EQ(s.collider, &ShotKindCollider[ShotKindOf(c.tag)]);
        EXPECT_EQ(s.collider->active, 1);
    }
    // Pitch 90 points straight down; the roll is ignored for the heading.
    ClearPools();
    SpawnShot(Vec3{0, 0, 0}, Vec3{90.0f, 0, 45.0f}, "NORMAL", 1.55f, 180);
    EXPECT_NEAR(ShotPool[0].position.y, -3.1f, 1e-5f);
    EXPECT_NEAR(ShotPool[0].position.x, 0.0f, 1e-5f);
}

TEST_F(Shots, TwoStepsPerFrameUntilTheTimeToLiveRunsOut) {
    SpawnShot(Vec3{0, 0, 0}, Vec3{0, 0, 0}, "NORMAL", 1.55f, 180);
    Frame();
    EXPECT_NEAR(ShotPool[0].position.z, 6.2f, 1e-5f);
    EXPECT_EQ(ShotPool[0].hitPoints, 178);
    Frames(88);
    EXPECT_EQ(ShotPool[0].hitPoints, 2);
    EXPECT_NEAR(ShotPool[0].position.z, 3.1f + 178 * 1.55f, 1e-3f);
    Frame();  // 90 frames: 180 steps
    EXPECT_EQ(LiveShots("NORMAL"), 0);
    EXPECT_EQ(LiveEffects(), 0);  // running out leaves no effect
}

TEST_F(Shots, AHitOnTheFirstStepFreesTheShotBeforeTheSecond) {
    Actor* e = AddEnemy("ENEMY1", Vec3{0, 0, 5.5f}, Vec3{0, 0, 0}, 5);
    SpawnShot(Vec3{0, 0, 0}, Vec3{0, 0, 0}, "NORMAL", 1.55f, 180);
    Frame();
    EXPECT_EQ(e->hitPoints, 4);  // one damage, not two
    EXPECT_EQ(LiveShots(""), 0);
    ASSERT_EQ(LiveEffects(), 1);
    EXPECT_STREQ(EffectPool[0].tag, "NORMAL");
    // Sparks drift on along the heading, 0.001 x frames per frame.
    EXPECT_NEAR(EffectPool[0].position.z, 4.65f + 0.032f, 1e-5f);
    Frame();
    EXPECT_NEAR(EffectPool[0].position.z, 4.65f + 0.032f + 0.031f, 1e-5f);
}

TEST_F(Shots, FriendlyShotsHurtEnemiesOnlyAndHostileShotsThePlayerOnly) {
    MakePlayer(Vec3{0, 0, 6.0f});
    Actor* e = AddEnemy("ENEMY1", Vec3{0, 0, 6.0f}, Vec3{0, 0, 0}, 5);
    SpawnShot(Vec3{0, 0, 0}, Vec3{0, 0, 0}, "NORMAL", 1.55f, 180);
    Frame();
    EXPECT_EQ(e->hitPoints, 4);
    EXPECT_EQ(Player.hitPoints, 100);
    EXPECT_EQ(LiveShots(""), 0);

    // Each hostile kind takes its own damage from the player, not from the enemy.
    const struct {
        const char* tag;
        int ttl;
        int damage;
    } hostile[] = {{"ENEMY2", 240, 2}, {"ENEMY4", 200, 3}, {"TORP", 560, 2}};
    for (const auto& h : hostile) {
        MakePlayer(Vec3{0, 0, 6.0f});
        SpawnShot(Vec3{0, 0, 4.0f}, Vec3{0, 0, 0}, h.tag, 0.3f, h.ttl);
        Frame();
        EXPECT_EQ(Player.hitPoints, 100 - h.damage) << h.tag;
        EXPECT_EQ(e->hitPoints, 4) << h.tag;
        EXPECT_EQ(LiveShots(""), 0) << h.tag;
    }
    // A player shot that touches only the player does nothing to it but is spent.
    StageObjectCount = 0;
    e->position = Vec3{0, 300, 0};
    MakePlayer(Vec3{0, 0, 6.0f});
    SpawnShot(Vec3{0, 0, 4.0f}, Vec3{0, 0, 0}, "STAR", 0.5f, 260);
    Frame();
    EXPECT_EQ(Player.hitPoints, 100);
    EXPECT_EQ(LiveShots(""), 0);
    // And an enemy shot that touches only an enemy leaves it unharmed, but
    // stops there with its burst all the same.
    ClearPools();
    e->position = Vec3{0, 0, 6.0f};
    e->collider->sphereCentre = e->position;  // as the end of a frame leaves it
    MakePlayer(Vec3{0, 300, 0});
    SpawnShot(Vec3{0, 0, 4.0f}, Vec3{0, 0, 0}, "ENEMY4", 0.3f, 200);
    Frame();
    EXPECT_EQ(e->hitPoints, 4);
    EXPECT_EQ(LiveShots(""), 0);
    ASSERT_EQ(LiveEffects(), 1);
    EXPECT_STREQ(EffectPool[0].tag, "ENEMY4");
}

TEST_F(Shots, ChargerBeamPiercesForEightAFrameAndNeverAges) {
    MakePlayer(Vec3{0, 0, 20.0f});
    SpawnShot(Vec3{0, 0, 15.0f}, Vec3{0, 0, 0}, "ENEMY3", 0.5f, 360);
    Frame();
    EXPECT_EQ(Player.hitPoints, 92);  // 4 on each of the two steps
    EXPECT_EQ(ShotPool[0].hitPoints, 360);
    Frame();
    EXPECT_EQ(Player.hitPoints, 84);
    EXPECT_EQ(LiveEffects(), 0);  // the beam never leaves an effect
    // Once the player is dead nothing is hit and the beam counts down again.
    DamageActor(&Player, 1000);
    Frame();
    EXPECT_EQ(ShotPool[0].hitPoints, 358);

    // Under the floor it keeps flying and does not age while it stays there;
    // other shots stop there.
    ClearPools();
    Settings.boundsMin.y = 0.0f;
    SpawnShot(Vec3{0, -5.0f, 0}, Vec3{0, 0, 0}, "ENEMY3", 3.2f, 360);
    SpawnShot(Vec3{10, -5.0f, 0}, Vec3{0, 0, 0}, "NORMAL", 1.55f, 180);
    Frames(3);
    EXPECT_EQ(ShotPool[0].hitPoints, 360);
    EXPECT_NEAR(ShotPool[0].position.z, 32.0f + 6 * 3.2f, 1e-4f);
    EXPECT_EQ(ShotPool[1].hitPoints, 0);
    EXPECT_EQ(LiveEffects(), 1);
}

TEST_F(Shots, SideWallsDoNotStopShotsButBuildingsDo) {
    Settings.boundsMin = Vec3{-10, -10, -10};
    Settings.boundsMax = Vec3{10, 10, 10};
    SpawnShot(Vec3{0, 0, 0}, Vec3{0, 90.0f, 0}, "NORMAL", 1.55f, 180);
    Frames(89);
    ASSERT_EQ(LiveShots("NORMAL"), 1);
    EXPECT_GT(ShotPool[0].position.x, 250.0f);
    Frame();
    EXPECT_EQ(LiveShots("NORMAL"), 0);
    EXPECT_EQ(LiveEffects(), 0);

    ClearPools();
    AddBlock(Vec3{0, 0, 8.0f}, Vec3{3, 3, 1});
    SpawnShot(Vec3{0, 0, 0}, Vec3{0, 0, 0}, "STAR", 1.35f, 260);
    Frames(2);
    EXPECT_EQ(LiveShots(""), 0);
    EXPECT_EQ(LiveEffects(), 1);
    EXPECT_STREQ(EffectPool[0].tag, "STAR");
}

TEST_F(Shots, DeadEnemiesAreFlownThrough) {
    Actor* e = AddEnemy("ENEMY1", Vec3{0, 0, 5.5f}, Vec3{0, 0, 0}, 1);
    SpawnShot(Vec3{0, 0, 0}, Vec3{0, 0, 0}, "NORMAL", 1.55f, 180);
    SpawnShot(Vec3{0, 0, -3.0f}, Vec3{0, 0, 0}, "NORMAL", 1.55f, 180);
    Frame();
    EXPECT_EQ(e->hitPoints, 0);
    EXPECT_EQ(LiveShots("NORMAL"), 1);  // the second shot passes the wreck
    Frames(3);
    EXPECT_EQ(LiveShots("NORMAL"), 1);
}

TEST_F(Shots, TorpedoesAndStarsHome) {
    MakePlayer(Vec3{40, 0, 40});
    SpawnShot(Vec3{0, 0, 0}, Vec3{0, 0, 0}, "TORP", 0.45f, 560);
    Frame();
    EXPECT_NEAR(ShotPool[0].rotation.y, 0.4f, 1e-5f);  // 0.2 per step toward the player
    ClearPools();

    // A star turns 0.04 per step toward an enemy in its narrow view ...
    AddEnemy("ENEMY1", Vec3{3, 0, 80});
    SpawnShot(Vec3{0, 0, 0}, Vec3{0, 0, 0}, "STAR", 1.35f, 260);
    Frame();
    EXPECT_NEAR(ShotPool[0].rotation.y, 0.08f, 1e-5f);
    // ... and flies straight when nothing is in view.
    ClearPools();
    Enemies[0].position = Vec3{60, 0, 60};
    SpawnShot(Vec3{0, 0, 0}, Vec3{0, 0, 0}, "STAR", 1.35f, 260);
    Frame();
    EXPECT_EQ(ShotPool[0].rotation.y, 0.0f);
}

TEST_F(Shots, EffectPoolHolds32AndEachLasts31DrawnFrames) {
    AddBlock(Vec3{0, 0, 8.0f}, Vec3{40, 40, 1});
    for (int i = 0; i < 33; ++i) {
        SpawnShot(Vec3{static_cast<float>(i) - 16.0f, 0, 0}, Vec3{0, 0, 0}, "NORMAL", 1.55f, 180);
    }
    Frame();
    EXPECT_EQ(LiveShots(""), 0);  // the 33rd is removed all the same
    EXPECT_EQ(LiveEffects(), 32);
    EXPECT_EQ(EffectPool[0].frames, 31);  // first drawn with 31
    int shown = 1;
    while (LiveEffects() > 0 && shown < 100) {
        Frame();
        if (LiveEffects() > 0) ++shown;
    }
    EXPECT_EQ(shown, 31);
}

TEST_F(Shots, SimultaneousEffectsGetTheirOwnRandomRoll) {
    SeedRandom(7);
    SpawnEffect("STAR", Vec3{0, 0, 0}, Vec3{10, 20, 30}, 32);
    SpawnEffect("STAR", Vec3{0, 0, 0}, Vec3{10, 20, 30}, 32);
    SeedRandom(7);
    const int first = RandomRange(360, 0);
    const int second = RandomRange(360, 0);
    EXPECT_EQ(EffectPool[0].rotation.z, static_cast<float>(first));
    EXPECT_EQ(EffectPool[1].rotation.z, static_cast<float>(second));
    EXPECT_NE(EffectPool[0].rotation.z, EffectPool[1].rotation.z);
    EXPECT_EQ(EffectPool[0].rotation.x, 10.0f);
    EXPECT_EQ(EffectPool[0].rotation.y, 20.0f);
    // Stars do not drift.
    UpdateEffects();
    EXPECT_EQ(EffectPool[0].position.z, 0.0f);
    EXPECT_EQ(EffectPool[0].frames, 31);
}

TEST_F(Shots, EachImpactLeavesItsOwnLookAndTheBeamNone) {
    REQUIRE_GL();
    // Plain white stand-ins for the three effect pictures.
    std::vector<uint8_t> white(64 * 64 * 4, 255);
    Texture* saved[3] = {EffectTextures[0], EffectTextures[1], EffectTextures[2]};
    for (Texture*& t : EffectTextures) t = CreateTextureFromPixels(64, 64, white.data());
    const Matrix view = MakeViewMatrix(Vec3{0, 0, -20}, Vec3{0, 0, 0});
    const Matrix projection = MakeProjectionMatrix();
    // Sparks are four streaks, bursts one square; the charger's beam (had it
    // left an effect) and unknown tags draw nothing.
    const struct {
        const char* tag;
        int quads;
    } looks[] = {{"NORMAL", 4}, {"TORP", 1}, {"ENEMY4", 1}, {"ENEMY3", 0}, {"BLOB", 0}};
    for (const auto& look : looks) {
        ClearPools();
        SpawnEffect(look.tag, Vec3{0, 0, 0}, Vec3{0, 0, 0}, 32);
        RdResetStats();
        DrawEffects(view, projection);
        EXPECT_EQ(RdGetStats().quadsQueued, look.quads) << look.tag;
        EXPECT_EQ(RdGetStats().meshDraws, 0) << look.tag;
    }
    for (int i = 0; i < 3; ++i) {
        ReleaseTexture(EffectTextures[i]);
        EffectTextures[i] = saved[i];
    }
}

}  // namespace
}  // namespace gameplay_test

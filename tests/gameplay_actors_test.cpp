// Aiming, moving with collision, damage and the homing target choice that
// enemies and shots share.
#include <cmath>

#include "game/actor_hits.h"
#include "gameplay_fixture.h"

namespace gameplay_test {
namespace {

using ActorOps = GameplayTest;

Actor Observer(Vec3 position, Vec3 rotation) {
    Actor a{};
    a.position = position;
    a.rotation = rotation;
    return a;
}

double Degrees(double radians) { return radians * 180.0 / 3.14159265358979323846; }

TEST_F(ActorOps, TurnTowardAheadChangesNothingAndSmallDifferencesSnap) {
    Actor a = Observer(Vec3{0, 0, 0}, Vec3{0, 0, 0});
    TurnToward(&a, Vec3{0, 0, 50}, 1.0f, 360.0f);
    EXPECT_EQ(a.rotation.y, 0.0f);
    EXPECT_EQ(a.rotation.x, 0.0f);
    // 30 degrees off with step 1: one degree per call.
    a.rotation.y = 30.0f;
    TurnToward(&a, Vec3{0, 0, 50}, 1.0f, 360.0f);
    EXPECT_FLOAT_EQ(a.rotation.y, 29.0f);
    TurnToward(&a, Vec3{0, 0, 50}, 1.0f, 360.0f);
    EXPECT_FLOAT_EQ(a.rotation.y, 28.0f);
    // Half a degree off: snaps onto the target.
    a.rotation.y = 0.5f;
    TurnToward(&a, Vec3{0, 0, 50}, 1.0f, 360.0f);
    EXPECT_NEAR(a.rotation.y, 0.0f, 1e-5f);
}

TEST_F(ActorOps, TurnTowardAcrossNorthGoesTheOtherWayAndWraps) {
    // Yaw 350 toward a desired 10: the difference is 340, so the sign flips
    // and the yaw grows through 360 to just above 0.
    const float s = std::sin(10.0f * kDegToRad) * 50.0f;
    const float c = std::cos(10.0f * kDegToRad) * 50.0f;
    Actor a = Observer(Vec3{0, 0, 0}, Vec3{0, 350.0f, 0});
    TurnToward(&a, Vec3{s, 0, c}, 1.0f, 360.0f);
    EXPECT_FLOAT_EQ(a.rotation.y, 351.0f);
    TurnToward(&a, Vec3{s, 0, c}, 1.0f, 360.0f);
    EXPECT_FLOAT_EQ(a.rotation.y, 352.0f);
    for (int i = 0; i < 9; ++i) TurnToward(&a, Vec3{s, 0, c}, 1.0f, 360.0f);
    EXPECT_NEAR(a.rotation.y, 1.0f, 1e-4f);
}

TEST_F(ActorOps, TurnTowardBeyondTheLimitKeepsYawButPitchSnaps) {
    // 90 degrees to the right and above: yaw stays (limit 60), pitch points up.
    Actor a = Observer(Vec3{0, 0, 0}, Vec3{0, 0, 0});
    TurnToward(&a, Vec3{50, 10, 0}, 1.0f, 60.0f);
    EXPECT_EQ(a.rotation.y, 0.0f);
    const double up = Degrees(std::asin(10.0 / std::sqrt(2600.0)));
    EXPECT_NEAR(a.rotation.x, 360.0 - up, 1e-3);
    // Behind and below: with a wide limit the pitch goes nose-down.
    Actor b = Observer(Vec3{0, 0, 0}, Vec3{0, 0, 0});
    TurnToward(&b, Vec3{0, -30, -40}, 360.0f, 360.0f);
    EXPECT_NEAR(b.rotation.y, 180.0f, 1e-3f);
    EXPECT_NEAR(b.rotation.x, Degrees(std::asin(0.6)), 1e-3);
}

TEST_F(ActorOps, TurnTowardStraightUpOrOntoItselfLeavesWhatItCannotCompute) {
    // Straight above there is no heading: the yaw is kept, the pitch points up.
    Actor a = Observer(Vec3{3, 4, 5}, Vec3{10.0f, 123.0f, 7.0f});
    TurnToward(&a, Vec3{3, 24, 5}, 360.0f, 360.0f);
    EXPECT_FLOAT_EQ(a.rotation.y, 123.0f);
    EXPECT_NEAR(a.rotation.x, 270.0f, 1e-4f);
    EXPECT_FLOAT_EQ(a.rotation.z, 7.0f);
    TurnToward(&a, Vec3{3, -50, 5}, 360.0f, 360.0f);
    EXPECT_FLOAT_EQ(a.rotation.y, 123.0f);
    EXPECT_NEAR(a.rotation.x, 90.0f, 1e-4f);
    // Onto its own position: nothing can be computed, nothing changes.
    Actor b = Observer(Vec3{3, 4, 5}, Vec3{10.0f, 123.0f, 7.0f});
    TurnToward(&b, Vec3{3, 4, 5}, 360.0f, 360.0f);
    EXPECT_EQ(b.rotation.x, 10.0f);
    EXPECT_EQ(b.rotation.y, 123.0f);
    // Near-axis targets at short range never produce NaN either.
    for (int i = 0; i < 200; ++i) {
        const float t = static_cast<float>(i) * 0.05f;
        Actor c = Observer(Vec3{0.1f * t, -t, 0.3f * t}, Vec3{0, 0, 0});
        TurnToward(&c, Vec3{0.1f * t + 1e-7f * t, -t + 1e-3f, 0.3f * t + 9.0f * t}, 1.0f, 360.0f);
        ASSERT_TRUE(std::isfinite(c.rotation.x) && std::isfinite(c.rotation.y)) << i;
    }
}

TEST_F(ActorOps, MoveActorStopsAtThePlayerAndPushesBackFromWalls) {
    MakePlayer(Vec3{2.5f, 0, 0});
    Actor* e = AddEnemy("ENEMY4", Vec3{0, 0, 0});
    // The x step touches the player: it stays, y and z are not moved.
    EXPECT_EQ(MoveActor(e, Vec3{1.0f, 1.0f, 1.0f}), &Player);
    EXPECT_FLOAT_EQ(e->position.x, 1.0f);
    EXPECT_EQ(e->position.y, 0.0f);
    EXPECT_EQ(e->position.z, 0.0f);
    EXPECT_EQ(e->state->s[9], 0.0f);  // touching the player is not a block

    MakePlayer(Vec3{0, 500, 0});
    AddBlock(Vec3{8.0f, 0, 0}, Vec3{5.0f, 5.0f, 50.0f});  // face at x = 3
    e->position = Vec3{1.5f, 0, 0};
    EXPECT_EQ(MoveActor(e, Vec3{1.0f, 0.0f, 0.5f}), nullptr);
    EXPECT_NEAR(e->position.x, 1.5f - 0.001f, 1e-6f);
    EXPECT_NEAR(e->position.z, 0.5f, 1e-6f);
    EXPECT_EQ(e->state->s[9], -1.0f);

    // Another enemy blocks too; the mover never blocks itself.
    e->state->s[9] = 0.0f;
    StageObjectCount = 0;
    AddEnemy("ENEMY1", Vec3{1.5f, 0, 3.0f});
    e->position = Vec3{1.5f, 0, 0};
    MoveActor(e, Vec3{0, 0, 1.5f});
    EXPECT_NEAR(e->position.z, -0.0015f, 1e-6f);
    EXPECT_EQ(e->state->s[9], -1.0f);
    MoveActor(e, Vec3{0, 0.25f, 0});
    EXPECT_FLOAT_EQ(e->position.y, 0.25f);
}

TEST_F(ActorOps, DamageClampsAtZeroAndSwitchesTheColliderOff) {
    Actor* e = AddEnemy("ENEMY1", Vec3{0, 0, 0}, Vec3{0, 0, 0}, 7);
    DamageActor(e, 3);
    EXPECT_EQ(e->hitPoints, 4);
    EXPECT_EQ(e->collider->active, 1);
    DamageActor(e, 10);
    EXPECT_EQ(e->hitPoints, 0);
    EXPECT_EQ(e->collider->active, 0);
    DamageActor(e, 10);
    EXPECT_EQ(e->hitPoints, 0);
    // A dead enemy is no longer found by collision tests.
    MakePlayer(Vec3{0, 0, 0});
    EXPECT_EQ(FindActorHit(&Player, Enemies, EnemyCount), nullptr);
}

TEST_F(ActorOps, TargetInViewIsTheNarrowForwardViewWithAMargin) {
    const Actor shot = Observer(Vec3{0, 0, 0}, Vec3{0, 0, 0});
    EXPECT_TRUE(TargetInView(Vec3{0, 0, 50}, shot));
    EXPECT_TRUE(TargetInView(Vec3{3, 0, 50}, shot));    // about x 606 on screen
    EXPECT_FALSE(TargetInView(Vec3{7, 0, 50}, shot));   // about x 880
    EXPECT_FALSE(TargetInView(Vec3{0, 0, -50}, shot));  // behind
    EXPECT_FALSE(TargetInView(Vec3{0, 0, 1200}, shot)); // beyond the far plane
    // Pitched 30 degrees nose-down, the view follows.
    const Actor down = Observer(Vec3{0, 0, 0}, Vec3{30.0f, 0, 0});
    EXPECT_TRUE(TargetInView(Vec3{0, -25, 43.3f}, down));
    EXPECT_FALSE(TargetInView(Vec3{0, 0, 50}, down));
}

TEST_F(ActorOps, BoxesKeepFollowingTheirOwnersTurns) {
    // Placement keeps axes made from unchanged angles; a new set has none yet.
    Actor* e = AddEnemy("ENEMY1", Vec3{0, 0, 0});
    CreateBoxSet(&e->collider->shape, 0);
    e->collider->shape.main.halfExtent = Vec3{1, 1, 1};
    e->collider->shape.main.tag = 100;
    MakePlayer(Vec3{0, 0, 0});
    EXPECT_EQ(FindActorHit(&Player, Enemies, EnemyCount), e);
    EXPECT_FLOAT_EQ(e->collider->shape.main.axisX.x, 1.0f);
    e->rotation = Vec3{0, 90.0f, 0};
    FindActorHit(&Player, Enemies, EnemyCount);
    EXPECT_NEAR(e->collider->shape.main.axisX.z, -1.0f, 1e-6f);
    e->rotation = Vec3{0, 0, 0};
    FindActorHit(&Player, Enemies, EnemyCount);
    EXPECT_FLOAT_EQ(e->collider->shape.main.axisX.x, 1.0f);
    EXPECT_NEAR(e->collider->shape.main.axisX.z, 0.0f, 1e-7f);
}

TEST_F(ActorOps, TargetInViewAgreesWithTheFullProjection) {
    // The view test skips building the world matrix for each point; it must
    // give exactly what projecting the origin of that matrix gives.
    const Matrix projection = MatPerspectiveFovLH(0.17453292f, 800.0f / 600.0f, 1.0f, 1000.0f);
    const Viewport vp{0, 0, 800, 600, 0.0f, 1.0f};
    SeedRandom(99);
    auto r = [](float lo, float hi) { return lo + (hi - lo) * static_cast<float>(NextRandom()) / 32767.0f; };
    int seen = 0;
    for (int i = 0; i < 4000; ++i) {
        const Actor o = Observer(Vec3{r(-50, 50), r(0, 40), r(-50, 50)}, Vec3{r(-80, 80), r(0, 360), 0});
        const Vec3 p{r(-200, 200), r(-50, 90), r(-200, 200)};
        const float yaw = o.rotation.y * kDegToRad;
        const float pitch = o.rotation.x * kDegToRad;
        const Matrix view = MakeViewMatrix(
            o.position, o.position + Vec3{std::sin(yaw), -std::sin(pitch), std::cos(yaw)});
        const Vec3 s = ProjectPoint(Vec3{0, 0, 0}, vp, projection, view,
                                    MakeWorldMatrix(Vec3{0, 0, 0}, p, Vec3{1, 1, 1}));
        const bool expected = s.x > -20.0f && s.x < 820.0f && s.y > -20.0f && s.y < 620.0f && s.z < 1.0f;
        ASSERT_EQ(TargetInView(p, o), expected) << i;
        seen += expected;
    }
    EXPECT_GT(seen, 10);  // the sample does reach into the narrow view
}

TEST_F(ActorOps, NearestTargetSkipsTheDeadAndWhatIsOutOfView) {
    const Actor shot = Observer(Vec3{0, 0, 0}, Vec3{0, 0, 0});
    AddEnemy("ENEMY1", Vec3{0, 0, -20});     // behind, nearest of all
    AddEnemy("ENEMY1", Vec3{0, 0, 50});
    AddEnemy("ENEMY1", Vec3{100, 0, 30});    // off to the side
    AddEnemy("ENEMY1", Vec3{0, 0, 10}, Vec3{0, 0, 0}, 0);  // dead
    AddEnemy("ENEMY1", Vec3{0, 0, 30});
    AddEnemy("ENEMY1", Vec3{0, 0, 30});      // tie: the lower index stays
    EXPECT_EQ(NearestTarget(shot, Enemies, EnemyCount, 1), &Enemies[4]);
    EXPECT_EQ(NearestTarget(shot, Enemies, EnemyCount, 0), &Enemies[0]);
    EXPECT_EQ(NearestTarget(shot, Enemies, 1, 1), nullptr);
    EXPECT_EQ(NearestTarget(shot, Enemies, 0, 0), nullptr);
}

TEST_F(ActorOps, UpdateEnemiesSkipsTheDeadTheStationaryAndEmptyLists) {
    Actor* dead = AddEnemy("ENEMY4", Vec3{0, 0, 0}, Vec3{0, 0, 0}, 0);
    Actor* target = AddEnemy("ENEMY1", Vec3{50, 0, 0});
    Actor* odd = AddEnemy("BLOB", Vec3{-50, 0, 0});
    UpdateEnemies(Enemies, 0);
    UpdateEnemies(Enemies, EnemyCount);
    EXPECT_EQ(dead->position.z, 0.0f);
    EXPECT_EQ(dead->state->s[1], 0.0f);
    EXPECT_EQ(target->position.x, 50.0f);
    EXPECT_EQ(odd->position.x, -50.0f);
    EXPECT_EQ(LiveShots(""), 0);
}

}  // namespace
}  // namespace gameplay_test

// The player's craft: inertial thrust, push-back against walls, turning,
// pitch limits, firing cadence, knock-back and the follow-camera angles.
#include <cmath>

#include "gameplay_fixture.h"

namespace gameplay_test {
namespace {

using PlayerFlight = GameplayTest;

TEST_F(PlayerFlight, ForwardThrustBuildsUpAndIsDampedTowardTheLimit) {
    MakePlayer(Vec3{0, 0, 0});
    Key('W', true);
    // (0 + 0.04) * 0.96 and (0.0384 + 0.04) * 0.96: thrust is added before damping.
    Frame();
    EXPECT_NEAR(PlayerVelocity.z, 0.0384f, 1e-6f);
    EXPECT_NEAR(Player.position.z, 0.0384f, 1e-6f);
    Frame();
    EXPECT_NEAR(PlayerVelocity.z, 0.075264f, 1e-6f);
    EXPECT_NEAR(Player.position.z, 0.0384f + 0.075264f, 1e-5f);
    EXPECT_EQ(PlayerVelocity.x, 0.0f);
    EXPECT_EQ(PlayerVelocity.y, 0.0f);
    // Top speed 0.04 * 0.96 / (1 - 0.96) = 0.96 per frame.
    Frames(400);
    EXPECT_NEAR(PlayerVelocity.z, 0.96f, 1e-4f);
    // Let go: the velocity decays by 0.96 per frame.
    Key('W', false);
    const float before = PlayerVelocity.z;
    Frame();
    EXPECT_NEAR(PlayerVelocity.z, before * 0.96f, 1e-6f);
}

TEST_F(PlayerFlight, ClimbIsAddedAfterDampingAndTendsToHalfAUnit) {
    MakePlayer(Vec3{0, 0, 0});
    Key(VK_SPACE, true);
    Frame();
    EXPECT_FLOAT_EQ(Player.position.y, 0.02f);  // the first frame moves exactly 0.02
    Frame();
    EXPECT_NEAR(PlayerVelocity.y, 0.02f * 0.96f + 0.02f, 1e-7f);
    Frames(400);
    EXPECT_NEAR(PlayerVelocity.y, 0.5f, 1e-4f);  // 0.02 / (1 - 0.96)
    Key(VK_SPACE, false);
    Key(VK_SHIFT, true);
    Frames(600);
    EXPECT_NEAR(PlayerVelocity.y, -0.5f, 1e-4f);
}

TEST_F(PlayerFlight, ThrustFollowsTheYawOnly) {
    // Yaw 90 faces +x; a pitched nose does not tilt the thrust.
    MakePlayer(Vec3{0, 0, 0}, Vec3{45.0f, 90.0f, 0.0f});
    Key('W', true);
    Frame();
    EXPECT_NEAR(PlayerVelocity.x, 0.0384f, 1e-6f);
    EXPECT_NEAR(PlayerVelocity.y, 0.0f, 1e-6f);
    EXPECT_NEAR(PlayerVelocity.z, 0.0f, 1e-6f);
    Key('W', false);
    MakePlayer(Vec3{0, 0, 0});
    PlayerVelocity = Vec3{0, 0, 0};
    Key(VK_RIGHT, true);
    Frame();
    EXPECT_NEAR(PlayerVelocity.x, 0.0288f, 1e-6f);  // 0.03 * 0.96 to the right
    Key(VK_RIGHT, false);
    Key('A', true);
    Key('D', true);  // both: they cancel
    PlayerVelocity = Vec3{0, 0, 0};
    Frame();
    EXPECT_NEAR(PlayerVelocity.x, 0.0f, 1e-7f);
}

TEST_F(PlayerFlight, BlockedAxisIsPushedBackWhileTheOthersSlide) {
    // Wall whose face is at x = 3; the player's box reaches 1 to each side.
    MakePlayer(Vec3{1.5f, 0, 0});
    AddBlock(Vec3{8.0f, 0.0f, 0.0f}, Vec3{5.0f, 5.0f, 50.0f});
    const Vec3 start = Player.position;
    MovePlayer(&Player, Vec3{1.0f, 0.0f, 0.5f});
    // x overlapped and was undone by 1.001 of the step; z moved freely.
    EXPECT_NEAR(Player.position.x, start.x - 0.001f, 1e-6f);
    EXPECT_NEAR(Player.position.z, start.z + 0.5f, 1e-6f);

    // Through the frame update: the velocity is not changed by the collision,
    // so the craft keeps pressing into the wall while it slides along it.
    PlayerVelocity = Vec3{1.0f, 0.0f, 1.0f};
    const Vec3 before = Player.position;
    Frame();
    EXPECT_NEAR(PlayerVelocity.x, 0.96f, 1e-6f);
    EXPECT_NEAR(Player.position.x, before.x - 0.96f * 0.001f, 1e-5f);
    EXPECT_NEAR(Player.position.z, before.z + 0.96f, 1e-5f);
}

TEST_F(PlayerFlight, StageBoundsStopTheCraftAndFloorRaisesTheLowerBound) {
    // The lower bound is raised by the box's half height (0.5).
    Settings.boundsMin = Vec3{-10.0f, 0.0f, -10.0f};
    Settings.boundsMax = Vec3{10.0f, 20.0f, 10.0f};
    MakePlayer(Vec3{0.0f, 0.6f, 0.0f});
    Key(VK_SHIFT, true);
    Frames(30);
    EXPECT_GE(Player.position.y, 0.5f);
    EXPECT_LT(Player.position.y, 0.6f);
    // The upper bound is used as it stands.
    Key(VK_SHIFT, false);
    MakePlayer(Vec3{0.0f, 19.9f, 9.95f});
    PlayerVelocity = Vec3{0.0f, 0.2f, 0.2f};
    Frame();
    EXPECT_LE(Player.position.y, 20.0f);
    EXPECT_LE(Player.position.z, 10.0f);
}

TEST_F(PlayerFlight, TurningIntoAnObstacleIsUndonePerAxis) {
    // A long craft (half length 3) beside a wall: turning 45 degrees would
    // swing its nose into the wall; pitching 2 degrees does not.
    MakePlayer(Vec3{0, 0, 0}, Vec3{0, 0, 0}, 100, Vec3{1.0f, 0.5f, 3.0f}, 4.0f);
    AddBlock(Vec3{7.0f, 0.0f, 0.0f}, Vec3{4.5f, 5.0f, 20.0f});
    MouseMove(18 * 45, 36);
    Frame();
    EXPECT_FLOAT_EQ(Player.rotation.y, 0.0f);
    EXPECT_FLOAT_EQ(Player.rotation.x, 2.0f);
    // Without the wall the same turn goes through.
    StageObjectCount = 0;
    MouseMove(-18 * 45, 0);
    Frame();
    EXPECT_FLOAT_EQ(Player.rotation.y, 315.0f);
}

TEST_F(PlayerFlight, PitchIsHeldWithinEightyDegreesEitherWay) {
    MakePlayer(Vec3{0, 0, 0}, Vec3{79.0f, 0, 0});
    MouseMove(0, 36);  // 2 degrees nose-down: 81 becomes 80
    Frame();
    EXPECT_FLOAT_EQ(Player.rotation.x, 80.0f);
    MouseMove(0, 18 * 100);  // far past the limit in one go
    Frame();
    EXPECT_FLOAT_EQ(Player.rotation.x, 80.0f);

    MakePlayer(Vec3{0, 0, 0}, Vec3{281.0f, 0, 0});
    MouseMove(0, -36);  // 279 is past the nose-up limit
    Frame();
    EXPECT_FLOAT_EQ(Player.rotation.x, 280.0f);

    MakePlayer(Vec3{0, 0, 0}, Vec3{1.0f, 0, 0});
    MouseMove(0, -36);  // level to slightly nose-up wraps to 359
    Frame();
    EXPECT_FLOAT_EQ(Player.rotation.x, 359.0f);
    MouseMove(18 * 20, 0);  // yaw right by 20 from 0
    Frame();
    EXPECT_FLOAT_EQ(Player.rotation.y, 20.0f);
}

// Frames (1-based) on which a shot of the tag appeared, over n frames.
std::vector<int> FiringFrames(const char* tag, int ttl, int n) {
    std::vector<int> frames;
    for (int f = 1; f <= n; ++f) {
        PlayUpdate();
        for (int k = 0; k < GameplayTest::FreshShots(tag, ttl); ++k) frames.push_back(f);
    }
    return frames;
}

TEST_F(PlayerFlight, NormalShotsEverySevenFramesStarsEveryFourteen) {
    MakePlayer(Vec3{0, 0, 0});
    MouseHold(0, true);
    EXPECT_EQ(FiringFrames("NORMAL", 180, 30), (std::vector<int>{1, 8, 15, 22, 29}));
    MouseHold(0, false);
    Frames(20);
    ClearPools();
    FireCooldown = 0;

    MouseHold(1, true);
    EXPECT_EQ(FiringFrames("STAR", 260, 30), (std::vector<int>{1, 15, 29}));
    MouseHold(1, false);
    Frames(20);
    ClearPools();
    FireCooldown = 0;

    // Both held: both fire together, every 14 frames.
    MouseHold(0, true);
    MouseHold(1, true);
    for (int f = 1; f <= 30; ++f) {
        Frame();
        const bool due = f == 1 || f == 15 || f == 29;
        EXPECT_EQ(FreshShots("NORMAL", 180), due ? 1 : 0) << "frame " << f;
        EXPECT_EQ(FreshShots("STAR", 260), due ? 1 : 0) << "frame " << f;
        if (f == 1) {
            EXPECT_EQ(FireCooldown, 13);
        }
    }
}

TEST_F(PlayerFlight, CooldownAfterEachShotAndAFullPoolStillCountsDown) {
    MakePlayer(Vec3{0, 0, 0});
    MouseHold(0, true);
    Frame();
    EXPECT_EQ(FireCooldown, 6);
    MouseHold(0, false);
    Frames(10);
    ClearPools();
    // Fill the pool with shots that never move or expire.
    for (int i = 0; i < kShotSlots; ++i) {
        ASSERT_EQ(SpawnShot(Vec3{0, 900, 0}, Vec3{0, 0, 0}, "NORMAL", 0.0f, 1000000), 1);
    }
    MouseHold(1, true);
    Frame();
    EXPECT_EQ(FireCooldown, 13);  // the STAR was dropped but the cool-down runs
    EXPECT_EQ(LiveShots("STAR"), 0);
}

TEST_F(PlayerFlight, KnockbackStunsForTwentyNineFramesAlongTheRammersHeading) {
    MakePlayer(Vec3{0, 0, 0}, Vec3{0, 30.0f, 0});
    Player.state->s[0] = 4.0f;
    Player.state->s[2] = 90.0f;  // rammed by something heading +x
    FireCooldown = 5;
    MouseHold(0, true);
    Key('W', true);
    int stunned = 0;
    while (Player.state->s[0] > 0.0f && stunned < 100) {
        MouseMove(180, 90);  // read and thrown away
        Frame();
        ++stunned;
    }
    EXPECT_EQ(stunned, 29);  // 4 * 0.9^29 is the first value at or below 0.2
    EXPECT_GT(Player.position.x, 20.0f);
    EXPECT_NEAR(Player.position.z, 0.0f, 1e-4f);
    EXPECT_FLOAT_EQ(Player.rotation.y, 30.0f);
    EXPECT_FLOAT_EQ(Player.rotation.x, 0.0f);
    EXPECT_EQ(FireCooldown, 5);  // frozen while stunned
    EXPECT_EQ(LiveShots("NORMAL"), 0);
    EXPECT_EQ(PlayerVelocity.z, 0.0f);
    // Free again: the motion made during the stun is gone, not applied now.
    Frame();
    EXPECT_FLOAT_EQ(Player.rotation.y, 30.0f);
    EXPECT_EQ(FireCooldown, 4);
}

TEST_F(PlayerFlight, StageSetupSceneOnlyClearsVelocityAndCooldown) {
    MakePlayer(Vec3{1, 2, 3});
    PlayerVelocity = Vec3{0.5f, 0.5f, 0.5f};
    FireCooldown = 9;
    Key('W', true);
    MouseHold(0, true);
    int scene = SceneStageLoad;
    UpdatePlayer(&Player, &scene);
    EXPECT_EQ(PlayerVelocity.x, 0.0f);
    EXPECT_EQ(PlayerVelocity.z, 0.0f);
    EXPECT_EQ(FireCooldown, 0);
    EXPECT_FLOAT_EQ(Player.position.z, 3.0f);
    EXPECT_EQ(LiveShots("NORMAL"), 0);
}

TEST(FollowAnglesTest, ChaseAFifthOfTheShorterArcAndSnap) {
    ResetFollowAngles();
    // From 0 toward yaw 350: the short way is down through 360.
    Vec3 target{30.0f, 350.0f, 45.0f};
    Vec3 a = FollowAngles(&target);
    EXPECT_FLOAT_EQ(a.y, 358.0f);
    EXPECT_FLOAT_EQ(a.x, 6.0f);
    EXPECT_EQ(a.z, 0.0f);  // roll is never followed
    for (int i = 0; i < 60; ++i) a = FollowAngles(&target);
    EXPECT_EQ(a.y, 350.0f);  // snapped once within 0.1 degree
    EXPECT_EQ(a.x, 30.0f);
    // Without a target the angles stay put.
    Vec3 other{0.0f, 10.0f, 0.0f};
    a = FollowAngles(nullptr);
    EXPECT_EQ(a.y, 350.0f);
    // From 350 toward 10: up through 360 and wrapped to just above 0.
    a = FollowAngles(&other);
    EXPECT_FLOAT_EQ(a.y, 354.0f);
    for (int i = 0; i < 3; ++i) a = FollowAngles(&other);
    EXPECT_GT(a.y, 0.0f);
    EXPECT_LT(a.y, 10.0f);
    ResetFollowAngles();
    a = FollowAngles(nullptr);
    EXPECT_EQ(a.x, 0.0f);
    EXPECT_EQ(a.y, 0.0f);
}

}  // namespace
}  // namespace gameplay_test

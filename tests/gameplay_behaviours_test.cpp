// The four enemy behaviours, frame by frame through the real play update.
#include <cmath>
#include <vector>

#include "gameplay_fixture.h"

namespace gameplay_test {
namespace {

using Behaviours = GameplayTest;

std::vector<int> SpawnFrames(const char* tag, int ttl, int frames) {
    std::vector<int> out;
    for (int f = 1; f <= frames; ++f) {
        PlayUpdate();
        for (int k = 0; k < GameplayTest::FreshShots(tag, ttl); ++k) out.push_back(f);
    }
    return out;
}

const Actor* FreshShot(const char* tag, int ttl) {
    for (const Actor& s : ShotPool) {
        if (s.hitPoints == ttl - 2 && TagHas(s.name, tag)) return &s;
    }
    return nullptr;
}

TEST_F(Behaviours, GunshipClimbsHoldsAndSinksInItsCycle) {
    Actor* g = AddEnemy("ENEMY2", Vec3{0, 10, 0});
    const float y0 = g->position.y;
    // 0.04 per frame (0.2 scaled by 0.2) for the first 240 frames: 9.6 up.
    Frames(240);
    EXPECT_NEAR(g->position.y - y0, 9.6f, 1e-3f);
    Frames(361);  // held until frame 601
    EXPECT_NEAR(g->position.y - y0, 9.6f, 1e-3f);
    EXPECT_EQ(g->state->s[0], 1.0f);
    Frame();  // frame 602 starts the sinking half
    EXPECT_NEAR(g->position.y - y0, 9.56f, 1e-3f);
    Frames(239);
    EXPECT_NEAR(g->position.y - y0, 0.0f, 1e-3f);
    Frames(100);
    EXPECT_NEAR(g->position.y - y0, 0.0f, 1e-3f);
    // Circling right at 0.2 degrees per frame.
    EXPECT_NEAR(g->rotation.y, std::fmod(941 * 0.2f, 360.0f), 0.05f);
}

TEST_F(Behaviours, GunshipFiresEveryEightFrames) {
    AddEnemy("ENEMY2", Vec3{0, 10, 0});
    MakePlayer(Vec3{0, 30, 200});
    EXPECT_EQ(SpawnFrames("ENEMY2", 240, 20), (std::vector<int>{1, 9, 17}));
}

TEST_F(Behaviours, TorpedoOnlyForAPlayerWellBelow) {
    // 3 below: the bullet is fired level and a torpedo drops.
    Actor* g = AddEnemy("ENEMY2", Vec3{0, 10, 0});
    MakePlayer(Vec3{0, 7, 30});
    Frame();
    const Actor* bullet = FreshShot("ENEMY2", 240);
    ASSERT_NE(bullet, nullptr);
    EXPECT_EQ(bullet->rotation.x, 0.0f);
    EXPECT_EQ(FreshShots("TORP", 560), 1);
    EXPECT_EQ(g->state->s[3], 21.0f);
    const Actor* torp = FreshShot("TORP", 560);
    ASSERT_NE(torp, nullptr);
    EXPECT_LT(torp->position.y, 7.0f);  // dropped from 3.1 under the hull
    // At most every 22 frames while the player stays below.
    ClearPools();
    g->state->s[3] = 0.0f;
    EXPECT_EQ(SpawnFrames("TORP", 560, 50), (std::vector<int>{1, 23, 45}));

    // 2 below: the bullet aims down at the player and no torpedo comes; the
    // cool-down keeps falling below 0.
    ClearPools();
    g->position = Vec3{0, 10, 0};
    g->state->s[2] = 0.0f;
    g->state->s[3] = 0.0f;
    MakePlayer(Vec3{0, 8, 30});
    Frame();
    bullet = FreshShot("ENEMY2", 240);
    ASSERT_NE(bullet, nullptr);
    EXPECT_GT(bullet->rotation.x, 0.5f);
    EXPECT_LT(bullet->rotation.x, 10.0f);
    Frames(4);
    EXPECT_EQ(LiveShots("TORP"), 0);
    EXPECT_EQ(g->state->s[3], -5.0f);
}

TEST_F(Behaviours, ChargerBeamsOnFrame218AndBlinksFrom167) {
    Actor* c = AddEnemy("ENEMY3", Vec3{0, 10, 0});
    MakePlayer(Vec3{0, 10, -600});
    int firstBeam = 0;
    int firstBlink = 0;
    for (int f = 1; f <= 218; ++f) {
        Frame();
        if (firstBeam == 0 && FreshShots("ENEMY3", 360) > 0) firstBeam = f;
        if (firstBlink == 0 && c->state->s[3] == 1.0f) firstBlink = f;
        if (f == 120) {
            // Drifting along heading 0 until the first new heading on frame 121.
            EXPECT_NEAR(c->position.z, 12.0f, 1e-3f);
            EXPECT_NEAR(c->position.x, 0.0f, 1e-5f);
        }
        if (f == 168) {
            EXPECT_EQ(c->state->s[3], 0.0f);  // every other frame
        }
        if (f == 169) {
            EXPECT_EQ(c->state->s[3], 1.0f);
        }
    }
    EXPECT_EQ(firstBeam, 218);
    EXPECT_EQ(firstBlink, 167);
    EXPECT_EQ(c->state->s[2], 0.0f);
    EXPECT_EQ(c->state->s[3], 0.0f);
    EXPECT_NEAR(c->rotation.y, 180.0f, 1.5f);  // it always faces the player
}

TEST_F(Behaviours, TankLegsAreTwoHundredThenTwoHundredAndOneFrames) {
    Actor* t = AddEnemy("ENEMY4", Vec3{0, 0, 0});
    MakePlayer(Vec3{0, 0, -800});
    Frames(200);
    EXPECT_EQ(t->rotation.y, 0.0f);
    EXPECT_NEAR(t->position.z, 60.0f, 1e-3f);
    Frame();  // frame 201: the turn starts at once
    EXPECT_FLOAT_EQ(t->rotation.y, 0.4f);
    Frames(200);  // to frame 401
    EXPECT_NEAR(t->rotation.y, 80.4f, 1e-3f);
    Frame();  // frame 402: straight again
    EXPECT_NEAR(t->rotation.y, 80.4f, 1e-3f);
    Frames(200);  // to frame 602
    EXPECT_NEAR(t->rotation.y, 80.4f, 1e-3f);
    Frame();
    EXPECT_NEAR(t->rotation.y, 80.8f, 1e-3f);
}

TEST_F(Behaviours, TankTurretTracksOneDegreePerFrameAndFiresEveryTwelve) {
    Actor* t = AddEnemy("ENEMY4", Vec3{0, 0, 0});
    MakePlayer(Vec3{300, 40, 0});  // to the right and above
    EXPECT_EQ(SpawnFrames("ENEMY4", 200, 30), (std::vector<int>{1, 13, 25}));
    EXPECT_NEAR(t->state->s[3], 30.0f, 1e-3f);
    EXPECT_EQ(t->state->s[2], 0.0f);  // level: aimed at the tank's own height
    EXPECT_EQ(t->rotation.y, 0.0f);   // the hull keeps its own course
}

TEST_F(Behaviours, RammingHurtsAndKnocksThePlayerBack) {
    Actor* t = AddEnemy("ENEMY4", Vec3{0, 0, 0}, Vec3{0, 0, 0});
    MakePlayer(Vec3{0, 0, 2.4f});
    int frames = 0;
    while (Player.hitPoints == 100 && frames < 10) {
        Frame();
        ++frames;
    }
    EXPECT_EQ(frames, 2);  // the tank's nose reaches the player on its second step
    EXPECT_EQ(Player.hitPoints, 90);
    EXPECT_EQ(Player.state->s[0], 4.0f);
    EXPECT_EQ(Player.state->s[2], t->rotation.y);
    // The charger drifts into the player without ramming; once it touches,
    // every later move ends on its first axis.
    Actor* c = AddEnemy("ENEMY3", Vec3{30, 0, -1.55f});
    MakePlayer(Vec3{30, 0, 0.5f});
    t->hitPoints = 0;
    Frames(5);
    EXPECT_EQ(Player.hitPoints, 100);
    EXPECT_NEAR(c->position.z, -1.45f, 1e-5f);
}

TEST_F(Behaviours, AircraftTurnsBackFromABuildingInTheSameFrame) {
    Actor* a = AddEnemy("ENEMY5", Vec3{0, 10, 0});
    MakePlayer(Vec3{0, 10, 300});
    AddBlock(Vec3{0, 10, 12}, Vec3{5, 5, 1});
    int bounced = 0;
    for (int f = 1; f <= 40 && bounced == 0; ++f) {
        const Vec3 before = a->position;
        Frame();
        if (std::fabs(a->rotation.y - 180.0f) < 1.0f) {
            bounced = f;
            // Blocked (z back by 1.001 of 0.6), then 1.2 away along the new heading.
            EXPECT_NEAR(a->position.z, before.z - 0.0006f - 1.2f, 1e-4f);
            EXPECT_EQ(a->state->s[9], 0.0f);
        }
    }
    EXPECT_EQ(bounced, 17);  // the 17th step of 0.6 would put its nose (z + 1) past 11
}

TEST_F(Behaviours, AircraftKeepsAboveHeightFiveAndBanks) {
    Actor* a = AddEnemy("ENEMY5", Vec3{0, 20, 0});
    MakePlayer(Vec3{0, 2, 100});
    Frame();
    // Aimed at (0, 5, 100), not at the player's height of 2.
    const double expected = std::asin(15.0 / std::sqrt(15.0 * 15.0 + 100.0 * 100.0)) * 180.0 /
                            3.14159265358979323846;
    EXPECT_NEAR(a->rotation.x, expected, 1e-3);
    // Heading 60 banks to a roll of 300 (-60); heading 120 would bank past 90
    // and is folded back to 60.
    a->rotation = Vec3{0, 60.0f, 0};
    MakePlayer(Vec3{0, 20, 900});
    a->state->s[2] = 3.0f;
    UpdateChaser(a);
    EXPECT_FLOAT_EQ(a->rotation.z, 300.0f);
    a->rotation = Vec3{0, 120.0f, 0};
    UpdateChaser(a);
    EXPECT_FLOAT_EQ(a->rotation.z, 60.0f);
}

TEST_F(Behaviours, AircraftSalvosComeInPairsEverySixFrames) {
    AddEnemy("ENEMY5", Vec3{0, 20, 0});
    MakePlayer(Vec3{0, 20, 600});
    Frame();
    std::vector<const Actor*> pair;
    for (const Actor& s : ShotPool) {
        if (s.hitPoints == 218 && TagHas(s.name, "ENEMY4")) pair.push_back(&s);
    }
    ASSERT_EQ(pair.size(), 2u);
    EXPECT_NEAR(Length(pair[0]->position - pair[1]->position), 2.0f, 1e-4f);  // one wing each
    EXPECT_EQ(SpawnFrames("ENEMY4", 220, 13), (std::vector<int>{6, 6, 12, 12}));
}

TEST_F(Behaviours, FullPoolDropsEveryEnemyShotButTheCooldownsRestart) {
    Actor* g = AddEnemy("ENEMY2", Vec3{0, 10, 0});
    Actor* t = AddEnemy("ENEMY4", Vec3{50, 0, 0});
    Actor* a = AddEnemy("ENEMY5", Vec3{-50, 20, 0});
    MakePlayer(Vec3{0, 0, 600});  // low enough for a torpedo
    for (int i = 0; i < kShotSlots; ++i) SpawnShot(Vec3{0, 900, 0}, Vec3{0, 0, 0}, "NORMAL", 0.0f, 1000000);
    Frame();
    EXPECT_EQ(LiveShots("NORMAL"), kShotSlots);
    EXPECT_EQ(g->state->s[2], 7.0f);
    EXPECT_EQ(g->state->s[3], 21.0f);
    EXPECT_EQ(t->state->s[5], 11.0f);
    EXPECT_EQ(a->state->s[2], 5.0f);
}

}  // namespace
}  // namespace gameplay_test

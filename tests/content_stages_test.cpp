// The six stage files, read with the game's own readers and tested with its
// own collision code: every actor starts inside the stage and clear of
// everything, every collider's sphere covers its boxes (the sphere test gates
// the box test), gunships circle inside the stage above the buildings, the
// shadow camera sits where the stage's light comes from, and the stages grow
// harder up to a stage that has every kind of enemy.
#include <gtest/gtest.h>
#include <cmath>
#include <cstring>
#include <set>
#include <string>

#include "content_test_util.h"
#include "core/actor.h"
#include "core/collision.h"
#include "core/enemy_kinds.h"
#include "formats/stage_check.h"
#include "formats/stage_files.h"
#include "game/actor_hits.h"

namespace {

struct LoadedStage {
    Actor player{};
    Collider playerCollider{};
    Actor enemies[63]{};
    Collider enemyColliders[63]{};
    int enemyCount = 0;
    StageObject objects[128]{};
    Collider objectColliders[128]{};
    int objectCount = 0;
    StageSettings settings{};
    CameraSetup camera{};

    ~LoadedStage() {
        ReleaseActor(&player, &playerCollider);
        for (int i = 0; i < enemyCount; ++i) ReleaseActor(&enemies[i], &enemyColliders[i]);
        for (int i = 0; i < objectCount; ++i) ReleaseStageObject(&objects[i], &objectColliders[i]);
    }
};

// Reads a stage the way the stage set-up does.
void LoadStage(int stage, LoadedStage* s) {
    const std::string actors = DataPath("data/bin/c" + std::to_string(stage) + ".pxd");
    const std::string map = DataPath("data/bin/m" + std::to_string(stage) + ".pxd");
    ASSERT_TRUE(ReadActorBlock(actors.c_str(), 0, &s->player, &s->playerCollider)) << actors << " missing or empty";
    while (s->enemyCount < 63 &&
           ReadActorBlock(actors.c_str(), s->enemyCount + 1, &s->enemies[s->enemyCount], &s->enemyColliders[s->enemyCount]))
        ++s->enemyCount;
    // The play scene keeps each actor's sphere on its position; the reader leaves it at the origin.
    s->playerCollider.sphereCentre = s->player.position;
    for (int i = 0; i < s->enemyCount; ++i) s->enemyColliders[i].sphereCentre = s->enemies[i].position;
    ReadStageSettings(map.c_str(), &s->settings);
    ReadCameraSetup(map.c_str(), &s->camera);
    while (s->objectCount < 128 &&
           ReadStageObjectBlock(map.c_str(), s->objectCount, &s->objects[s->objectCount], &s->objectColliders[s->objectCount]))
        ++s->objectCount;
}



// Farthest corner of any box of a collider from a point.
float FarthestCorner(const BoxSet& set, Vec3 from) {
    float best = 0;
    auto box = [&](const CollisionBox& b) {
        for (int i = 0; i < 8; ++i) {
            float sx = (i & 1) ? 1 : -1, sy = (i & 2) ? 1 : -1, sz = (i & 4) ? 1 : -1;
            Vec3 c = b.centre;
            const Vec3* ax[3] = {&b.axisX, &b.axisY, &b.axisZ};
            const float s[3] = {sx * b.halfExtent.x, sy * b.halfExtent.y, sz * b.halfExtent.z};
            for (int k = 0; k < 3; ++k) c = {c.x + ax[k]->x * s[k], c.y + ax[k]->y * s[k], c.z + ax[k]->z * s[k]};
            best = std::max(best, Length(c - from));
        }
    };
    box(set.main);
    for (int p = 0; p < set.partCount; ++p) box(set.parts[p].box);
    return best;
}

class ContentStages : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override {
        REQUIRE_DATA_FILE("data/bin/c" + std::to_string(GetParam()) + ".pxd");
        LoadStage(GetParam(), &stage_);
    }
    LoadedStage stage_;
};

TEST_P(ContentStages, EveryActorStartsInsideTheStageAndClearOfEverything) {
    LoadedStage& s = stage_;
    ASSERT_TRUE(TagHas(s.player.name, "ZORBAT"));
    ASSERT_GT(s.player.hitPoints, 0);
    ASSERT_GT(s.enemyCount, 0);
    ASSERT_GT(s.objectCount, 0);
    auto check = [&](Actor* a) {
        Vec3 n = BoundsNormal(a, s.settings.boundsMax, s.settings.boundsMin);
        EXPECT_EQ(Length(n), 0.0f) << a->name << " at " << a->position.x << "," << a->position.y << ","
                                   << a->position.z << " starts outside the bounds";
        EXPECT_FALSE(AnyObjectHit(a, s.objects, s.objectCount)) << a->name << " at " << a->position.x << ","
                                                                << a->position.z << " starts inside a building";
        EXPECT_EQ(FindActorHit(a, s.enemies, s.enemyCount), nullptr) << a->name << " starts touching an enemy";
        if (a != &s.player) {
            EXPECT_EQ(FindActorHit(a, &s.player, 1), nullptr) << a->name << " starts touching the player";
        }
        EXPECT_EQ(a->scale.x, 1.0f) << a->name << ": lit models are drawn at scale 1";
    };
    check(&s.player);
    for (int i = 0; i < s.enemyCount; ++i) check(&s.enemies[i]);
}

TEST_P(ContentStages, EverySphereCoversItsBoxes) {
    // Colliders are first tested by their spheres; a box corner outside the
    // sphere could never be hit.
    LoadedStage& s = stage_;
    auto actor = [&](Actor* a) {
        UpdateBoxSet(&a->collider->shape, a);
        EXPECT_GE(a->collider->sphereRadius + 0.05f, FarthestCorner(a->collider->shape, a->position)) << a->name;
    };
    actor(&s.player);
    for (int i = 0; i < s.enemyCount; ++i) actor(&s.enemies[i]);
    for (int i = 0; i < s.objectCount; ++i)
        EXPECT_GE(s.objectColliders[i].sphereRadius + 0.05f,
                  FarthestCorner(s.objectColliders[i].shape, s.objectColliders[i].sphereCentre))
            << "object " << i;
}

TEST_P(ContentStages, GunshipsCircleInsideTheStageAboveTheBuildings) {
    // A gunship turns right 0.2 degrees a frame at 0.2 units a frame: a circle
    // of radius 0.2 / (0.2 degrees in radians) about the point to its right,
    // climbing 9.6 and sinking back. Its whole path must stay clear.
    LoadedStage& s = stage_;
    const float radius = 0.2f / (0.2f * 0.017453292f);
    for (int i = 0; i < s.enemyCount; ++i) {
        Actor& e = s.enemies[i];
        if (!TagHas(e.name, "ENEMY2")) continue;
        const Actor start = e;
        float yaw = start.rotation.y * 0.017453292f;
        Vec3 centre = {start.position.x + radius * std::cos(yaw), 0, start.position.z - radius * std::sin(yaw)};
        for (int step = 0; step < 72; ++step) {
            float a = yaw + step * 5 * 0.017453292f;
            for (float climb : {0.0f, 9.6f}) {
                e.position = {centre.x - radius * std::cos(a), start.position.y + climb, centre.z + radius * std::sin(a)};
                e.rotation.y = a / 0.017453292f;
                e.collider->sphereCentre = e.position;
                EXPECT_EQ(Length(BoundsNormal(&e, s.settings.boundsMax, s.settings.boundsMin)), 0.0f)
                    << "gunship " << i << " leaves the stage at " << e.position.x << "," << e.position.z;
                EXPECT_FALSE(AnyObjectHit(&e, s.objects, s.objectCount))
                    << "gunship " << i << " runs into a building at " << e.position.x << "," << e.position.z;
            }
        }
        e = start;
        e.collider->sphereCentre = e.position;
    }
}

TEST_P(ContentStages, LightFallsFromAboveAndTheShadowCameraLooksAlongIt) {
    // Models are lit from above (their tops are shaped to catch it), and the
    // shadow is cast from the shadow camera's eye, which sits up the light's
    // direction from the player so shadows fall where the shading says.
    LoadedStage& s = stage_;
    Vec3 light = s.settings.lightDirection;
    EXPECT_LT(light.y / Length(light), -0.5f) << "the light does not come from above";
    for (int k = 0; k < 3; ++k) {
        EXPECT_GT(s.settings.lightColour[k], 0.3f);
        EXPECT_LE(s.settings.lightColour[k], 1.0f);
    }
    Vec3 eye = s.camera.cameraOffset;
    float cosine = Dot(eye, light) / (Length(eye) * Length(light));
    EXPECT_LT(cosine, -0.99f) << "the shadow camera is not up the light's direction";
    EXPECT_EQ(Length(s.camera.cameraAngles), 0.0f);
    EXPECT_EQ(Length(s.camera.targetOffset), 0.0f);
}

INSTANTIATE_TEST_SUITE_P(Stage, ContentStages, ::testing::Values(1, 2, 3));

// The kinds of enemy in a stage and their total hit points.
struct Roster {
    std::set<std::string> kinds;
    int firing = 0;  // enemies that shoot or ram
    int hitPoints = 0;
};

Roster RosterOf(const LoadedStage& s) {
    Roster r;
    for (int i = 0; i < s.enemyCount; ++i) {
        for (const EnemyKind& k : kEnemyKinds)
            if (&k != &kPlayerCraft && TagHas(s.enemies[i].name, k.tag)) r.kinds.insert(k.tag);
        if (MovingKindOf(s.enemies[i].name) != nullptr) ++r.firing;
        r.hitPoints += s.enemies[i].hitPoints;
    }
    return r;
}

TEST(ContentStageSet, StagesGrowHarderAndTheLastHasEveryEnemyKind) {
    LoadedStage stages[3];
    for (int i = 0; i < 3; ++i) {
        REQUIRE_DATA_FILE("data/bin/c" + std::to_string(i + 1) + ".pxd");
        LoadStage(i + 1, &stages[i]);
        if (HasFatalFailure()) return;
    }
    Roster r[3] = {RosterOf(stages[0]), RosterOf(stages[1]), RosterOf(stages[2])};
    EXPECT_EQ(r[2].kinds.size(), size_t(kEnemyKindCount - 1)) << "stage 3 lacks a kind of enemy";
    for (int i = 0; i < 2; ++i) {
        EXPECT_LT(r[i].firing, r[i + 1].firing) << "stage " << i + 2 << " has no more armed enemies than stage " << i + 1;
        EXPECT_LT(r[i].hitPoints, r[i + 1].hitPoints) << "stage " << i + 2 << " is not tougher than stage " << i + 1;
    }
    // Stage 1 eases the player in: no charger, whose beam deals 4 a step.
    EXPECT_EQ(r[0].kinds.count("ENEMY3"), 0u);
}

TEST(ContentStageSet, StagecheckHasNothingToReport) {
    std::vector<std::string> paths;
    for (const char* kind : {"c", "m"})
        for (int i = 1; i <= 3; ++i) paths.push_back(DataPath("data/bin/") + kind + std::to_string(i) + ".pxd");
    std::vector<char*> argv = {const_cast<char*>("stagecheck")};
    for (std::string& p : paths) argv.push_back(p.data());
    char* text = nullptr;
    size_t size = 0;
    std::FILE* out = open_memstream(&text, &size);
    ASSERT_NE(out, nullptr);
    int status = StageCheckMain(int(argv.size()), argv.data(), out);
    std::fclose(out);
    std::string report(text, size);
    std::free(text);
    EXPECT_EQ(status, 0) << report;
    // Every file ends with its count of findings; all must be zero.
    size_t clean = 0;
    for (size_t p = report.find("0 errors, 0 warnings"); p != std::string::npos; p = report.find("0 errors, 0 warnings", p + 1))
        ++clean;
    EXPECT_EQ(clean, paths.size()) << report;
}

}  // namespace

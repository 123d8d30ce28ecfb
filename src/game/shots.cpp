#include "game/shots.h"

#include <cstring>

#include "core/manifest.h"
#include "formats/data_dir.h"
#include "game/actor_hits.h"
#include "game/effects.h"
#include "game/enemies.h"
#include "game/stage.h"
#include "graphics/archive_texture.h"
#include "graphics/device.h"
#include "graphics/mesh.h"
#include "graphics/transform.h"
#include "platform/random_clock.h"
#include "platform/render.h"

Collider ShotKindCollider[kShotKinds];
Texture* EffectTextures[kEffectTextureCount];

namespace {

enum class Homing {
    None,
    NearestEnemyInView,  // the nearest live enemy the shot's narrow forward view sees
    Player,
};

struct ShotKindInfo {
    const char* tag;
    float radius;     // of the kind's collider sphere
    Vec3 halfExtent;  // of its box
    float lead;       // spawned 2 x speed x lead ahead of the firer (see SpawnShot)
    int damage;
    bool friendly;  // damages enemies (the player's shots) or the player
    bool pierces;   // neither stops nor ages while it touches something
    Homing homing;
    float turnStep, turnLimit;  // TurnToward's step and limit while homing
    int mesh;                   // ShotMeshes slot
    int colourOp;
    float emissive;
};

// Chosen by substring test on the shot's tag, in this order.
const ShotKindInfo kKinds[] = {
    {"NORMAL", 2.0f, {0.2f, 0.2f, 1.4f}, 1.0f, 1, true, false, Homing::None, 0.0f, 0.0f, 0, RD_TOP_SELECTARG1, 0.0f},
    {"STAR", 3.0f, {0.8f, 0.6f, 0.25f}, 1.2f, 1, true, false, Homing::NearestEnemyInView, 0.04f, 60.0f, 1,
     RD_TOP_SELECTARG2, 0.5f},
    {"ENEMY2", 3.0f, {0.4f, 0.2f, 0.6f}, 1.0f, 2, false, false, Homing::None, 0.0f, 0.0f, 2, RD_TOP_SELECTARG2, 0.5f},
    // The charger's beam.
    {"ENEMY3", 8.0f, {0.2f, 0.2f, 7.0f}, 5.0f, 4, false, true, Homing::None, 0.0f, 0.0f, 3, RD_TOP_SELECTARG1, 1.0f},
    // The tank's shells, and the aircraft's (see SpawnShot).
    {"ENEMY4", 4.0f, {0.3f, 0.3f, 1.0f}, 1.7f, 3, false, false, Homing::None, 0.0f, 0.0f, 4, RD_TOP_SELECTARG2, 0.5f},
    {"TORP", 4.0f, {0.4f, 0.4f, 2.2f}, 1.0f, 2, false, false, Homing::Player, 0.2f, 360.0f, 5, RD_TOP_MODULATE,
     0.65f},
};
static_assert(sizeof kKinds / sizeof kKinds[0] == kShotKinds, "one row per shot kind");

const char* const kEffectTextureFiles[kEffectTextureCount] = {"dreg_1.png", "burn.png",
                                                              "cannon_dreg.png"};

// Returns true when the shot is used up by what it hit.
bool Impact(Actor* shot, const ShotKindInfo& info) {
    // The charger's beam pierces: it neither stops nor ages while it touches something.
    if (info.pierces) return false;
    SpawnEffect(shot->name, shot->position, shot->rotation, 32);
    shot->hitPoints = 0;
    return true;
}

void StepShot(Actor* shot) {
    const int kind = ShotKindOf(shot->name);
    if (kind < 0) {
        shot->hitPoints = 0;  // cannot happen through SpawnShot; never leave a stray slot live
        return;
    }
    const ShotKindInfo& info = kKinds[kind];
    Collider* collider = &ShotKindCollider[kind];
    collider->owner = shot;

    if (info.homing == Homing::NearestEnemyInView) {
        Actor* target = NearestTarget(*shot, Enemies, EnemyCount, 1);
        if (target != nullptr) TurnToward(shot, target->position, info.turnStep, info.turnLimit);
    } else if (info.homing == Homing::Player) {
        TurnToward(shot, Player.position, info.turnStep, info.turnLimit);
    }

    shot->position = shot->position + HeadingOf(shot->rotation) * shot->scale.x;
    collider->sphereCentre = shot->position;

    Actor* hitEnemy = FindActorHit(shot, Enemies, EnemyCount);
    Actor* hitPlayer = FindActorHit(shot, &Player, 1);
    if (hitEnemy == nullptr && hitPlayer == nullptr) {
        if (AnyObjectHit(shot, StageObjects, StageObjectCount)) {
            Impact(shot, info);
            return;
        }
        // Only the floor and the ceiling stop a shot; the side walls do not.
        const Vec3 n = BoundsNormal(shot, Settings.boundsMax, Settings.boundsMin);
        if (n.y != 0.0f) {
            Impact(shot, info);
            return;
        }
        --shot->hitPoints;
        return;
    }
    if (info.friendly) {
        if (hitEnemy != nullptr) DamageActor(hitEnemy, info.damage);
    } else if (hitPlayer != nullptr) {
        DamageActor(&Player, info.damage);
    }
    Impact(shot, info);
}

}  // namespace

int ShotKindOf(const char* tag) {
    for (int k = 0; k < kShotKinds; ++k) {
        if (TagHas(tag, kKinds[k].tag)) return k;
    }
    return -1;
}

void ClearPools() {
    std::memset(ShotPool, 0, sizeof ShotPool);
    std::memset(EffectPool, 0, sizeof EffectPool);
}

void BuildShotColliders() {
    for (int k = 0; k < kShotKinds; ++k) {
        Collider* c = &ShotKindCollider[k];
        CreateBoxSet(&c->shape, 0);
        InitBox(&c->shape.main, 100, Vec3{0, 0, 0}, Vec3{0, 0, 0}, kKinds[k].halfExtent);
        SetSphere(c, Vec3{0, 0, 0}, kKinds[k].radius);
    }
}

void LoadShotAssets() {
    ClearPools();
    SeedRandomFromClock();
    for (int i = 0; i < kEffectTextureCount; ++i) {
        LoadTextureFromArchive(DataFile(kImageArchive).c_str(), kEffectTextureFiles[i], &EffectTextures[i]);
    }
    BuildShotColliders();
}

int SpawnShot(Vec3 position, Vec3 rotation, const char* tag, float speed, int ttl) {
    const int kind = ShotKindOf(tag);
    if (kind < 0) return 0;  // not a shot kind: nothing to fly or draw
    Actor* shot = nullptr;
    for (Actor& slot : ShotPool) {
        if (slot.hitPoints <= 0) {
            shot = &slot;
            break;
        }
    }
    if (shot == nullptr) return 0;

    CopyTag(shot->name, tag);
    shot->position = position;
    shot->rotation = rotation;
    shot->hitPoints = ttl;
    shot->scale = Vec3{speed, speed, speed};
    shot->collider = &ShotKindCollider[kind];
    shot->state = nullptr;
    float lead = kKinds[kind].lead;
    // The aircraft's shells share the tank's tag; their time-to-live of 220 gives them a lead of their own.
    if (TagHas(kKinds[kind].tag, "ENEMY4") && ttl == 220) lead = 1.2f;
    ShotKindCollider[kind].active = 1;

    // Start ahead of the firer, clear of its own collider.
    shot->position = shot->position + HeadingOf(rotation) * (2.0f * speed * lead);
    return 1;
}

void UpdateShots() {
    for (Actor& shot : ShotPool) {
        if (shot.hitPoints > 0) StepShot(&shot);
    }
}

void DrawShots(const Matrix& view, const Matrix& projection) {
    for (Actor& shot : ShotPool) {
        if (shot.hitPoints <= 0) continue;
        const int kind = ShotKindOf(shot.name);
        if (kind < 0) continue;
        SetDefaultRenderStates();
        const Matrix world = MakeWorldMatrix(shot.rotation, shot.position, Vec3{1, 1, 1});
        ApplyTransforms(TransformSet{world, view, projection});
        RdSetColorOp(kKinds[kind].colourOp);
        DrawMesh(&ShotMeshes[kKinds[kind].mesh], RD_CULL_CCW, kKinds[kind].emissive);
    }
    SetDefaultRenderStates();
}

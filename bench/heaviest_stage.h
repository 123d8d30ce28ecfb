// The heaviest play frame a stage allows, built in code: 63 enemies of the
// four firing kinds all due to fire, 128 live shots and 32 live effects,
// among 64 buildings. Saved once and restored before every measured frame.
#pragma once
#include <cmath>
#include <cstring>

#include "core/buttons.h"
#include "core/collision.h"
#include "core/random.h"
#include "core/scene_id.h"
#include "game/effects.h"
#include "game/play.h"
#include "game/player.h"
#include "game/shots.h"
#include "game/stage.h"
#include "platform/mouse.h"
#include "platform/window.h"

namespace heaviest {


inline ActorState g_states[kMaxEnemies];

struct Snapshot {
    Actor player;
    Actor enemies[kMaxEnemies];
    ActorState states[kMaxEnemies];
    Actor shots[kShotSlots];
    Effect effects[kEffectSlots];
    Vec3 velocity;
    int stageTime;
};
inline Snapshot g_snapshot;

inline void Fit(Collider* c, Actor* owner, Vec3 half, float radius) {
    CreateBoxSet(&c->shape, 0);
    InitBox(&c->shape.main, 100, owner->position, owner->rotation, half);
    c->sphereCentre = owner->position;
    c->sphereRadius = radius;
    c->owner = owner;
    c->active = 1;
    owner->collider = c;
}

inline void Save() {
    g_snapshot.player = Player;
    std::memcpy(g_snapshot.enemies, Enemies, sizeof Enemies);
    std::memcpy(g_snapshot.states, g_states, sizeof g_states);
    std::memcpy(g_snapshot.shots, ShotPool, sizeof ShotPool);
    std::memcpy(g_snapshot.effects, EffectPool, sizeof EffectPool);
    g_snapshot.velocity = PlayerVelocity;
    g_snapshot.stageTime = StageTime;
}

inline void Restore() {
    Player = g_snapshot.player;
    std::memcpy(Enemies, g_snapshot.enemies, sizeof Enemies);
    std::memcpy(g_states, g_snapshot.states, sizeof g_states);
    std::memcpy(ShotPool, g_snapshot.shots, sizeof ShotPool);
    std::memcpy(EffectPool, g_snapshot.effects, sizeof EffectPool);
    PlayerVelocity = g_snapshot.velocity;
    StageTime = g_snapshot.stageTime;
    SceneId = ScenePlay;
    UpdateActorColliders(&Player, 1);
    UpdateActorColliders(Enemies, EnemyCount);
    for (int i = 0; i < EnemyCount; ++i) Enemies[i].collider->active = 1;
}

// With ownBuildings false the loaded stage's settings and objects stay (drawing).
inline void BuildHeaviestStage(bool ownBuildings = true) {
    SeedRandom(1);
    BuildShotColliders();
    ClearPools();
    ResetInput();
    if (ownBuildings) {
        Settings = StageSettings{};
        Settings.boundsMin = Vec3{-200, 0, -200};
        Settings.boundsMax = Vec3{200, 80, 200};
        StageObjectCount = 0;
    }

    // A grid of buildings.
    for (int gx = 0; gx < 8 && ownBuildings; ++gx) {
        for (int gz = 0; gz < 8; ++gz) {
            StageObject& o = StageObjects[StageObjectCount];
            Collider& c = StageObjectColliders[StageObjectCount];
            o = StageObject{};
            std::strcpy(o.name, "BUILD");
            o.position = Vec3{-175.0f + gx * 50.0f, 10.0f, -175.0f + gz * 50.0f};
            o.scale = Vec3{1, 1, 1};
            CreateBoxSet(&c.shape, 0);
            InitBox(&c.shape.main, 100, o.position, Vec3{0, 0, 0}, Vec3{6, 10, 6});
            c.sphereCentre = o.position;
            c.sphereRadius = 13.0f;
            c.owner = nullptr;
            c.active = 1;
            o.collider = &c;
            ++StageObjectCount;
        }
    }

    Player = Actor{};
    std::strcpy(Player.name, "ZORBAT");
    Player.position = Vec3{0, 8, 0};
    Player.scale = Vec3{1, 1, 1};
    Player.hitPoints = 1000000;
    static ActorState playerState;
    Player.state = &playerState;
    Fit(&ActorColliders[0], &Player, Vec3{1.5f, 0.6f, 1.5f}, 2.5f);

    // 63 enemies of the four firing kinds, every one due to fire this frame:
    // cool-downs at 0 and the chargers fully charged. The gunships fly high
    // enough to drop torpedoes on the player.
    static const char* const kKinds[4] = {"ENEMY2", "ENEMY3", "ENEMY4", "ENEMY5"};
    EnemyCount = 63;
    for (int i = 0; i < EnemyCount; ++i) {
        Actor& a = Enemies[i];
        a = Actor{};
        std::strcpy(a.name, kKinds[i % 4]);
        const float angle = static_cast<float>(i) * 5.7f;
        const float radius = 30.0f + static_cast<float>(i % 7) * 18.0f;
        a.position = Vec3{radius * std::sin(angle), i % 4 == 0 ? 30.0f : 12.0f, radius * std::cos(angle)};
        a.rotation = Vec3{0, static_cast<float>((i * 37) % 360), 0};
        a.scale = Vec3{1, 1, 1};
        a.hitPoints = 1000000;
        a.state = &g_states[i];
        g_states[i] = ActorState{};
        if (i % 4 == 1) g_states[i].s[2] = 1.3f;
        Fit(&ActorColliders[i + 1], &a, Vec3{2, 1.5f, 2}, 3.5f);
    }

    // A full pool: the player's and the enemies' shots spread over the stage.
    static const char* const kShots[6] = {"NORMAL", "STAR", "ENEMY2", "ENEMY3", "ENEMY4", "TORP"};
    for (int i = 0; i < kShotSlots; ++i) {
        const float angle = static_cast<float>(i) * 2.3f;
        const float radius = 20.0f + static_cast<float>(i % 11) * 14.0f;
        SpawnShot(Vec3{radius * std::sin(angle), 5.0f + static_cast<float>(i % 5) * 6.0f,
                       radius * std::cos(angle)},
                  Vec3{0, static_cast<float>((i * 53) % 360), 0}, kShots[i % 6], 1.5f, 100000);
    }
    for (int i = 0; i < kEffectSlots; ++i) {
        SpawnEffect(i % 2 ? "NORMAL" : "TORP", Vec3{static_cast<float>(i), 5, 0}, Vec3{0, 0, 0}, 32);
    }
    // The player thrusts, strafes and holds both fire buttons (its shots are
    // dropped by the full pool, as every enemy's are).
    KeyState['W'] = 1;
    KeyState['D'] = 1;
    PlatformSetScripted(true);
    MouseInit();
    WindowActive = 1;
    for (int b = 0; b < 2; ++b) {
        PlatformInjectEvent(PlatformEvent{EvMouseButton, b, 0, 0, 1, 0});
        PlatformEvent ev;
        while (PlatformNextEvent(&ev)) PlatformMouseFeed(ev);
    }
    SceneId = ScenePlay;
    StageTime = 5400;
    Save();
}


inline void Finish() {
    InputRelease();
    PlatformSetScripted(false);
    ResetInput();
    ClearPools();
    // The actors point at this file's states: drop them, so that a later
    // stage load does not try to free them.
    Player = Actor{};
    for (Actor& a : Enemies) a = Actor{};
    EnemyCount = 0;
    StageObjectCount = 0;
}

}  // namespace heaviest

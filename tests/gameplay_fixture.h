// Small hand-built stages for the gameplay tests: the player, enemies and
// blocks are placed directly in the stage tables with colliders of their own,
// and frames run through the real play update.
#pragma once
#include <gtest/gtest.h>
#include <cstring>

#include "core/buttons.h"
#include "core/collision.h"
#include "core/random.h"
#include "core/scene_id.h"
#include "game/enemies.h"
#include "game/play.h"
#include "game/player.h"
#include "game/shots.h"
#include "game/stage.h"
#include "platform/mouse.h"
#include "platform/window.h"

namespace gameplay_test {

inline ActorState g_states[kMaxEnemies + 1];

inline void FitCollider(Collider* c, Actor* owner, Vec3 half, float radius) {
    CreateBoxSet(&c->shape, 0);
    InitBox(&c->shape.main, 100, owner->position, owner->rotation, half);
    c->sphereCentre = owner->position;
    c->sphereRadius = radius;
    c->owner = owner;
    c->active = 1;
    owner->collider = c;
}

class GameplayTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearPools();
        BuildShotColliders();
        std::memset(g_states, 0, sizeof g_states);
        Player = Actor{};
        EnemyCount = 0;
        StageObjectCount = 0;
        Settings = StageSettings{};
        Settings.boundsMin = Vec3{-1000.0f, -1000.0f, -1000.0f};
        Settings.boundsMax = Vec3{1000.0f, 1000.0f, 1000.0f};
        PlayerVelocity = Vec3{0, 0, 0};
        FireCooldown = 0;
        ResetFollowAngles();
        SceneId = ScenePlay;
        StageTime = 5400;
        EndReason = -1;
        MaxLife = 100;
        ResetInput();
        PlatformSetScripted(true);
        MouseInit();
        WindowActive = 1;
        SeedRandom(1);
        // A player far away unless a test places it.
        MakePlayer(Vec3{0.0f, 500.0f, 900.0f});
    }
    void TearDown() override {
        InputRelease();
        PlatformSetScripted(false);
    }

    Actor* MakePlayer(Vec3 position, Vec3 rotation = Vec3{0, 0, 0}, int hp = 100,
                      Vec3 half = Vec3{1.0f, 0.5f, 1.0f}, float radius = 2.0f) {
        Player = Actor{};
        std::strcpy(Player.name, "ZORBAT");
        Player.position = position;
        Player.rotation = rotation;
        Player.scale = Vec3{1, 1, 1};
        Player.hitPoints = hp;
        Player.state = &g_states[0];
        std::memset(Player.state, 0, sizeof(ActorState));
        FitCollider(&ActorColliders[0], &Player, half, radius);
        return &Player;
    }

    Actor* AddEnemy(const char* tag, Vec3 position, Vec3 rotation = Vec3{0, 0, 0}, int hp = 10,
                    Vec3 half = Vec3{1.0f, 1.0f, 1.0f}, float radius = 2.0f) {
        Actor* a = &Enemies[EnemyCount];
        *a = Actor{};
        std::strncpy(a->name, tag, 7);
        a->position = position;
        a->rotation = rotation;
        a->scale = Vec3{1, 1, 1};
        a->hitPoints = hp;
        a->state = &g_states[EnemyCount + 1];
        FitCollider(&ActorColliders[EnemyCount + 1], a, half, radius);
        ++EnemyCount;
        return a;
    }

    // An axis-aligned block that only collides (tag "WALL").
    StageObject* AddBlock(Vec3 centre, Vec3 half) {
        StageObject* o = &StageObjects[StageObjectCount];
        Collider* c = &StageObjectColliders[StageObjectCount];
        *o = StageObject{};
        std::strcpy(o->name, "WALL");
        o->position = centre;
        o->scale = Vec3{1, 1, 1};
        CreateBoxSet(&c->shape, 0);
        InitBox(&c->shape.main, 100, centre, Vec3{0, 0, 0}, half);
        c->sphereCentre = centre;
        c->sphereRadius = Length(half);
        c->owner = nullptr;
        c->active = 1;
        o->collider = c;
        ++StageObjectCount;
        return o;
    }

public:
    static void Key(int vk, bool down) { KeyState[vk] = down ? 1 : 0; }

    static void Deliver(const PlatformEvent& ev) {
        PlatformInjectEvent(ev);
        PlatformEvent out;
        while (PlatformNextEvent(&out)) PlatformMouseFeed(out);
    }
    static void MouseMove(int dx, int dy) { Deliver(PlatformEvent{EvMouseMotion, 0, dx, dy, 0, 0}); }
    static void MouseHold(int button, bool down) {
        Deliver(PlatformEvent{EvMouseButton, button, 0, 0, down ? 1 : 0, 0});
    }

    // One frame of play without the drawing.
    static void Frame() { PlayUpdate(); }
    static void Frames(int n) {
        for (int i = 0; i < n; ++i) PlayUpdate();
    }

    static int LiveShots(const char* tag) {
        int n = 0;
        for (const Actor& s : ShotPool) {
            if (s.hitPoints > 0 && TagHas(s.name, tag)) ++n;
        }
        return n;
    }
    // Shots spawned during the frame just run: still at their time-to-live
    // less the frame's two steps.
    static int FreshShots(const char* tag, int ttl) {
        int n = 0;
        for (const Actor& s : ShotPool) {
            if (s.hitPoints == ttl - 2 && TagHas(s.name, tag)) ++n;
        }
        return n;
    }
    static int LiveEffects() {
        int n = 0;
        for (const Effect& e : EffectPool) {
            if (e.frames > 0) ++n;
        }
        return n;
    }
};

}  // namespace gameplay_test

// The enemy behaviours. Every timer and charge lives in the enemy's
// ActorState (named in game/actor_state.h); all of it starts at 0 with the stage.
#include "core/manifest.h"
#include "core/random.h"
#include "game/actor_state.h"
#include "game/enemies.h"
#include "game/shots.h"
#include "game/stage.h"
#include "graphics/transform.h"
#include "sound/sound.h"

namespace {

Vec3 RotY(float degrees, Vec3 v) { return TransformCoord(v, MatRotationY(degrees * kDegToRad)); }

Vec3 RotYPR(float yaw, float pitch, float roll, Vec3 v) {
    return TransformCoord(v, MatRotationYawPitchRoll(yaw * kDegToRad, pitch * kDegToRad,
                                                     roll * kDegToRad));
}

}  // namespace

// A gunship circling at 0.2 per frame, rising and sinking in a 601-frame
// cycle, with a bullet gun and torpedoes for a player flying below it.
void UpdateGunship(Actor* actor) {
    ActorState* st = actor->state;
    if (st == nullptr) return;
    float& sinking = GunshipSinking(st);
    float& climb = GunshipClimb(st);
    float& gun = GunshipGunCooldown(st);
    float& torpedo = GunshipTorpedoCooldown(st);
    Vec3& rot = actor->rotation;
    Vec3 v{0.0f, 0.0f, 0.0f};

    // Altitude: rising, then sinking, with the counter running 0..600 and back.
    const int phase = static_cast<int>(sinking);
    if (phase == 0) {
        if (climb < 240.0f) v.y = 0.2f;
        if (climb < 600.0f) {
            climb += 1.0f;
        } else {
            sinking = 1.0f;
        }
    } else if (phase == 1) {
        if (climb > 360.0f) v.y = -0.2f;
        if (climb > 0.0f) {
            climb -= 1.0f;
        } else {
            sinking = 0.0f;
        }
    }

    rot.y += 0.2f;
    const Vec3 f = RotY(rot.y, Vec3{0.0f, 0.0f, 1.0f});
    v = (v + f) * 0.2f;
    WrapAngles(&rot);

    // Gun: aimed from a copy, so the ship's own heading is not disturbed. A
    // player well below gets a level shot instead.
    if (gun <= 0.0f) {
        Actor aim = *actor;
        Vec3 point = Player.position;
        if (Player.position.y - actor->position.y + 2.5f < 0.0f) {
            point.y = 0.0f;
            aim.position.y = 0.0f;
        }
        TurnToward(&aim, point, 80.0f, 240.0f);
        SpawnShot(actor->position + Vec3{0.0f, 2.5f, 0.0f}, aim.rotation, "ENEMY2", 1.8f, 240);
        gun = 7.0f;
    } else {
        gun -= 1.0f;
    }

    if (MoveActor(actor, v) != nullptr) RamPlayer(*actor);

    // Torpedo, only at a player more than 2.8 below; the cool-down keeps
    // falling below 0 while there is nobody to drop on.
    if (torpedo > 0.0f) {
        torpedo -= 1.0f;
    } else {
        Actor aim = *actor;
        if (Player.position.y < aim.position.y - 2.8f) {
            TurnToward(&aim, Player.position, 360.0f, 360.0f);
            SpawnShot(actor->position - Vec3{0.0f, 3.1f, 0.0f}, aim.rotation, "TORP", 0.45f, 560);
            torpedo = 21.0f;
            PlaySound(SndTorp, 1);
        } else {
            torpedo -= 1.0f;
        }
    }
}

// A slow wanderer that always faces the player and fires a piercing beam
// each time its charge is full.
void UpdateCharger(Actor* actor) {
    ActorState* st = actor->state;
    if (st == nullptr) return;
    float& wander = ChargerWanderTime(st);
    float& heading = ChargerWanderYaw(st);
    float& charge = ChargerCharge(st);
    float& hidden = ChargerGlowHidden(st);

    if (wander < 120.0f) {
        wander += 1.0f;
    } else {
        heading = static_cast<float>(RandomRange(360, 0));
        wander = 0.0f;
    }

    if (charge < 1.3f) {
        charge += 0.006f;
    } else {
        SpawnShot(actor->position, actor->rotation, "ENEMY3", 3.2f, 360);
        charge = 0.0f;
    }

    // Nearly charged: the glow blinks (it is skipped while hidden is 1).
    if (charge > 1.0f) {
        hidden = static_cast<int>(hidden) == 0 ? 1.0f : 0.0f;
    } else {
        hidden = 0.0f;
    }

    const Vec3 f = RotY(heading, Vec3{0.0f, 0.0f, 1.0f});
    MoveActor(actor, f * 0.1f);  // a charger never rams
    // Faces the player only after firing, so the beam leaves along last frame's facing.
    TurnToward(actor, Player.position, 360.0f, 360.0f);
    WrapAngles(&actor->rotation);
}

// A tank alternating straight and turning legs, with a turret that tracks
// the player at 1 degree per frame.
void UpdateTank(Actor* actor) {
    ActorState* st = actor->state;
    if (st == nullptr) return;
    float& turning = TankTurning(st);
    float& leg = TankLegTime(st);
    float& gun = TankGunCooldown(st);
    Vec3& rot = actor->rotation;

    if (leg < 40.0f) {
        leg += 0.2f;
    } else {
        turning = turning == 1.0f ? 0.0f : 1.0f;
        leg = 0.0f;
    }
    if (turning == 1.0f) rot.y += 0.4f;

    const Vec3 f = RotY(rot.y, Vec3{0.0f, 0.0f, 1.0f});
    if (MoveActor(actor, f * 0.3f) != nullptr) RamPlayer(*actor);
    WrapAngles(&rot);

    // The aim point sits at the tank's height so the turret stays level.
    Actor turret = *actor;
    turret.rotation = TankTurretAngles(st);
    TurnToward(&turret, Vec3{Player.position.x, actor->position.y, Player.position.z}, 1.0f, 360.0f);
    SetTankTurretAngles(st, turret.rotation);

    if (gun > 0.0f) {
        gun -= 1.0f;
    } else {
        SpawnShot(actor->position + Vec3{0.0f, 1.3f, 0.0f}, TankTurretAngles(st), "ENEMY4", 1.8f, 200);
        gun = 11.0f;
    }
}

// An aircraft that chases the player, banks into its turns, turns back from
// whatever it hits and fires from both wings.
void UpdateChaser(Actor* actor) {
    ActorState* st = actor->state;
    if (st == nullptr) return;
    float& gun = ChaserGunCooldown(st);
    float& blocked = MoveWasBlocked(st);
    Vec3& rot = actor->rotation;

    rot.z = -rot.y;
    WrapAngles(&rot);
    if (rot.z > 90.0f && rot.z < 270.0f) {
        if (rot.z < 180.0f) {
            rot.z += 180.0f;
        } else {
            rot.z -= 180.0f;
        }
    }

    // Never dives below height 5 after a low-flying player.
    Vec3 aim = Player.position;
    if (aim.y < 5.0f) aim.y = 5.0f;
    TurnToward(actor, aim, 0.4f, 360.0f);

    Vec3 f = RotYPR(rot.y, rot.x, 0.0f, Vec3{0.0f, 0.0f, 1.0f});
    if (MoveActor(actor, f * 0.6f) != nullptr) {
        RamPlayer(*actor);
        blocked = -1.0f;
    }
    if (blocked == -1.0f) {
        rot.y += 180.0f;
        f = RotYPR(rot.y, rot.x, 0.0f, Vec3{0.0f, 0.0f, 1.0f});
        MoveActor(actor, f * 1.2f);
        blocked = 0.0f;
    }

    if (gun > 0.0f) {
        gun -= 1.0f;
    } else {
        const Vec3 side = RotYPR(rot.y, rot.x, rot.z, Vec3{1.0f, 0.0f, 0.0f});
        // Tagged like the tank's shells; the time-to-live of 220 tells them apart.
        SpawnShot(actor->position + side, rot, "ENEMY4", 1.9f, 220);
        SpawnShot(actor->position - side, rot, "ENEMY4", 1.9f, 220);
        gun = 5.0f;
    }
    WrapAngles(&rot);
}

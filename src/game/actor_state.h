// What each kind keeps in the ten floats of its ActorState, by name. The
// record itself stays ten plain floats (the state dump writes them in slot
// order), all 0 when a stage starts.
#pragma once
#include "core/actor.h"

// Any actor with a state: a move that was blocked sets slot 9 to -1 (the
// aircraft turns back on it and clears it).
inline float& MoveWasBlocked(ActorState* st) { return st->s[9]; }

// The player's craft: a ram's knock-back speed (slot 0; 0 when none) and the
// rammer's angles (slots 1..3), whose yaw is the direction of the push.
inline float& KnockbackSpeed(ActorState* st) { return st->s[0]; }
inline float& KnockbackPitch(ActorState* st) { return st->s[1]; }
inline float& KnockbackYaw(ActorState* st) { return st->s[2]; }
inline float& KnockbackRoll(ActorState* st) { return st->s[3]; }

// Gunship.
inline float& GunshipSinking(ActorState* st) { return st->s[0]; }  // 0 rising, 1 sinking
inline float& GunshipClimb(ActorState* st) { return st->s[1]; }    // 0..600 and back
inline float& GunshipGunCooldown(ActorState* st) { return st->s[2]; }
inline float& GunshipTorpedoCooldown(ActorState* st) { return st->s[3]; }

// Charger.
inline float& ChargerWanderTime(ActorState* st) { return st->s[0]; }  // frames on this heading, 0..120
inline float& ChargerWanderYaw(ActorState* st) { return st->s[1]; }   // the heading it wanders along
inline float& ChargerCharge(ActorState* st) { return st->s[2]; }      // 0..1.3; the glow's alpha
inline float& ChargerGlowHidden(ActorState* st) { return st->s[3]; }  // 1 on the frames the glow blinks off

// Tank.
inline float& TankTurning(ActorState* st) { return st->s[0]; }  // 1 on a turning leg
inline float& TankLegTime(ActorState* st) { return st->s[1]; }  // 0..40 in steps of 0.2
inline Vec3 TankTurretAngles(const ActorState* st) { return Vec3{st->s[2], st->s[3], st->s[4]}; }
inline void SetTankTurretAngles(ActorState* st, Vec3 angles) {
    st->s[2] = angles.x;
    st->s[3] = angles.y;
    st->s[4] = angles.z;
}
inline float& TankGunCooldown(ActorState* st) { return st->s[5]; }

// Aircraft (and MoveWasBlocked, which it also sets when it rams).
inline float& ChaserGunCooldown(ActorState* st) { return st->s[2]; }

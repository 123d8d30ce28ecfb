// Enemy update and the operations shared by enemies, the player and shots:
// aiming, moving with collision, damage, the forward-view test and the
// homing target choice.
#pragma once
#include "core/actor.h"

// One frame of every live actor of the array, behaviour chosen by tag.
void UpdateEnemies(Actor* actors, int count);

// Turns the yaw toward target by at most step degrees (only while the yaw
// difference is below limit) and sets the pitch toward it at once.
int TurnToward(Actor* actor, Vec3 target, float step, float limit);
// Moves axis by axis; returns &Player when the move touched the player.
Actor* MoveActor(Actor* actor, Vec3 delta);
void DamageActor(Actor* actor, int amount);
// Told of every hit just before DamageActor applies it (the playtest tool
// counts who hurt the craft); the game itself leaves it empty.
extern void (*DamageWatch)(const Actor* actor, int amount);
bool TargetInView(Vec3 point, const Actor& observer);
Actor* NearestTarget(const Actor& shot, Actor* actors, int count, int needInView);

// The behaviours the kinds table (core/enemy_kinds.def) names, one frame each.
void UpdateGunship(Actor* actor);
void UpdateCharger(Actor* actor);
void UpdateTank(Actor* actor);
void UpdateChaser(Actor* actor);

// An enemy's move touched the player: 10 damage and a knock-back along the
// rammer's heading.
void RamPlayer(const Actor& rammer);

// (0, 0, 1) turned by yaw and pitch in degrees (roll 0).
Vec3 HeadingOf(Vec3 rotation);

// The player's craft: controls, inertial movement, firing, knock-back and
// the lagging follow-camera angles.
#pragma once
#include "core/actor.h"

void UpdatePlayer(Actor* actor, int* scene);
void MovePlayer(Actor* actor, Vec3 v);
int PlayerBlocked(Actor* actor);
void KnockbackStep(Actor* actor);
// With a target the stored angles chase it; with null they are returned as they are.
Vec3 FollowAngles(const Vec3* target);
void ResetFollowAngles();

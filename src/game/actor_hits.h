// The hit searches of the game's rules: an actor against a list of actors,
// against the stage objects, and against the stage's movement box.
#pragma once
#include "core/actor.h"
#include "core/math3d.h"

// The first entry of list whose collider hits self's (self and inactive
// colliders skipped), or null.
Actor* FindActorHit(Actor* self, Actor* list, int count);
bool AnyObjectHit(Actor* self, StageObject* objects, int count);
// Which face of the box from lower to upper the actor is beyond (y, then x,
// then z), as an outward unit normal; zero inside.
Vec3 BoundsNormal(const Actor* actor, Vec3 upper, Vec3 lower);

// Against the stage's own tables: the actor touches an enemy or a stage object.
bool TouchesEnemyOrObject(Actor* actor);
// TouchesEnemyOrObject, or outside the stage's movement box: where a move
// along one axis is undone.
bool SpotBlocked(Actor* actor);

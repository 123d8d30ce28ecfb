// Every ordering below is deliberate: callers rely on which actor is found
// first, and on touching counting as a hit.
#include "game/actor_hits.h"

#include "core/collision.h"
#include "game/stage.h"

Actor* FindActorHit(Actor* self, Actor* list, int count) {
    if (self == nullptr || list == nullptr || self->collider == nullptr) return nullptr;
    for (int j = 0; j < count; ++j) {
        Actor* entry = &list[j];
        if (entry == self) continue;
        if (entry->collider == nullptr) continue;
        if (!entry->collider->active || !self->collider->active) continue;
        if (CollidersHit(self->collider, entry->collider, 1)) return entry;
    }
    return nullptr;
}

// The objects' own active flags are not consulted: stage objects are always solid.
bool AnyObjectHit(Actor* self, StageObject* objects, int count) {
    if (self == nullptr || objects == nullptr || self->collider == nullptr) return false;
    for (int j = 0; j < count; ++j) {
        if (objects[j].collider == nullptr) continue;
        if (self->collider->active && CollidersHit(self->collider, objects[j].collider, 1)) {
            return true;
        }
    }
    return false;
}

// The lower bounds are raised by the box's half extent, the upper ones are
// used as given; y is tested before x, and x before z.
Vec3 BoundsNormal(const Actor* actor, Vec3 upper, Vec3 lower) {
    Vec3 h = actor->collider ? actor->collider->shape.main.halfExtent : Vec3{0.0f, 0.0f, 0.0f};
    Vec3 low = lower + h;
    Vec3 p = actor->position;
    if (p.y < low.y) return {0.0f, -1.0f, 0.0f};
    if (p.y > upper.y) return {0.0f, 1.0f, 0.0f};
    if (p.x < low.x) return {-1.0f, 0.0f, 0.0f};
    if (p.x > upper.x) return {1.0f, 0.0f, 0.0f};
    if (p.z < low.z) return {0.0f, 0.0f, -1.0f};
    if (p.z > upper.z) return {0.0f, 0.0f, 1.0f};
    return {0.0f, 0.0f, 0.0f};
}

bool TouchesEnemyOrObject(Actor* actor) {
    return FindActorHit(actor, Enemies, EnemyCount) != nullptr ||
           AnyObjectHit(actor, StageObjects, StageObjectCount);
}

bool SpotBlocked(Actor* actor) {
    return TouchesEnemyOrObject(actor) ||
           Length(BoundsNormal(actor, Settings.boundsMax, Settings.boundsMin)) > 0.0f;
}

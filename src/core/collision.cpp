// Bounding spheres refined by sets of oriented boxes (separating-axis test).
// Every ordering below is deliberate: callers rely on which box or actor is
// found first, and on touching counting as a hit.
#include "core/collision.h"

#include <cmath>

#include "core/actor.h"
#include "graphics/transform.h"

void SetBoxAxes(CollisionBox* box, Vec3 angles) {
    Matrix rot = RotationDegrees(angles);
    box->axisX = TransformCoord(Vec3{1.0f, 0.0f, 0.0f}, rot);
    box->axisY = TransformCoord(Vec3{0.0f, 1.0f, 0.0f}, rot);
    box->axisZ = TransformCoord(Vec3{0.0f, 0.0f, 1.0f}, rot);
}

void InitBox(CollisionBox* box, int tag, Vec3 centre, Vec3 angles, Vec3 halfExtent) {
    box->tag = tag;
    box->centre = centre;
    box->angles = angles;
    box->halfExtent = halfExtent;
    SetBoxAxes(box, angles);
}

void PlaceMainBox(CollisionBox* box, const Actor* owner) {
    box->centre = owner->position;
    // Boxes are re-placed on every collider test, and most owners have not
    // turned since the last one: axes already made from these very angles are
    // kept (a box whose axes were never made has a zero axisX).
    const Vec3 a = owner->rotation;
    const bool sameAngles = box->angles.x == a.x && box->angles.y == a.y && box->angles.z == a.z;
    const bool haveAxes = box->axisX.x != 0.0f || box->axisX.y != 0.0f || box->axisX.z != 0.0f;
    if (sameAngles && haveAxes) return;
    box->angles = a;
    SetBoxAxes(box, box->angles);
}

void CreateBoxSet(BoxSet* set, int partCount) {
    ReleaseBoxSet(set);
    set->main = CollisionBox{};
    if (partCount > 0) {
        set->parts = new BoxPart[partCount]();
        set->partCount = partCount;
    }
}

void ReleaseBoxSet(BoxSet* set) {
    delete[] set->parts;
    set->parts = nullptr;
    set->partCount = 0;
}

void UpdateBoxParts(BoxSet* set) {
    if (set->parts == nullptr) return;
    Matrix rot = RotationDegrees(set->main.angles);
    for (int i = 0; i < set->partCount; ++i) {
        CollisionBox& part = set->parts[i].box;
        part.angles = set->main.angles;
        part.centre = set->main.centre + TransformCoord(set->parts[i].offset, rot);
        SetBoxAxes(&part, part.angles);
    }
}

void UpdateBoxSet(BoxSet* set, const Actor* owner) {
    PlaceMainBox(&set->main, owner);
    UpdateBoxParts(set);
}

// Equality (r == d) counts as touching, so it does not separate; a zero axis
// gives d = r = 0 and never separates either.
bool AxisSeparates(const CollisionBox& a, const CollisionBox& b, Vec3 axis, Vec3 t) {
    float d = std::fabs(Dot(t, axis));
    float r = std::fabs(Dot(a.axisX, axis) * a.halfExtent.x) +
              std::fabs(Dot(a.axisY, axis) * a.halfExtent.y) +
              std::fabs(Dot(a.axisZ, axis) * a.halfExtent.z) +
              std::fabs(Dot(b.axisX, axis) * b.halfExtent.x) +
              std::fabs(Dot(b.axisY, axis) * b.halfExtent.y) +
              std::fabs(Dot(b.axisZ, axis) * b.halfExtent.z);
    return r < d;
}

bool BoxesOverlap(const CollisionBox& a, const CollisionBox& b) {
    Vec3 t = b.centre - a.centre;
    const Vec3 axesA[3] = {a.axisX, a.axisY, a.axisZ};
    const Vec3 axesB[3] = {b.axisX, b.axisY, b.axisZ};
    for (const Vec3& l : axesA) {
        if (AxisSeparates(a, b, l, t)) return false;
    }
    for (const Vec3& l : axesB) {
        if (AxisSeparates(a, b, l, t)) return false;
    }
    for (const Vec3& ai : axesA) {
        for (const Vec3& bj : axesB) {
            if (AxisSeparates(a, b, Cross(ai, bj), t)) return false;
        }
    }
    return true;
}

int BoxSetsOverlap(const BoxSet& a, const BoxSet& b) {
    int aParts = a.parts ? a.partCount : 0;
    int bParts = b.parts ? b.partCount : 0;
    if (BoxesOverlap(a.main, b.main)) return b.main.tag;
    for (int i = 0; i < bParts; ++i) {
        if (BoxesOverlap(a.main, b.parts[i].box)) return b.parts[i].box.tag;
    }
    for (int j = 0; j < aParts; ++j) {
        if (BoxesOverlap(a.parts[j].box, b.main)) return b.main.tag;
    }
    for (int i = 0; i < bParts; ++i) {
        for (int j = 0; j < aParts; ++j) {
            if (BoxesOverlap(a.parts[j].box, b.parts[i].box)) return b.parts[i].box.tag;
        }
    }
    return 0;
}

void SetSphere(Collider* c, Vec3 centre, float radius) {
    c->sphereCentre = centre;
    c->sphereRadius = radius;
}

bool SpheresOverlap(const Collider& a, const Collider& b) {
    Vec3 d = b.sphereCentre - a.sphereCentre;
    float distance = std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
    return distance <= a.sphereRadius + b.sphereRadius;
}

namespace {

// The searches below run tens of thousands of times a frame (every shot
// against every enemy and building, twice; every enemy step against all the
// others), so they are written to be inlined and to skip work whose outcome
// is already known, with results identical to the plain definitions above.

// UpdateBoxSet, with the common case inline: no parts, and an owner that
// has not turned since its axes were made.
inline void FollowOwner(Collider* c) {
    const Actor* owner = c->owner;
    if (owner == nullptr) return;
    CollisionBox& box = c->shape.main;
    if (c->shape.parts == nullptr) {
        const Vec3 a = owner->rotation;
        const bool haveAxes = box.axisX.x != 0.0f || box.axisX.y != 0.0f || box.axisX.z != 0.0f;
        if (haveAxes && box.angles.x == a.x && box.angles.y == a.y && box.angles.z == a.z) {
            box.centre = owner->position;
            return;
        }
    }
    UpdateBoxSet(&c->shape, owner);
}

// SpheresOverlap without the square root when the answer is clear: the
// squared distance (the same float sum) against the squared reach, worked in
// double, decides unless it lies within a millionth of the boundary, where
// the rounded square root is compared exactly as SpheresOverlap does.
inline bool SpheresTouch(const Collider& a, const Collider& b) {
    const Vec3 d = b.sphereCentre - a.sphereCentre;
    const float d2 = d.x * d.x + d.y * d.y + d.z * d.z;
    const float reach = a.sphereRadius + b.sphereRadius;
    if (reach > 0.0f) {
        const double r2 = static_cast<double>(reach) * static_cast<double>(reach);
        if (static_cast<double>(d2) > r2 * (1.0 + 1e-6)) return false;
        if (static_cast<double>(d2) < r2 * (1.0 - 1e-6)) return true;
    }
    return std::sqrt(d2) <= reach;
}

// The spheres first: they never depend on the boxes. Boxes are placed from
// their owners only when they are about to be tested; placing is a pure
// function of the owner's position and angles, so a set placed later, or
// not at all, gives the very same answers.
inline bool Hit(Collider* a, Collider* b, int useBoxes) {
    if (!SpheresTouch(*a, *b)) return false;
    if (useBoxes == 0) return true;
    FollowOwner(a);
    FollowOwner(b);
    return BoxSetsOverlap(a->shape, b->shape) != 0;
}

}  // namespace

bool CollidersHit(Collider* a, Collider* b, int useBoxes) { return Hit(a, b, useBoxes); }

Actor* FindActorHit(Actor* self, Actor* list, int count) {
    if (self == nullptr || list == nullptr || self->collider == nullptr) return nullptr;
    for (int j = 0; j < count; ++j) {
        Actor* entry = &list[j];
        if (entry == self) continue;
        if (entry->collider == nullptr) continue;
        if (!entry->collider->active || !self->collider->active) continue;
        if (Hit(self->collider, entry->collider, 1)) return entry;
    }
    return nullptr;
}

// The objects' own active flags are not consulted: stage objects are always solid.
bool AnyObjectHit(Actor* self, StageObject* objects, int count) {
    if (self == nullptr || objects == nullptr || self->collider == nullptr) return false;
    for (int j = 0; j < count; ++j) {
        if (objects[j].collider == nullptr) continue;
        if (self->collider->active && Hit(self->collider, objects[j].collider, 1)) {
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

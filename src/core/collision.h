// The collision model: a bounding sphere per collider, refined by a set of
// oriented boxes tested with the separating-axis method.
#pragma once
#include <cmath>

#include "core/actor.h"
#include "core/math3d.h"

struct CollisionBox {
    int tag;  // a hit on a box with tag 0 reads as no hit
    Vec3 centre;
    Vec3 angles;
    Vec3 axisX, axisY, axisZ;
    Vec3 halfExtent;
};

struct BoxPart {
    CollisionBox box;
    Vec3 offset;  // from the main box centre, in the main box's unrotated frame
};

struct BoxSet {
    CollisionBox main;
    int partCount;
    BoxPart* parts;  // partCount entries, or null
};

struct Collider {
    Vec3 sphereCentre;
    float sphereRadius;
    BoxSet shape;
    Actor* owner;  // drives the boxes; null when they are placed by hand
    int active;    // 0 leaves the collider out of list searches
};

void SetBoxAxes(CollisionBox* box, Vec3 angles);
void InitBox(CollisionBox* box, int tag, Vec3 centre, Vec3 angles, Vec3 halfExtent);
void PlaceMainBox(CollisionBox* box, const Actor* owner);
// Allocates partCount parts (none when 0); a set that had parts releases them first.
void CreateBoxSet(BoxSet* set, int partCount);
void ReleaseBoxSet(BoxSet* set);
void UpdateBoxParts(BoxSet* set);
void UpdateBoxSet(BoxSet* set, const Actor* owner);
bool AxisSeparates(const CollisionBox& a, const CollisionBox& b, Vec3 axis, Vec3 t);
bool BoxesOverlap(const CollisionBox& a, const CollisionBox& b);
// Tag of the first box of b found overlapping a, or 0.
int BoxSetsOverlap(const BoxSet& a, const BoxSet& b);
void SetSphere(Collider* c, Vec3 centre, float radius);
bool SpheresOverlap(const Collider& a, const Collider& b);

// The collider test runs tens of thousands of times a frame (every shot
// against every enemy and building, twice; every enemy step against all the
// others), so it is written to be inlined into the searches and to skip work
// whose outcome is already known, with results identical to the plain
// definitions above.
namespace collision_detail {

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

}  // namespace collision_detail

// Spheres first: they never depend on the boxes. With useBoxes, both box sets
// are then placed from their owners (those that have one) and tested; placing
// is a pure function of the owner's position and angles, so a set placed
// later, or not at all, gives the very same answers.
inline bool CollidersHit(Collider* a, Collider* b, int useBoxes) {
    if (!collision_detail::SpheresTouch(*a, *b)) return false;
    if (useBoxes == 0) return true;
    collision_detail::FollowOwner(a);
    collision_detail::FollowOwner(b);
    return BoxSetsOverlap(a->shape, b->shape) != 0;
}

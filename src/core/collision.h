// The collision model: a bounding sphere per collider, refined by a set of
// oriented boxes tested with the separating-axis method.
#pragma once
#include "core/math3d.h"

struct Actor;
struct StageObject;

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
// Spheres first; with useBoxes, both box sets are then placed from their
// owners (those that have one) and tested.
bool CollidersHit(Collider* a, Collider* b, int useBoxes);
Actor* FindActorHit(Actor* self, Actor* list, int count);
bool AnyObjectHit(Actor* self, StageObject* objects, int count);
Vec3 BoundsNormal(const Actor* actor, Vec3 upper, Vec3 lower);

// Bounding spheres refined by sets of oriented boxes (separating-axis test).
// Every ordering below is deliberate: callers rely on which box or actor is
// found first, and on touching counting as a hit.
#include "core/collision.h"

#include <cmath>

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

// Spheres, separating-axis boxes and the list searches built on them.
#include <gtest/gtest.h>
#include <cstring>

#include "core/actor.h"
#include "core/collision.h"
#include "game/actor_hits.h"
#include "graphics/transform.h"

namespace {

const Vec3 kUnit{1, 1, 1};
const Vec3 kZero{0, 0, 0};

CollisionBox Box(Vec3 centre, Vec3 angles = kZero, Vec3 half = kUnit, int tag = 100) {
    CollisionBox b;
    InitBox(&b, tag, centre, angles, half);
    return b;
}

// An actor with its own collider: sphere radius r, main box of half extent 1.
struct TestActor {
    Actor actor{};
    Collider collider{};
    TestActor(const char* name, Vec3 pos, float r = 2.0f, int parts = 0) {
        std::strncpy(actor.name, name, 7);
        actor.position = pos;
        actor.collider = &collider;
        collider.owner = &actor;
        collider.active = 1;
        CreateBoxSet(&collider.shape, parts);
        InitBox(&collider.shape.main, 100, pos, kZero, kUnit);
        SetSphere(&collider, pos, r);
    }
    ~TestActor() { ReleaseBoxSet(&collider.shape); }
    void MoveTo(Vec3 p) {
        actor.position = p;
        collider.sphereCentre = p;
    }
};

}  // namespace

TEST(CollisionSphere, TouchingCounts) {
    Collider a{}, b{};
    SetSphere(&a, {0, 0, 0}, 2.0f);
    SetSphere(&b, {3, 4, 0}, 3.0f);  // distance 5 = 2 + 3
    EXPECT_TRUE(SpheresOverlap(a, b));
    SetSphere(&b, {3, 4, 0}, 2.9f);
    EXPECT_FALSE(SpheresOverlap(a, b));
}

TEST(CollisionBox, AxesFollowAngles) {
    CollisionBox b = Box({0, 0, 0}, {0, 0, 90});
    EXPECT_NEAR(b.axisX.x, 0.0f, 1e-6f);
    EXPECT_NEAR(b.axisX.y, 1.0f, 1e-6f);
    EXPECT_NEAR(b.axisY.x, -1.0f, 1e-6f);
    EXPECT_NEAR(b.axisZ.z, 1.0f, 1e-6f);
}

// Projections that exactly touch (r = d) do not separate; a zero axis never does.
TEST(CollisionBox, TouchingAndZeroAxis) {
    CollisionBox a = Box({0, 0, 0});
    CollisionBox b = Box({2, 0, 0});
    EXPECT_FALSE(AxisSeparates(a, b, {1, 0, 0}, {2, 0, 0}));
    EXPECT_TRUE(BoxesOverlap(a, b));
    CollisionBox c = Box({2.001f, 0, 0});
    EXPECT_TRUE(AxisSeparates(a, c, {1, 0, 0}, {2.001f, 0, 0}));
    EXPECT_FALSE(BoxesOverlap(a, c));
    EXPECT_FALSE(AxisSeparates(a, c, {0, 0, 0}, {50, 50, 50}));
    // Identical boxes on the same centre: T = 0, nothing separates.
    EXPECT_TRUE(BoxesOverlap(a, Box({0, 0, 0})));
}

TEST(CollisionBox, RotatedFaceAxis) {
    CollisionBox a = Box({0, 0, 0});
    // Yawed 45 degrees, its corner reaches sqrt(2) towards the other box.
    EXPECT_TRUE(BoxesOverlap(a, Box({2.3f, 0, 0}, {0, 45, 0})));
    EXPECT_FALSE(BoxesOverlap(a, Box({2.5f, 0, 0}, {0, 45, 0})));
}

// A box rolled 45 degrees (an edge along z on top at y = sqrt 2) under a box
// pitched 45 degrees (an edge along x underneath at y = yB - sqrt 2). At yB = 3
// no face axis separates them (their projections overlap by about 0.6) and only
// the edge cross product z x x = y does: the nine cross axes must be tried.
TEST(CollisionBox, OnlyAnEdgeAxisSeparates) {
    CollisionBox a = Box({0, 0, 0}, {0, 0, 45});
    CollisionBox b = Box({0, 3, 0}, {45, 0, 0});
    Vec3 t = b.centre - a.centre;
    for (Vec3 l : {a.axisX, a.axisY, a.axisZ, b.axisX, b.axisY, b.axisZ})
        EXPECT_FALSE(AxisSeparates(a, b, l, t));
    EXPECT_FALSE(BoxesOverlap(a, b));
    EXPECT_TRUE(BoxesOverlap(a, Box({0, 2.8f, 0}, {45, 0, 0})));
}

// The order of the four stages decides which tag is reported.
TEST(CollisionBoxSet, FirstOverlapDecidesTheTag) {
    BoxSet a{}, b{};
    CreateBoxSet(&a, 2);
    CreateBoxSet(&b, 2);
    InitBox(&a.main, 1, {0, 0, 0}, kZero, kUnit);
    InitBox(&b.main, 10, {0, 0, 0}, kZero, kUnit);
    InitBox(&b.parts[0].box, 11, {0, 0, 0}, kZero, kUnit);
    InitBox(&b.parts[1].box, 12, {0, 0, 0}, kZero, kUnit);
    InitBox(&a.parts[0].box, 2, {100, 0, 0}, kZero, kUnit);
    InitBox(&a.parts[1].box, 3, {200, 0, 0}, kZero, kUnit);
    EXPECT_EQ(BoxSetsOverlap(a, b), 10);  // main against main first

    b.main.centre = {50, 0, 0};
    b.parts[0].box.centre = {60, 0, 0};
    EXPECT_EQ(BoxSetsOverlap(a, b), 12);  // then A's main against B's parts

    b.parts[1].box.centre = {70, 0, 0};
    b.main.centre = {200, 0, 0};
    EXPECT_EQ(BoxSetsOverlap(a, b), 10);  // then A's parts against B's main

    // B's parts are the outer loop: part 0 hits A's part 1, part 1 hits A's part 0.
    b.main.centre = {500, 0, 0};
    b.parts[0].box.centre = {200, 0, 0};
    b.parts[1].box.centre = {100, 0, 0};
    EXPECT_EQ(BoxSetsOverlap(a, b), 11);

    b.parts[0].box.centre = {900, 0, 0};
    b.parts[1].box.centre = {900, 0, 0};
    EXPECT_EQ(BoxSetsOverlap(a, b), 0);

    // Re-creating releases the old parts and gives zeroed ones.
    CreateBoxSet(&a, 1);
    EXPECT_EQ(a.partCount, 1);
    EXPECT_EQ(a.parts[0].box.tag, 0);
    CreateBoxSet(&a, 0);
    EXPECT_EQ(a.parts, nullptr);
    EXPECT_EQ(a.partCount, 0);
    ReleaseBoxSet(&a);
    ReleaseBoxSet(&b);
}

TEST(CollisionColliders, BoxesFollowOwnerWhenTested) {
    TestActor self("PLAYER", {0, 0, 0}, 10.0f, 1);
    self.collider.shape.parts[0].offset = {0, 0, 5};
    InitBox(&self.collider.shape.parts[0].box, 101, kZero, kZero, kUnit);
    TestActor other("ENEMY1", {5, 0, 0}, 1.0f);
    other.collider.owner = nullptr;  // placed by hand

    // Facing +z the part sits at (0,0,5), away from the box at (5,0,0).
    EXPECT_FALSE(CollidersHit(&self.collider, &other.collider, 1));
    // Turned 90 degrees right, the part swings to (5,0,0): a hit on the main
    // box of the other set, whose tag is reported.
    self.actor.rotation = {0, 90, 0};
    EXPECT_TRUE(CollidersHit(&self.collider, &other.collider, 1));
    EXPECT_NEAR(self.collider.shape.parts[0].box.centre.x, 5.0f, 1e-5f);
    EXPECT_NEAR(self.collider.shape.parts[0].box.angles.y, 90.0f, 0.0f);

    // Turned back, the part swings away again and the hit is gone, although
    // the set was last placed turned.
    self.actor.rotation = {0, 0, 0};
    EXPECT_FALSE(CollidersHit(&self.collider, &other.collider, 1));
    EXPECT_NEAR(self.collider.shape.parts[0].box.centre.z, 5.0f, 1e-5f);

    // Moved away, spheres apart: no hit, and the boxes are left where they
    // were (they are placed when they are tested). Moved back within reach,
    // they follow the owner to where it is now.
    self.MoveTo({0, 0, 40});
    EXPECT_FALSE(CollidersHit(&self.collider, &other.collider, 1));
    EXPECT_EQ(self.collider.shape.main.centre.z, 0.0f);
    self.MoveTo({0, 0, 2});
    EXPECT_FALSE(CollidersHit(&self.collider, &other.collider, 1));
    EXPECT_EQ(self.collider.shape.main.centre.z, 2.0f);
    EXPECT_NEAR(self.collider.shape.parts[0].box.centre.z, 7.0f, 1e-5f);
}

TEST(CollisionColliders, SphereGateAndTagZero) {
    TestActor a("A", {0, 0, 0}, 1.0f);
    TestActor b("B", {1.5f, 0, 0}, 1.0f);
    EXPECT_TRUE(CollidersHit(&a.collider, &b.collider, 1));
    // Overlapping boxes whose tag is 0 read as no hit; without boxes the sphere decides.
    b.collider.shape.main.tag = 0;
    EXPECT_FALSE(CollidersHit(&a.collider, &b.collider, 1));
    EXPECT_TRUE(CollidersHit(&a.collider, &b.collider, 0));
    // Spheres apart: no hit even though the boxes would overlap.
    b.collider.shape.main.tag = 100;
    b.collider.sphereCentre = {30, 0, 0};
    EXPECT_FALSE(CollidersHit(&a.collider, &b.collider, 1));
    EXPECT_FALSE(CollidersHit(&a.collider, &b.collider, 0));
}

TEST(CollisionSearch, FindActorHitOrderSelfAndActive) {
    Actor list[4] = {};
    Collider colliders[4] = {};
    Vec3 places[4] = {{0, 0, 0}, {0.5f, 0, 0}, {50, 0, 0}, {1.0f, 0, 0}};
    for (int i = 0; i < 4; ++i) {
        list[i].position = places[i];
        list[i].collider = &colliders[i];
        colliders[i].owner = &list[i];
        colliders[i].active = 1;
        InitBox(&colliders[i].shape.main, 100, places[i], kZero, kUnit);
        SetSphere(&colliders[i], places[i], 1.0f);
    }
    // Entry 0 is self and overlaps itself; 1 and 3 are both hit: 1 wins.
    EXPECT_EQ(FindActorHit(&list[0], list, 4), &list[1]);
    colliders[1].active = 0;
    EXPECT_EQ(FindActorHit(&list[0], list, 4), &list[3]);
    EXPECT_EQ(FindActorHit(&list[0], list, 3), nullptr);
    colliders[0].active = 0;
    EXPECT_EQ(FindActorHit(&list[0], list, 4), nullptr);

    // An actor outside the list is compared with every entry.
    Actor outsider = list[0];
    Collider oc = colliders[0];
    oc.owner = &outsider;
    oc.active = 1;
    outsider.collider = &oc;
    colliders[0].active = 1;
    colliders[1].active = 1;
    EXPECT_EQ(FindActorHit(&outsider, list, 4), &list[0]);
}

TEST(CollisionSearch, AnyObjectHitIgnoresObjectFlags) {
    TestActor self("PLAYER", {0, 0, 0}, 1.0f);
    StageObject objects[2] = {};
    Collider oc[2] = {};
    for (int i = 0; i < 2; ++i) {
        objects[i].collider = &oc[i];
        oc[i].active = 0;  // not consulted
    }
    InitBox(&oc[0].shape.main, 100, {100, 0, 0}, kZero, kUnit);
    SetSphere(&oc[0], {100, 0, 0}, 1.0f);
    InitBox(&oc[1].shape.main, 100, {1.5f, 0, 0}, kZero, kUnit);
    SetSphere(&oc[1], {1.5f, 0, 0}, 1.0f);
    EXPECT_FALSE(AnyObjectHit(&self.actor, objects, 1));
    EXPECT_TRUE(AnyObjectHit(&self.actor, objects, 2));
    self.collider.active = 0;
    EXPECT_FALSE(AnyObjectHit(&self.actor, objects, 2));
}

// Lower bounds are raised by the half extent (2, 3, 4), upper ones are not;
// strict comparisons; y wins over x, x over z.
TEST(CollisionSearch, BoundsNormalPriority) {
    TestActor t("PLAYER", {0, 0, 0});
    t.collider.shape.main.halfExtent = {2, 3, 4};
    const Vec3 upper{100, 100, 100}, lower{-100, -100, -100};
    auto normal = [&](Vec3 p) {
        t.actor.position = p;
        return BoundsNormal(&t.actor, upper, lower);
    };
    auto expect = [](Vec3 v, float x, float y, float z) {
        EXPECT_EQ(v.x, x);
        EXPECT_EQ(v.y, y);
        EXPECT_EQ(v.z, z);
    };
    expect(normal({-98, -97, -96}), 0, 0, 0);  // exactly on every raised lower bound
    expect(normal({100, 100, 100}), 0, 0, 0);  // exactly on every upper bound
    expect(normal({0, -97.5f, 0}), 0, -1, 0);
    expect(normal({-99, 0, 0}), -1, 0, 0);
    expect(normal({0, 0, -96.5f}), 0, 0, -1);
    expect(normal({0, 0, 100.5f}), 0, 0, 1);
    expect(normal({200, 200, 200}), 0, 1, 0);
    expect(normal({200, 0, -200}), 1, 0, 0);
    expect(normal({-200, 0, 200}), -1, 0, 0);
}

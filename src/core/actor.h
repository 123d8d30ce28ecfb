// The one record of the player, the enemies and the shots, and the static
// stage objects.
#pragma once
#include "core/math3d.h"
#include "core/tag.h"

struct Collider;

struct ActorState {
    float s[10];
};

struct Actor {
    char name[kTagBytes];  // tag, at most 7 characters, matched by substring
    Collider* collider;
    int hitPoints;
    Vec3 position;
    Vec3 rotation;  // degrees: x pitch, y yaw, z roll
    Vec3 scale;     // shots keep their speed here
    ActorState* state;
};

struct StageObject {
    char name[kTagBytes];
    float emissive;
    Collider* collider;
    Vec3 position;
    Vec3 rotation;
    Vec3 scale;
};

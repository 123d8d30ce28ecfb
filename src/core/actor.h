// The one record of the player, the enemies and the shots, and the static
// stage objects.
#pragma once
#include <cstring>

#include "core/collision.h"
#include "core/math3d.h"

struct ActorState {
    float s[10];
};

struct Actor {
    char name[8];  // tag, at most 7 characters, matched by substring
    Collider* collider;
    int hitPoints;
    Vec3 position;
    Vec3 rotation;  // degrees: x pitch, y yaw, z roll
    Vec3 scale;     // shots keep their speed here
    ActorState* state;
};

struct StageObject {
    char name[8];
    float emissive;
    Collider* collider;
    Vec3 position;
    Vec3 rotation;
    Vec3 scale;
};

// Kinds are told apart by substring tests on the tag.
inline bool TagHas(const char* name, const char* tag) { return std::strstr(name, tag) != nullptr; }

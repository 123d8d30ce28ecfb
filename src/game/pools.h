// The shot and effect pools.
#pragma once
#include "core/actor.h"

constexpr int kShotSlots = 128;
constexpr int kEffectSlots = 32;

struct Effect {
    char tag[kTagBytes];
    Vec3 position;
    Vec3 rotation;  // roll is random at spawn
    int frames;     // free when 0 or less
};

extern Actor ShotPool[kShotSlots];
extern Effect EffectPool[kEffectSlots];

// The shot and effect pools.
#pragma once
#include "core/actor.h"
#include "core/tables.h"

struct Effect {
    char tag[kTagBytes];
    Vec3 position;
    Vec3 rotation;  // roll is random at spawn
    int frames;     // free when 0 or less
};

extern Actor ShotPool[kShotSlots];
extern Effect EffectPool[kEffectSlots];

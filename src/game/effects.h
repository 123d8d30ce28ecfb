// Impact effects: 32 slots, 32 frames each, look chosen by the shot's tag.
#pragma once
#include "game/pools.h"

void SpawnEffect(const char* tag, Vec3 position, Vec3 rotation, int frames);
void UpdateEffects();
void DrawEffects(const Matrix& view, const Matrix& projection);

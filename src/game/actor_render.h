// Drawing the player and the enemies with the stage's meshes.
#pragma once
#include "core/actor.h"

void DrawActors(Actor* actors, int count, const Matrix& view, const Matrix& projection);

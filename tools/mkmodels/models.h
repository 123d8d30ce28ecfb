// Every mesh of the game, built in code.
#pragma once
#include "geom.h"

namespace mdl {

// Archive meshes: the craft...
Model Zorbat();
Model Mouse();
Model Battleship();
Model Charger();
Model TankHull();
Model TankTurret();
Model Aircraft();
// ...and the shots and effect pieces.
Model Beam();
Model Star();
Model Bullet();
Model Ray();
Model Shell();
Model Torpedo();
Model Fragment();

// Stage meshes under data/xfiles/maps.
Model Floor1();
Model Floor2();
Model Floor3();
Model Building();

}  // namespace mdl

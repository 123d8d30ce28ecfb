// What a pilot can know: the picture of each frame as the player sees it on
// screen (the craft, the life gauge, the clock, and the enemies and enemy
// shots inside the follow camera's view), kept for the reaction delay.
#pragma once
#include "game/pools.h"
#include "game/stage.h"
#include "core/math3d.h"

// A pilot acts on the picture of this many frames ago.
constexpr int kReactionFrames = 12;

// Kinds as a player tells them apart by their models.
enum SeenKind {
    SeenTarget = 1,    // ENEMY1, the drone
    SeenGunship = 2,   // ENEMY2
    SeenCharger = 3,   // ENEMY3
    SeenTank = 4,      // ENEMY4
    SeenAircraft = 5,  // ENEMY5
    SeenBullet = 6,    // the gunship's bullet
    SeenBeam = 7,      // the charger's beam
    SeenShell = 8,     // tank and aircraft shells look alike
    SeenTorpedo = 9,
};

struct SeenThing {
    int id;    // enemy index (a player follows each one by eye); shot slot for shots
    int kind;  // SeenKind
    Vec3 position;
    Vec3 rotation;
    float glow;  // a charger's glow across its nose: brighter as its beam nears (it blinks past 1)
};

// One frame's picture.
struct Glimpse {
    int frame = 0;  // play frame it shows (1 is the first)
    Vec3 craftPosition{};
    Vec3 craftRotation{};
    int life = 0;
    int maxLife = 0;
    int timeLeft = 0;
    Matrix view{};  // the follow camera of that frame
    int enemyCount = 0;
    SeenThing enemies[kMaxEnemies];
    int shotCount = 0;
    SeenThing shots[kShotSlots];  // enemy shots only
    int torpedoesDropped = 0;     // heard, not seen: each drop plays its sound
};

// True when p shows inside the 800 x 600 view of the follow camera with the
// game's projection, margin pixels inside the edges (negative: outside).
bool OnScreen(const Matrix& view, Vec3 p, float margin);

// The picture of the frame just played, read from the game's tables.
void TakeGlimpse(Glimpse* out, int frame);

// The last kReactionFrames + 1 pictures.
struct SightHistory {
    Glimpse ring[kReactionFrames + 1];
    int newest = 0;  // frame of the newest picture, 0 for none
};

void ClearSight(SightHistory* h);
Glimpse* NextGlimpseSlot(SightHistory* h, int frame);
// The picture a pilot acting on `frame` has seen, kReactionFrames earlier; null before that.
const Glimpse* Perceived(const SightHistory& h, int frame);

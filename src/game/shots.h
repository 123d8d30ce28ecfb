// The shot pool: 128 slots of Actor records, six kinds chosen by tag.
#pragma once
#include "core/math3d.h"
#include "game/pools.h"

struct Texture;

// The rows of the shot kinds table (game/shots.cpp).
constexpr int kShotKinds = 6;

// One collider per kind, shared by every shot of that kind.
extern Collider ShotKindCollider[kShotKinds];
// The effect textures: "dreg_1.png", "burn.png", "cannon_dreg.png".
constexpr int kEffectTextureCount = 3;
extern Texture* EffectTextures[kEffectTextureCount];

// Row of the first kind whose tag the name holds, rows in table order; -1 for none.
int ShotKindOf(const char* tag);
void ClearPools();
void BuildShotColliders();
void LoadShotAssets();
int SpawnShot(Vec3 position, Vec3 rotation, const char* tag, float speed, int ttl);
void UpdateShots();
void DrawShots(const Matrix& view, const Matrix& projection);

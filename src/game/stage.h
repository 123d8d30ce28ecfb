// The stage's tables and the run state of one stage attempt.
#pragma once
#include "core/actor.h"
#include "formats/stage_files.h"
#include "graphics/mesh.h"
#include "graphics/transform.h"

constexpr int kMaxEnemies = 64;  // actor colliders are shared with the player: 63 usable
constexpr int kActorColliders = 64;
constexpr int kMaxStageObjects = 128;
constexpr int kStageMeshSlots = 64;

// Stage data, refilled at every stage load.
extern Actor Player;
extern Actor Enemies[kMaxEnemies];
extern Collider ActorColliders[kActorColliders];  // 0: the player's, k: enemy k - 1
extern StageObject StageObjects[kMaxStageObjects];
extern Collider StageObjectColliders[kMaxStageObjects];
extern StageObject Floor;
extern StageSettings Settings;
extern CameraSetup Camera;
extern MeshAsset EnemyMeshes[kStageMeshSlots];  // slots of the kinds table (core/enemy_kinds.def)
extern MeshAsset MapMeshes[kStageMeshSlots];    // 0 floor, 1 buildings
extern MeshAsset ShotMeshes[12];                // loaded at start: beam .. tri

// Run state.
extern int StageNumber;
extern int StageTime;
extern int EndReason;  // 0 clear, 1 game over, 2 time out
extern int StartBanner;
extern int RunTotal;
extern int MaxLife;
extern int EnemyCount;
extern int StageObjectCount;

// Player craft state.
extern Vec3 PlayerVelocity;
extern int FireCooldown;

// The stage's tables and the run state of one stage attempt.
#pragma once
#include "core/actor.h"
#include "core/tables.h"
#include "formats/stage_files.h"
#include "graphics/mesh.h"
#include "graphics/transform.h"

// The two map meshes: 0 the floor, 1 the buildings.
constexpr int kMapMeshCount = 2;

// Why the stage ended, the value of EndReason.
enum EndReasonValue {
    EndStageClear = 0,
    EndGameOver = 1,  // life used up
    EndTimeOut = 2,
};

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
extern MeshAsset MapMeshes[kStageMeshSlots];    // kMapMeshCount used: 0 floor, 1 buildings
extern MeshAsset ShotMeshes[kShotMeshSlots];    // loaded at start: beam .. tri (kShotMeshFiles)

// Run state.
extern int StageNumber;
extern int StageTime;
extern int EndReason;  // an EndReasonValue, set by PlayFrame on the frame the stage ends
// Two meanings: above 0, the frames left of the "Start !" banner that play
// draws and counts down (the countdown sets 120 when play starts); -1, the
// mark that the pause was entered from the countdown (the pause then resumes
// the countdown, and a countdown that finds the mark after a quit starts
// from the top). 0 draws nothing.
extern int StartBanner;
extern int RunTotal;
extern int MaxLife;
extern int EnemyCount;
extern int StageObjectCount;
// EnemyCount held to the table, for code that walks it and must not trust it
// (state dumps, digests, the soak's checks).
inline int EnemyCountInTable() {
    return EnemyCount < 0 ? 0 : (EnemyCount > kMaxEnemies ? kMaxEnemies : EnemyCount);
}

// Player craft state.
extern Vec3 PlayerVelocity;
extern int FireCooldown;

#include "game/stage.h"

Actor Player;
Actor Enemies[kMaxEnemies];
Collider ActorColliders[kActorColliders];
StageObject StageObjects[kMaxStageObjects];
Collider StageObjectColliders[kMaxStageObjects];
StageObject Floor;
StageSettings Settings;
CameraSetup Camera;
MeshAsset EnemyMeshes[kStageMeshSlots];
MeshAsset MapMeshes[kStageMeshSlots];
MeshAsset ShotMeshes[kShotMeshSlots];

int StageNumber;
int StageTime;
int EndReason;
int StartBanner;
int RunTotal;
int MaxLife;
int EnemyCount;
int StageObjectCount;

Vec3 PlayerVelocity;
int FireCooldown;

#include "game/pools.h"

Actor ShotPool[kShotSlots];
Effect EffectPool[kEffectSlots];

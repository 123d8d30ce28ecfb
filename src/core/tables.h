// The sizes of the game's fixed tables: every table is declared with its
// constant, and every loop over one counts by it.
#pragma once

constexpr int kStageCount = 3;  // stages 1..3

constexpr int kTextureSlots = 64;
constexpr int kShotMeshSlots = 12;   // ShotMeshes
constexpr int kStageMeshSlots = 64;  // EnemyMeshes, and MapMeshes
constexpr int kSoundSlots = 12;
constexpr int kMusicSlots = 16;

constexpr int kMaxEnemies = 64;
// Actor colliders are shared: 0 is the player's, k is enemy k - 1's, so a
// stage holds at most kActorColliders - 1 enemies.
constexpr int kActorColliders = 64;
constexpr int kEnemyCapacity = kActorColliders - 1;
constexpr int kMaxStageObjects = 128;

constexpr int kShotSlots = 128;
constexpr int kEffectSlots = 32;

constexpr int kHiscorePerStage = 3;
constexpr int kHiscoreEntries = kStageCount * kHiscorePerStage;  // 9

#include "game/stage_setup.h"

#include <cstdio>

#include "formats/stage_files.h"
#include "game/player.h"
#include "game/shots.h"
#include "game/stage.h"
#include "graphics/mesh.h"
#include "platform/system.h"
#include "shell/manifest.h"
#include "shell/scenes.h"

namespace {

const int kTimeLimits[3] = {5400, 6600, 7200};

const char* const kEnemyMeshFiles[7] = {"zorbat.x", "mouse.x", "bship.x", "sito.x",
                                        "tank.x",   "cannon.x", "air.x"};

// How many entries the tables may hold from the last load (one more than the
// counts, since a block that ended early may have allocated before it failed).
int g_loadedEnemies = 0;
int g_loadedObjects = 0;
bool g_playerLoaded = false;

}  // namespace

int StageTimeLimit(int stageNumber) {
    if (stageNumber < 1 || stageNumber > 3) return kTimeLimits[0];
    return kTimeLimits[stageNumber - 1];
}

void ReleaseStageTables() {
    if (g_playerLoaded) ReleaseActor(&Player, &ActorColliders[0]);
    for (int k = 0; k < g_loadedEnemies; ++k) ReleaseActor(&Enemies[k], &ActorColliders[k + 1]);
    for (int k = 0; k < g_loadedObjects; ++k) ReleaseStageObject(&StageObjects[k], &StageObjectColliders[k]);
    g_playerLoaded = false;
    g_loadedEnemies = 0;
    g_loadedObjects = 0;
    EnemyCount = 0;
    StageObjectCount = 0;
}

bool SetUpStageActors(const char* actorPath, const char* mapPath) {
    ReleaseStageTables();

    g_playerLoaded = true;
    const bool havePlayer = ReadActorBlock(actorPath, 0, &Player, &ActorColliders[0]);
    // Enemy k - 1 takes actor collider k; slot 0 is the player's, so 63 at most.
    // A stage file with more enemies than that has the rest ignored.
    int enemies = 0;
    while (enemies + 1 < kActorColliders &&
           ReadActorBlock(actorPath, enemies + 1, &Enemies[enemies], &ActorColliders[enemies + 1])) {
        ++enemies;
    }
    EnemyCount = enemies;
    g_loadedEnemies = enemies + 1 < kActorColliders ? enemies + 1 : enemies;
    MaxLife = Player.hitPoints;

    ReadStageSettings(mapPath, &Settings);
    int objects = 0;
    while (objects < kMaxStageObjects &&
           ReadStageObjectBlock(mapPath, objects, &StageObjects[objects], &StageObjectColliders[objects])) {
        ++objects;
    }
    StageObjectCount = objects;
    g_loadedObjects = objects < kMaxStageObjects ? objects + 1 : objects;
    SetStageObject(&Floor, "FLOOR", 1.0f, Vec3{0, 0, 0}, Vec3{0, 0, 0}, Vec3{9, 9, 9});
    ReadCameraSetup(mapPath, &Camera);

    if (!havePlayer || Player.collider == nullptr || Player.state == nullptr) {
        // Without the craft there is nothing to play.
        char text[512];
        std::snprintf(text, sizeof text, "ステージデータを読み込めませんでした\n%s", actorPath);
        ShowMessageBox(text, nullptr);
        PostQuit(0);
        return false;
    }
    int loadScene = SceneStageLoad;
    UpdatePlayer(&Player, &loadScene);  // clears the velocity and the fire cool-down
    return true;
}

void BeginStageRun() {
    StageTime = StageTimeLimit(StageNumber);
    RunTotal = 0;
    ClearPools();  // nothing flies on from the previous stage
    ResetFollowAngles();
}

void LoadStage() {
    BeginStageRun();

    // The previous stage's meshes are normally released on the way out; make sure.
    ReleaseMeshes(EnemyMeshes, 7);
    ReleaseMeshes(MapMeshes, 2);
    for (int i = 0; i < 7; ++i) {
        LoadMeshFromArchive(kMeshArchive, kEnemyMeshFiles[i], kMeshTextureDir, &EnemyMeshes[i]);
    }
    const int stage = (StageNumber >= 1 && StageNumber <= 3) ? StageNumber : 1;
    char path[64];
    std::snprintf(path, sizeof path, "data/xfiles/maps/floor_%d.x", stage);
    LoadMeshFromFile(path, kMapTextureDir, &MapMeshes[0]);
    LoadMeshFromFile("data/xfiles/maps/buildings.x", kMapTextureDir, &MapMeshes[1]);

    char actorPath[64];
    char mapPath[64];
    std::snprintf(actorPath, sizeof actorPath, "data/bin/c%d.pxd", stage);
    std::snprintf(mapPath, sizeof mapPath, "data/bin/m%d.pxd", stage);
    if (!SetUpStageActors(actorPath, mapPath)) {
        SceneId = SceneTitle;  // the quit request is on its way
        return;
    }
    SceneId = SceneCountdown;
}

#include "game/stage_setup.h"

#include <cstdio>
#include <string>

#include "core/enemy_kinds.h"
#include "core/manifest.h"
#include "core/scene_id.h"
#include "formats/data_dir.h"
#include "formats/stage_files.h"
#include "game/play.h"
#include "game/player.h"
#include "game/shots.h"
#include "game/stage.h"
#include "graphics/mesh.h"
#include "platform/messages.h"
#include "platform/system.h"

namespace {

const int kTimeLimits[kStageCount] = {5400, 6600, 7200};

// A stage file the readers will not take (missing, not a regular file, too
// large) is said once on stderr, with why.
bool StageFileOpens(const char* path) {
    std::string why;
    if (CanOpenStageFile(path, &why)) return true;
    std::fprintf(stderr, "zorbat: %s: cannot be opened (%s)\n", path, why.c_str());
    return false;
}

}  // namespace

int StageTimeLimit(int stageNumber) {
    if (stageNumber < 1 || stageNumber > kStageCount) return kTimeLimits[0];
    return kTimeLimits[stageNumber - 1];
}

void ReleaseStageTables() {
    ReleaseActor(&Player, &ActorColliders[0]);
    for (int k = 0; k + 1 < kActorColliders; ++k) ReleaseActor(&Enemies[k], &ActorColliders[k + 1]);
    for (int k = 0; k < kMaxStageObjects; ++k) ReleaseStageObject(&StageObjects[k], &StageObjectColliders[k]);
    EnemyCount = 0;
    StageObjectCount = 0;
}

bool SetUpStageActors(const char* actorPath, const char* mapPath) {
    // Without its two files a stage cannot be played: say which one is missing.
    const char* missing = !StageFileOpens(actorPath) ? actorPath : (!StageFileOpens(mapPath) ? mapPath : nullptr);
    if (missing != nullptr) {
        ShowFatal(MsgStageFile, missing);
        return false;
    }
    // The readers release what the previous stage's slots held before refilling
    // them. Enemy k - 1 takes actor collider k; slot 0 is the player's, so at
    // most 63 enemies, and further blocks are ignored.
    EnemyCount = ReadActorFile(actorPath, &Player, Enemies, ActorColliders, kActorColliders);
    MaxLife = Player.hitPoints;
    ReadStageSettings(mapPath, &Settings);
    StageObjectCount = ReadStageObjectFile(mapPath, StageObjects, StageObjectColliders, kMaxStageObjects);
    SetStageObject(&Floor, "FLOOR", 1.0f, Vec3{0, 0, 0}, Vec3{0, 0, 0}, Vec3{9, 9, 9});
    ReadCameraSetup(mapPath, &Camera);
    // Hits are tested where the actors now stand, from the first frame of play
    // on: not where the previous stage's actors of the same slots last stood.
    UpdateActorColliders(&Player, 1);
    UpdateActorColliders(Enemies, EnemyCount);

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
    ReleaseMeshes(EnemyMeshes, kEnemyMeshCount);
    ReleaseMeshes(MapMeshes, kMapMeshCount);
    const std::string meshArchive = DataFile(kMeshArchive);
    const std::string meshTextures = DataFile(kMeshTextureDir);
    const std::string mapTextures = DataFile(kMapTextureDir);
    for (const EnemyKind& kind : kEnemyKinds) {
        LoadMeshFromArchive(meshArchive.c_str(), kind.mesh, meshTextures.c_str(), &EnemyMeshes[kind.meshSlot]);
        if (kind.partMesh != nullptr) {
            LoadMeshFromArchive(meshArchive.c_str(), kind.partMesh, meshTextures.c_str(),
                                &EnemyMeshes[kind.partSlot]);
        }
    }
    const int stage = (StageNumber >= 1 && StageNumber <= kStageCount) ? StageNumber : 1;
    const std::string n = std::to_string(stage);
    LoadMeshFromFile(DataFile("xfiles/maps/floor_" + n + ".x").c_str(), mapTextures.c_str(), &MapMeshes[0]);
    LoadMeshFromFile(DataFile("xfiles/maps/buildings.x").c_str(), mapTextures.c_str(), &MapMeshes[1]);

    const std::string actorPath = DataFile("bin/c" + n + ".pxd");
    const std::string mapPath = DataFile("bin/m" + n + ".pxd");
    if (!SetUpStageActors(actorPath.c_str(), mapPath.c_str())) {
        SceneId = SceneTitle;  // the quit request is on its way
        return;
    }
    SceneId = SceneCountdown;
}

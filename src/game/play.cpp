#include "game/play.h"

#include "core/buttons.h"
#include "core/manifest.h"
#include "core/scene_id.h"
#include "game/effects.h"
#include "game/enemies.h"
#include "game/player.h"
#include "game/shots.h"
#include "game/stage.h"
#include "game/world_render.h"
#include "graphics/device.h"
#include "graphics/sprite.h"
#include "sound/sound.h"

CameraPose FollowCamera;
CameraPose ShadowCamera;

void UpdateActorColliders(Actor* actors, int count) {
    for (int i = 0; i < count; ++i) {
        if (actors[i].collider != nullptr) actors[i].collider->sphereCentre = actors[i].position;
    }
}

int AnyEnemyAlive(const Actor* actors, int count) {
    for (int i = 0; i < count; ++i) {
        if (actors[i].hitPoints > 0) return 1;
    }
    return 0;
}

void PlayUpdate() {
    UpdateButtons();
    // A lost focus (when the player asked for it) pauses as Enter does.
    if (ButtonPressed(ButtonEnter) || FocusPauseRequest) {
        PlaySound(SndPause, 1);
        SceneId = ScenePause;  // the frame goes on
    }
    UpdatePlayer(&Player, &SceneId);
    UpdateEnemies(Enemies, EnemyCount);
    // Two half-steps: every shot moves, homes and is tested twice per frame.
    UpdateShots();
    UpdateShots();
    UpdateEffects();
    UpdateActorColliders(&Player, 1);
    UpdateActorColliders(Enemies, EnemyCount);
}

void BuildPlayCameras(int chase) {
    ShadowCamera = MakeCameraPose(Camera.cameraOffset, Camera.cameraAngles,
                                  Camera.targetOffset + Player.position);
    const Vec3 angles = chase ? FollowAngles(&Player.rotation) : FollowAngles(nullptr);
    FollowCamera = MakeCameraPose(Vec3{0.0f, 8.0f, -80.0f}, angles,
                                  Player.position + Vec3{0.0f, 4.0f, 0.0f});
}

void DrawStageFrame(int chase) {
    BuildPlayCameras(chase);
    SetDefaultRenderStates();
    BeginFrame(ClearColourByte(Settings.clearColour.x), ClearColourByte(Settings.clearColour.y),
               ClearColourByte(Settings.clearColour.z));
    DrawWorld(FollowCamera, ShadowCamera);
}

void DrawStartBanner() {
    if (StartBanner <= 0) return;
    // Alphas above 1 are clamped, so the first 21 frames are fully opaque.
    DrawSprite(TextureTable[TexStartBang], 150, 200, 662, 328, 0, 0, 512, 128, 512, 128, 1, 1, 1,
               static_cast<float>(StartBanner) / 100.0f);
    --StartBanner;
}

void PlayEndChecks() {
    // The frame on which StageTime is already 0 is the last one.
    if (StageTime > 0) {
        --StageTime;
    } else {
        SceneId = SceneStageEnd;
        EndReason = EndTimeOut;
    }
    if (Player.hitPoints <= 0) {
        SceneId = SceneStageEnd;
        EndReason = EndGameOver;
    }
    // Checked last so that a clear wins over game over and time out.
    if (!AnyEnemyAlive(Enemies, EnemyCount)) {
        SceneId = SceneStageEnd;
        EndReason = EndStageClear;
    }
}

void PlayFrame() {
    PlayUpdate();
    DrawStageFrame(1);
    DrawStartBanner();
    PlayEndChecks();
    EndFrame();
}

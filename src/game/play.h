// The play scene: one frame of the game, its cameras and its end checks.
#pragma once
#include "core/actor.h"
#include "graphics/transform.h"

extern CameraPose FollowCamera;
extern CameraPose ShadowCamera;

void PlayFrame();
// Input and the updates of one play frame, up to the collider centres.
void PlayUpdate();
// Time, life and clear checks, in that order; later ones overwrite earlier ones.
void PlayEndChecks();
// Builds both cameras. With chase 1 the follow angles chase the craft; with 0
// they stay where they are (the frozen scenes).
void BuildPlayCameras(int chase);
// Cameras, render-state preset, BeginFrame with the stage colour and DrawWorld:
// the picture of the stage that the play, countdown, pause and stage-end scenes share.
void DrawStageFrame(int chase);
// Draws "Start !" while StartBanner is above 0 and counts it down.
void DrawStartBanner();

void UpdateActorColliders(Actor* actors, int count);
int AnyEnemyAlive(const Actor* actors, int count);

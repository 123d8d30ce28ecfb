// One frame of the 3D stage as the follow camera sees it, with the player's
// projected shadow, the shots, the effects and the HUD.
#pragma once
#include "core/actor.h"
#include "graphics/device.h"
#include "graphics/mesh.h"
#include "graphics/transform.h"

// 256 x 256 target the player's silhouette is drawn into; created at start-up.
extern RenderTarget ShadowTarget;
// Written by DrawWorld on every call.
extern Matrix ViewMatrix;
extern Matrix ProjectionMatrix;

void DrawWorld(CameraPose follow, CameraPose shadow);
void DrawStageObjects(StageObject* objects, int count, const Matrix& view, const Matrix& projection);
void DrawPlayerShadow(const Actor& player, MeshAsset* mesh, const CameraPose& shadow,
                      const CameraPose& follow);
// The matrix that carries the shadow camera's clip-space near plane onto the
// ground y = 0.01 along rays from the shadow camera's eye.
Matrix ShadowProjectionMatrix(const Matrix& lightView, const Matrix& projection, Vec3 lightEye);

#include "game/world_render.h"

#include "core/enemy_kinds.h"
#include "game/actor_render.h"
#include "game/effects.h"
#include "game/hud.h"
#include "game/player.h"
#include "game/shots.h"
#include "game/stage.h"
#include "graphics/sprite.h"
#include "platform/render.h"

RenderTarget ShadowTarget;
Matrix ViewMatrix;
Matrix ProjectionMatrix;

void DrawWorld(CameraPose follow, CameraPose shadow) {
    const float* c = Settings.lightColour;
    SetDirectionalLight(0, Settings.lightDirection, c[0], c[1], c[2], c[3]);
    ViewMatrix = MakeViewMatrix(follow.eye, follow.target);
    ProjectionMatrix = MakeProjectionMatrix();
    DrawStageObjects(StageObjects, StageObjectCount, ViewMatrix, ProjectionMatrix);
    DrawStageObjects(&Floor, 1, ViewMatrix, ProjectionMatrix);
    DrawActors(&Player, 1, ViewMatrix, ProjectionMatrix);
    DrawActors(Enemies, EnemyCount, ViewMatrix, ProjectionMatrix);
    DrawPlayerShadow(Player, &EnemyMeshes[kPlayerCraft.meshSlot], shadow, follow);
    DrawShots(ViewMatrix, ProjectionMatrix);
    DrawEffects(ViewMatrix, ProjectionMatrix);
    DrawTimeHud(StageTime);
    DrawLifeGauge(Player.hitPoints);
}

void DrawStageObjects(StageObject* objects, int count, const Matrix& view, const Matrix& projection) {
    for (int i = 0; i < count; ++i) {
        const StageObject& o = objects[i];
        SetDefaultRenderStates();
        ApplyTransforms(
            TransformSet{MakeWorldMatrix(o.rotation, o.position, o.scale), view, projection});
        MeshAsset* mesh = nullptr;
        if (TagHas(o.name, "FLOOR")) {
            RdSetLighting(false);  // the floor carries its own light in its texture
            mesh = &MapMeshes[0];
        } else if (TagHas(o.name, "BUILD")) {
            mesh = &MapMeshes[1];  // every building draws the whole buildings mesh
        } else {
            continue;  // such objects only collide
        }
        DrawMesh(mesh, RD_CULL_CCW, o.emissive);
    }
}

Matrix ShadowProjectionMatrix(const Matrix& lightView, const Matrix& projection, Vec3 lightEye) {
    const Matrix t = MatMultiply(lightView, projection);
    Matrix tInv = MatIdentity();
    MatInverse(t, &tInv);
    const float light[4] = {lightEye.x, lightEye.y, lightEye.z, 1.0f};
    const float plane[4] = {0.0f, 1.0f, 0.0f, -0.01f};
    return MatMultiply(tInv, MatShadow(light, plane));
}

void DrawPlayerShadow(const Actor& player, MeshAsset* mesh, const CameraPose& shadow,
                      const CameraPose& follow) {
    if (ShadowTarget.target == nullptr) return;  // no target, no shadow

    // The silhouette, white on black, seen from the shadow camera. It is posed
    // with the follow camera's lagging angles, not the craft's own.
    RedirectRendering(&ShadowTarget, 256, 256, 0, 0, 0);
    RdSetLighting(false);
    const Vec3 angles = FollowAngles(nullptr);
    const Matrix lightView = MakeViewMatrix(shadow.eye, shadow.target);
    ApplyTransforms(TransformSet{MakeWorldMatrix(angles, player.position, player.scale), lightView,
                                 ProjectionMatrix});
    DrawMeshFlat(mesh, RD_CULL_CCW);
    RedirectRendering(nullptr, 0, 0, 0, 0, 0);

    // The silhouette image laid on the ground where the shadow falls,
    // darkening what is below it by 30 %.
    const Matrix w = ShadowProjectionMatrix(lightView, ProjectionMatrix, shadow.eye);
    ApplyTransforms(TransformSet{w, MakeViewMatrix(follow.eye, follow.target), ProjectionMatrix});
    RdSetBlend(RD_BLEND_ZERO, RD_BLEND_INVSRCCOLOR);
    RdSetCullMode(RD_CULL_CCW);
    SetTextureFiltering(1);
    static const Vec3 kCorners[4] = {
        {-1.0f, 1.0f, 0.0f}, {1.0f, 1.0f, 0.0f}, {-1.0f, -1.0f, 0.0f}, {1.0f, -1.0f, 0.0f}};
    Texture silhouette{RenderTargetTexture(ShadowTarget), 256, 256};
    DrawWorldQuad(&silhouette, kCorners, 0.3f, 0.3f, 0.3f, 0.0f, 0, 0, 256, 256, 256, 256);
    SetDefaultRenderStates();
}

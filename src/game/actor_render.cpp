#include "game/actor_render.h"

#include "core/enemy_kinds.h"
#include "core/manifest.h"
#include "game/actor_state.h"
#include "game/stage.h"
#include "graphics/device.h"
#include "graphics/mesh.h"
#include "graphics/sprite.h"
#include "graphics/transform.h"
#include "platform/render.h"

namespace {

// A square across the charger's nose that fades in as the charge rises.
void DrawChargeGlow(const Actor& a) {
    static const Vec3 kCorners[4] = {
        {-2.0f, -2.0f, 8.8f}, {2.0f, -2.0f, 8.8f}, {-2.0f, 2.0f, 8.8f}, {2.0f, 2.0f, 8.8f}};
    RdSetCullMode(RD_CULL_NONE);
    RdSetLighting(false);
    DrawWorldQuad(TextureTable[TexLight], kCorners, 1, 1, 1, ChargerCharge(a.state), 0, 0, 64, 64, 64, 64);
}

}  // namespace

void DrawActors(Actor* actors, int count, const Matrix& view, const Matrix& projection) {
    for (int i = 0; i < count; ++i) {
        const Actor& a = actors[i];
        if (a.hitPoints <= 0) continue;
        SetDefaultRenderStates();
        ApplyTransforms(
            TransformSet{MakeWorldMatrix(a.rotation, a.position, a.scale), view, projection});
        const EnemyKind* kind = EnemyKindOf(a.name);
        if (kind == nullptr) continue;
        DrawMesh(&EnemyMeshes[kind->meshSlot], RD_CULL_CCW, kind->emissive);
        if (a.state == nullptr) continue;
        // While the charge is nearly full the hidden flag flips every frame and the glow blinks.
        if (kind->look == KindLook::ChargeGlow && ChargerGlowHidden(a.state) == 0.0f) DrawChargeGlow(a);
        if (kind->look == KindLook::Turret) {
            const Vec3 turret = TankTurretAngles(a.state);
            ApplyTransforms(
                TransformSet{MakeWorldMatrix(turret, a.position, a.scale), view, projection});
            DrawMesh(&EnemyMeshes[kind->partSlot], RD_CULL_CCW, kind->emissive);
        }
    }
}

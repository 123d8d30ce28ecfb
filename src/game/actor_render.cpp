#include "game/actor_render.h"

#include "core/manifest.h"
#include "game/stage.h"
#include "graphics/device.h"
#include "graphics/mesh.h"
#include "graphics/sprite.h"
#include "graphics/transform.h"
#include "platform/render.h"

namespace {

struct ActorLook {
    const char* tag;
    int mesh;  // EnemyMeshes slot
    float emissive;
};

const ActorLook kLooks[] = {
    {"ZORBAT", 0, 0.2f}, {"ENEMY1", 1, 0.4f}, {"ENEMY2", 2, 0.2f},
    {"ENEMY3", 3, 0.8f}, {"ENEMY4", 4, 0.4f}, {"ENEMY5", 6, 0.2f},
};
constexpr int kTurretMesh = 5;

const ActorLook* LookOf(const char* name) {
    for (const ActorLook& look : kLooks) {
        if (TagHas(name, look.tag)) return &look;
    }
    return nullptr;
}

// A square across the charger's nose that fades in as the charge rises.
void DrawChargeGlow(const Actor& a) {
    static const Vec3 kCorners[4] = {
        {-2.0f, -2.0f, 8.8f}, {2.0f, -2.0f, 8.8f}, {-2.0f, 2.0f, 8.8f}, {2.0f, 2.0f, 8.8f}};
    RdSetCullMode(RD_CULL_NONE);
    RdSetLighting(false);
    DrawWorldQuad(TextureTable[TexLight], kCorners, 1, 1, 1, a.state->s[2], 0, 0, 64, 64, 64, 64);
}

}  // namespace

void DrawActors(Actor* actors, int count, const Matrix& view, const Matrix& projection) {
    for (int i = 0; i < count; ++i) {
        const Actor& a = actors[i];
        if (a.hitPoints <= 0) continue;
        SetDefaultRenderStates();
        ApplyTransforms(MakeWorldMatrix(a.rotation, a.position, a.scale), view, projection);
        const ActorLook* look = LookOf(a.name);
        if (look == nullptr) continue;
        DrawMesh(&EnemyMeshes[look->mesh], RD_CULL_CCW, look->emissive);
        if (a.state == nullptr) continue;
        // While the charge is nearly full s3 flips every frame and the glow blinks.
        if (TagHas(a.name, "ENEMY3") && a.state->s[3] == 0.0f) DrawChargeGlow(a);
        if (TagHas(a.name, "ENEMY4")) {
            const Vec3 turret{a.state->s[2], a.state->s[3], a.state->s[4]};
            ApplyTransforms(MakeWorldMatrix(turret, a.position, a.scale), view, projection);
            DrawMesh(&EnemyMeshes[kTurretMesh], RD_CULL_CCW, 0.4f);
        }
    }
}

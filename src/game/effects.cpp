#include "game/effects.h"

#include "core/random.h"
#include "game/shots.h"
#include "game/stage.h"
#include "graphics/device.h"
#include "graphics/mesh.h"
#include "graphics/sprite.h"
#include "graphics/transform.h"
#include "platform/render.h"

namespace {

// The four pieces of the sparks, stars and triangles fan out at these rolls.
const float kSpread[4] = {30.0f, -170.0f, 60.0f, -80.0f};

// Sparks: four streaks flying out across the shot's heading.
void DrawSparks(const Effect& e, const Matrix& view, const Matrix& projection) {
    const float f = static_cast<float>(e.frames);
    RdSetColorOp(RD_TOP_SELECTARG1);
    RdSetAlphaOp(RD_TOP_MODULATE);
    static const Vec3 kCorners[4] = {{-0.2f, 1.0f, 0.0f}, {0.2f, 1.0f, 0.0f}, {-0.2f, -1.0f, 0.0f},
                                     {0.2f, -1.0f, 0.0f}};
    for (float a : kSpread) {
        const Vec3 angles{e.rotation.x, e.rotation.y, e.rotation.z + a};
        const Vec3 u = TransformCoord(Vec3{0.0f, 1.0f, 0.0f}, RotationDegrees(angles));
        const Vec3 centre = e.position + u * ((60.0f - f) / 30.0f);
        ApplyTransforms(MakeWorldMatrix(angles, centre, Vec3{1, 1, 1}), view, projection);
        DrawWorldQuad(EffectTextures[0], kCorners, 1.0f, 1.0f, 1.0f, f / 24.0f, 0, 0, 16, 64, 16, 64);
    }
}

// Explosion and shell burst: a square facing the camera that slides back
// toward the impact point as it fades.
void DrawBurst(const Effect& e, Texture* tex, float scale, const Matrix& view,
               const Matrix& projection) {
    const float f = static_cast<float>(e.frames);
    RdSetColorOp(RD_TOP_SELECTARG1);
    RdSetAlphaOp(RD_TOP_MODULATE);
    RdSetCullMode(RD_CULL_NONE);
    ApplyTransforms(MakeWorldMatrix(Player.rotation, e.position, Vec3{scale, scale, scale}), view,
                    projection);
    const float s = f / 10.0f;
    const Vec3 corners[4] = {{-1.0f, 1.0f, s}, {1.0f, 1.0f, s}, {-1.0f, -1.0f, s}, {1.0f, -1.0f, s}};
    DrawWorldQuad(tex, corners, 1.0f, 1.0f, 1.0f, f / 28.0f, 0, 0, 64, 64, 64, 64);
}

// Stars and triangles: four small meshes spinning 8 degrees per frame.
void DrawSpinners(const Effect& e, MeshAsset* mesh, const Matrix& view, const Matrix& projection) {
    const float f = static_cast<float>(e.frames);
    for (float a : kSpread) {
        const Vec3 angles{e.rotation.x, e.rotation.y, e.rotation.z + a};
        const Vec3 u = TransformCoord(Vec3{0.0f, 1.0f, 0.0f}, RotationDegrees(angles));
        const Vec3 centre = e.position + u * (1.8f - f / 20.0f);
        const Vec3 spin{Player.rotation.x, Player.rotation.y - 8.0f * f, Player.rotation.z};
        ApplyTransforms(MakeWorldMatrix(spin, centre, Vec3{0.5f, 0.5f, 0.5f}), view, projection);
        DrawMesh(mesh, RD_CULL_CCW, 0.5f);
    }
}

}  // namespace

void SpawnEffect(const char* tag, Vec3 position, Vec3 rotation, int frames) {
    for (Effect& e : EffectPool) {
        if (e.frames > 0) continue;
        CopyTag(e.tag, tag);
        e.position = position;
        e.rotation = rotation;
        e.rotation.z = static_cast<float>(RandomRange(360, 0));
        e.frames = frames;
        return;
    }
}

void UpdateEffects() {
    for (Effect& e : EffectPool) {
        if (e.frames <= 0) continue;
        if (TagHas(e.tag, "NORMAL")) {
            // Sparks drift on along the shot's heading, slowing as they age.
            const Vec3 drift{0.0f, 0.0f, 0.001f * static_cast<float>(e.frames)};
            e.position = e.position + TransformCoord(drift, RotationDegrees(e.rotation));
        }
        --e.frames;
    }
}

void DrawEffects(const Matrix& view, const Matrix& projection) {
    for (const Effect& e : EffectPool) {
        if (e.frames <= 0) continue;
        SetDefaultRenderStates();
        if (TagHas(e.tag, "NORMAL")) {
            DrawSparks(e, view, projection);
        } else if (TagHas(e.tag, "TORP")) {
            DrawBurst(e, EffectTextures[1], 1.9f, view, projection);
        } else if (TagHas(e.tag, "STAR")) {
            RdSetColorOp(RD_TOP_SELECTARG2);
            DrawSpinners(e, &ShotMeshes[1], view, projection);
        } else if (TagHas(e.tag, "ENEMY4")) {
            DrawBurst(e, EffectTextures[2], 1.2f, view, projection);
        } else if (TagHas(e.tag, "ENEMY2")) {
            RdSetColorOp(RD_TOP_SELECTARG2);
            RdSetCullMode(RD_CULL_NONE);  // DrawMesh puts its own cull mode back
            DrawSpinners(e, &ShotMeshes[6], view, projection);
        }
    }
    SetDefaultRenderStates();
}

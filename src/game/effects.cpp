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

enum class Look {
    Sparks,    // four streaks flying out across the shot's heading, drifting on along it
    Burst,     // a square of `texture` facing the camera, at `scale`
    Spinners,  // four small `mesh` pieces spinning out
};

struct EffectLook {
    const char* tag;
    Look look;
    int texture;  // Burst: EffectTextures slot
    float scale;  // Burst
    int mesh;     // Spinners: ShotMeshes slot
    bool noCull;  // Spinners: both sides of the pieces are drawn
};

// The look of an effect by the tag of the shot that left it, chosen by
// substring test in this order; tags of no row ("ENEMY3") leave nothing to see.
const EffectLook kLooks[] = {
    {"NORMAL", Look::Sparks, 0, 0.0f, 0, false},
    {"TORP", Look::Burst, 1, 1.9f, 0, false},
    {"STAR", Look::Spinners, 0, 0.0f, 1, false},
    {"ENEMY4", Look::Burst, 2, 1.2f, 0, false},
    {"ENEMY2", Look::Spinners, 0, 0.0f, 6, true},
};

const EffectLook* LookOf(const char* tag) {
    for (const EffectLook& look : kLooks) {
        if (TagHas(tag, look.tag)) return &look;
    }
    return nullptr;
}

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
        ApplyTransforms(
            TransformSet{MakeWorldMatrix(angles, centre, Vec3{1, 1, 1}), view, projection});
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
    ApplyTransforms(TransformSet{
        MakeWorldMatrix(Player.rotation, e.position, Vec3{scale, scale, scale}), view, projection});
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
        ApplyTransforms(
            TransformSet{MakeWorldMatrix(spin, centre, Vec3{0.5f, 0.5f, 0.5f}), view, projection});
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
        const EffectLook* look = LookOf(e.tag);
        if (look != nullptr && look->look == Look::Sparks) {
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
        const EffectLook* look = LookOf(e.tag);
        if (look == nullptr) continue;
        switch (look->look) {
            case Look::Sparks:
                DrawSparks(e, view, projection);
                break;
            case Look::Burst:
                DrawBurst(e, EffectTextures[look->texture], look->scale, view, projection);
                break;
            case Look::Spinners:
                RdSetColorOp(RD_TOP_SELECTARG2);
                if (look->noCull) RdSetCullMode(RD_CULL_NONE);  // DrawMesh puts its own cull mode back
                DrawSpinners(e, &ShotMeshes[look->mesh], view, projection);
                break;
        }
    }
    SetDefaultRenderStates();
}

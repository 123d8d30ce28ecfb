#include "game/player.h"

#include <cmath>

#include "core/buttons.h"
#include "core/manifest.h"
#include "core/scene_id.h"
#include "game/actor_hits.h"
#include "game/actor_state.h"
#include "game/shots.h"
#include "game/stage.h"
#include "graphics/transform.h"
#include "platform/mouse.h"
#include "sound/sound.h"

namespace {

// Camera angles chasing the craft; roll stays 0.
Vec3 g_follow{0.0f, 0.0f, 0.0f};

void Fire(Actor* actor) {
    if (FireCooldown > 0) {
        --FireCooldown;
        return;
    }
    if (MouseButton(0)) {
        SpawnShot(actor->position, actor->rotation, "NORMAL", 1.55f, 180);
        PlaySound(SndBeam, 1);
        FireCooldown = 7;
    }
    if (MouseButton(1)) {
        SpawnShot(actor->position, actor->rotation, "STAR", 1.35f, 260);
        PlaySound(SndStar, 1);
        FireCooldown = 14;
    }
    // Counted here too, so a NORMAL shot comes every 7 frames and a STAR every 14.
    if (FireCooldown > 0) --FireCooldown;
}

// The turn step is kept in double precision; the angle is stored as a float.
void TurnAxis(Actor* actor, float* angle, int counts) {
    const double d = counts / 18.0;
    *angle = static_cast<float>(*angle + d);
    if (PlayerBlocked(actor)) *angle = static_cast<float>(*angle - d);
}

}  // namespace

void UpdatePlayer(Actor* actor, int* scene) {
    UpdateButtons();
    // Read every frame, so motion made while stunned is thrown away.
    int dx = 0;
    int dy = 0;
    MousePoll(&dx, &dy);

    if (actor->state != nullptr && KnockbackSpeed(actor->state) > 0.0f) {
        KnockbackStep(actor);
        return;
    }
    if (*scene == SceneStageLoad) {
        PlayerVelocity = Vec3{0.0f, 0.0f, 0.0f};
        FireCooldown = 0;
        return;
    }

    // Thrust follows the yaw only: pitching the nose does not tilt it.
    const Matrix turn = MatRotationY(actor->rotation.y * kDegToRad);
    const Vec3 right = TransformCoord(Vec3{1.0f, 0.0f, 0.0f}, turn);
    const Vec3 forward = TransformCoord(Vec3{0.0f, 0.0f, 1.0f}, turn);
    if (ButtonState[ButtonLeft]) PlayerVelocity = PlayerVelocity + right * -0.03f;
    if (ButtonState[ButtonRight]) PlayerVelocity = PlayerVelocity + right * 0.03f;
    if (ButtonState[ButtonUp]) PlayerVelocity = PlayerVelocity + forward * 0.04f;
    if (ButtonState[ButtonDown]) PlayerVelocity = PlayerVelocity + forward * -0.04f;
    PlayerVelocity = PlayerVelocity * 0.96f;
    // Climb and dive come after the damping, so the first frame moves exactly 0.02.
    if (ButtonState[ButtonSpace]) PlayerVelocity.y += 0.02f;
    if (ButtonState[ButtonShift]) PlayerVelocity.y -= 0.02f;
    MovePlayer(actor, PlayerVelocity);

    Fire(actor);

    TurnAxis(actor, &actor->rotation.y, dx);
    TurnAxis(actor, &actor->rotation.x, dy);

    // 80 degrees nose-down (0..80) and 80 nose-up (280..360); tested before wrapping.
    float& pitch = actor->rotation.x;
    if (pitch > 80.0f && pitch < 270.0f) {
        pitch = 80.0f;
    } else if (pitch > 90.0f && pitch < 280.0f) {
        pitch = 280.0f;
    }
    WrapAngles(&actor->rotation);
}

void MovePlayer(Actor* actor, Vec3 v) {
    // One axis at a time, so a blocked axis does not stop sliding along the others.
    for (int axis = 0; axis < 3; ++axis) {
        const float step = AxisOf(v, axis);
        AxisOf(actor->position, axis) += step;
        if (SpotBlocked(actor)) AxisOf(actor->position, axis) -= step * 1.001f;
    }
}

int PlayerBlocked(Actor* actor) { return TouchesEnemyOrObject(actor) ? 1 : 0; }

void KnockbackStep(Actor* actor) {
    if (actor->state == nullptr) return;
    float& speed = KnockbackSpeed(actor->state);
    const Vec3 dir =
        TransformCoord(Vec3{0.0f, 0.0f, 1.0f}, MatRotationY(KnockbackYaw(actor->state) * kDegToRad));
    speed *= 0.9f;
    if (speed <= 0.2f) speed = 0.0f;
    MovePlayer(actor, dir * speed);
}

Vec3 FollowAngles(const Vec3* target) {
    if (target == nullptr) return g_follow;
    if (target->x >= 99999.0f) {
        g_follow = Vec3{0.0f, 0.0f, 0.0f};
        return g_follow;
    }
    float* stored[2] = {&g_follow.x, &g_follow.y};
    const float goal[2] = {target->x, target->y};
    for (int i = 0; i < 2; ++i) {
        float d = *stored[i] - goal[i];
        if (d < -180.0f) {
            d += 360.0f;
        } else if (d > 180.0f) {
            d -= 360.0f;
        }
        // A fifth of the way along the shorter arc, snapping when nearly there.
        if (std::fabs(d) > 0.1f) {
            *stored[i] -= 0.2f * d;
        } else {
            *stored[i] = goal[i];
        }
    }
    g_follow.z = 0.0f;
    WrapAngles(&g_follow);
    return g_follow;
}

void ResetFollowAngles() {
    const Vec3 marker{99999.0f, 0.0f, 0.0f};
    FollowAngles(&marker);
}

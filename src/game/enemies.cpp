#include "game/enemies.h"

#include <cmath>

#include "core/enemy_kinds.h"
#include "game/actor_hits.h"
#include "game/actor_state.h"
#include "game/stage.h"
#include "graphics/transform.h"
#include "platform/render.h"

namespace {

// Radians to degrees the way the game has always done it: dividing by the
// single-precision degree constant.
double ToDegrees(double radians) { return radians / static_cast<double>(kDegToRad); }

// A normalised component can stray a hair past 1 by rounding; asin and acos
// would give NaN there.
double Clamped(double v) { return v < -1.0 ? -1.0 : (v > 1.0 ? 1.0 : v); }

// The behaviour of each row of the kinds table.
using Behaviour = void (*)(Actor*);
constexpr Behaviour StaysPut = nullptr;
#define ENEMY_KIND(tag, behaviour, ...) behaviour,
constexpr Behaviour kBehaviours[] = {
#include "core/enemy_kinds.def"
};
#undef ENEMY_KIND
static_assert(sizeof kBehaviours / sizeof kBehaviours[0] == kEnemyKindCount, "one behaviour per kind");

}  // namespace

Vec3 HeadingOf(Vec3 rotation) {
    const Matrix m = MatRotationYawPitchRoll(rotation.y * kDegToRad, rotation.x * kDegToRad, 0.0f);
    return TransformCoord(Vec3{0.0f, 0.0f, 1.0f}, m);
}

void UpdateEnemies(Actor* actors, int count) {
    for (int i = 0; i < count; ++i) {
        Actor* a = &actors[i];
        if (a->hitPoints <= 0) continue;
        // Kinds without a behaviour ("ENEMY1") and unknown tags are stationary targets.
        const EnemyKind* kind = MovingKindOf(a->name);
        if (kind != nullptr) kBehaviours[kind - kEnemyKinds](a);
    }
}

int TurnToward(Actor* actor, Vec3 target, float step, float limit) {
    const Vec3 from = actor->position;
    // The viewing direction of a look-at from the actor to the target.
    const Vec3 d = Normalize(target - from);
    Vec3& rot = actor->rotation;

    // A target at the actor's own position gives no direction, and one
    // straight above or below gives no heading: whatever cannot be worked out
    // is left as it was instead of turning into NaN.
    const bool hasDirection = d.x != 0.0f || d.y != 0.0f || d.z != 0.0f;
    const bool hasHeading = d.x != 0.0f || d.z != 0.0f;

    if (hasHeading) {
        float desired = static_cast<float>(ToDegrees(std::asin(Clamped(d.x))));
        const float dz = from.z - target.z;
        if (dz > 0.0f) desired = 180.0f - desired;
        if (std::fabs(dz) < 10.0f) {
            desired = static_cast<float>(ToDegrees(std::acos(Clamped(d.z))));
            if (target.x - from.x < 0.0f) desired = -desired;
        }
        desired = WrapAngle(desired);

        const float diff = rot.y - desired;
        const float sign = (diff < -180.0f || diff > 180.0f) ? -1.0f : 1.0f;
        if (std::fabs(diff) < limit) {
            if (std::fabs(diff) < step) {
                rot.y = desired;
            } else if (rot.y < desired) {
                rot.y += step * sign;
            } else if (rot.y > desired) {
                rot.y -= step * sign;
            }
        }
    }
    if (hasDirection) {
        rot.x = WrapAngle(static_cast<float>(ToDegrees(std::asin(Clamped(-d.y)))));
    }
    WrapAngles(&rot);
    return 1;
}

Actor* MoveActor(Actor* actor, Vec3 delta) {
    for (int axis = 0; axis < 3; ++axis) {
        const float step = AxisOf(delta, axis);
        AxisOf(actor->position, axis) += step;
        // Touching the player ends the move at once: the caller rams.
        if (FindActorHit(actor, &Player, 1) != nullptr) return &Player;
        if (SpotBlocked(actor)) {
            // A little more than was added, so the actor ends clear of what it touched.
            AxisOf(actor->position, axis) -= step * 1.001f;
            if (actor->state != nullptr) MoveWasBlocked(actor->state) = -1.0f;
        }
    }
    return nullptr;
}

void (*DamageWatch)(const Actor* actor, int amount) = nullptr;

void DamageActor(Actor* actor, int amount) {
    if (DamageWatch != nullptr) DamageWatch(actor, amount);
    actor->hitPoints -= amount;
    if (actor->hitPoints <= 0) {
        actor->hitPoints = 0;
        if (actor->collider != nullptr) actor->collider->active = 0;
    }
}

namespace {

// The narrow forward view of an observer, built once and used for many points.
struct ViewProbe {
    Matrix view;
    Matrix projection;
    Viewport viewport;
};

ViewProbe MakeProbe(const Actor& observer) {
    ViewProbe probe;
    const Vec3 eye = observer.position;
    const float yaw = observer.rotation.y * kDegToRad;
    const float pitch = observer.rotation.x * kDegToRad;
    const Vec3 look = eye + Vec3{std::sin(yaw), -std::sin(pitch), std::cos(yaw)};
    probe.view = MakeViewMatrix(eye, look);
    // Without a device (logic tests, tools) the game's own 800 x 600 view stands in.
    if (RdIsCreated()) {
        probe.viewport = RdGetViewport();
        probe.projection = MakeProjectionMatrix();
    } else {
        probe.viewport = Viewport{0, 0, 800, 600, 0.0f, 1.0f};
        probe.projection = MatPerspectiveFovLH(0.17453292f, 800.0f / 600.0f, 1.0f, 1000.0f);
    }
    return probe;
}

// Row vector (v, w) times m, summed in the same order as a matrix product.
void RowTimes(const float v[4], const Matrix& m, float out[4]) {
    for (int j = 0; j < 4; ++j) {
        out[j] = v[0] * m.m[0][j] + v[1] * m.m[1][j] + v[2] * m.m[2][j] + v[3] * m.m[3][j];
    }
}

// The point projected as the origin of a world matrix that only translates to
// it would be: the same sums in the same order, without building the matrices.
bool ProbeSees(const ViewProbe& probe, Vec3 point) {
    const float p[4] = {point.x, point.y, point.z, 1.0f};
    float camera[4];
    float clip[4];
    RowTimes(p, probe.view, camera);
    RowTimes(camera, probe.projection, clip);
    const Viewport& vp = probe.viewport;
    const float w = static_cast<float>(vp.width);
    const float h = static_cast<float>(vp.height);
    const float x = static_cast<float>(vp.x) + (1.0f + clip[0] / clip[3]) * w / 2.0f;
    const float y = static_cast<float>(vp.y) + (1.0f - clip[1] / clip[3]) * h / 2.0f;
    const float z = vp.minZ + clip[2] / clip[3] * (vp.maxZ - vp.minZ);
    // The 800 x 600 screen with a 20-pixel margin, in front of the eye and nearer than the far plane.
    return x > -20.0f && x < 820.0f && y > -20.0f && y < 620.0f && z < 1.0f;
}

}  // namespace

bool TargetInView(Vec3 point, const Actor& observer) {
    return ProbeSees(MakeProbe(observer), point);
}

Actor* NearestTarget(const Actor& shot, Actor* actors, int count, int needInView) {
    ViewProbe probe;
    if (needInView == 1) probe = MakeProbe(shot);
    Actor* best = nullptr;
    float bestDistance = 0.0f;
    for (int i = 0; i < count; ++i) {
        Actor* a = &actors[i];
        if (a->hitPoints <= 0) continue;
        if (needInView == 1 && !ProbeSees(probe, a->position)) continue;
        const float distance = Length(a->position - shot.position);
        if (best == nullptr || distance < bestDistance) {
            best = a;
            bestDistance = distance;
        }
    }
    return best;
}

void RamPlayer(const Actor& rammer) {
    DamageActor(&Player, 10);
    if (Player.state == nullptr) return;
    KnockbackSpeed(Player.state) = 4.0f;
    KnockbackPitch(Player.state) = rammer.rotation.x;
    KnockbackYaw(Player.state) = rammer.rotation.y;
    KnockbackRoll(Player.state) = rammer.rotation.z;
}

#include "pilots.h"

#include <cmath>
#include <cstring>

namespace {

const char* const kNames[kPilotCount] = {"idle", "novice", "skilled"};

// The pilot's own dice, apart from the game's generator.
uint32_t Roll(Pilot* p) {
    p->rng ^= p->rng << 13;
    p->rng ^= p->rng >> 7;
    p->rng ^= p->rng << 17;
    return static_cast<uint32_t>(p->rng >> 32);
}

float Uniform(Pilot* p, float lo, float hi) {
    return lo + (hi - lo) * static_cast<float>(Roll(p) % 10001) / 10000.0f;
}

int Between(Pilot* p, int lo, int hi) { return lo + static_cast<int>(Roll(p) % static_cast<uint32_t>(hi - lo + 1)); }

float Wrap180(float a) {
    while (a > 180.0f) a -= 360.0f;
    while (a <= -180.0f) a += 360.0f;
    return a;
}

float Degrees(float radians) { return radians / kDegToRad; }

float Horizontal(Vec3 d) { return std::sqrt(d.x * d.x + d.z * d.z); }

// Where the craft points now: the picture's heading plus the turns the
// pilot's hand has made since that picture (12 frames of them).
void HeadingNow(const Pilot& p, const Glimpse& seen, int frame, float* yaw, float* pitch) {
    int dx = 0, dy = 0;
    for (int f = seen.frame + 1; f < frame; ++f) {
        dx += p.madeDx[f % (kReactionFrames + 1)];
        dy += p.madeDy[f % (kReactionFrames + 1)];
    }
    *yaw = Wrap180(seen.craftRotation.y + static_cast<float>(dx) / 18.0f);
    float signedPitch = Wrap180(seen.craftRotation.x) + static_cast<float>(dy) / 18.0f;
    if (signedPitch > 80.0f) signedPitch = 80.0f;
    if (signedPitch < -80.0f) signedPitch = -80.0f;
    *pitch = signedPitch;
}

// Angle in degrees between the nose (yaw, pitch) and the direction d.
float OffNose(float yaw, float pitch, Vec3 d) {
    const float y = yaw * kDegToRad, x = pitch * kDegToRad;
    const Vec3 nose{std::sin(y) * std::cos(x), -std::sin(x), std::cos(y) * std::cos(x)};
    const float len = Length(d);
    if (len <= 0.0f) return 0.0f;
    float c = Dot(nose, d) / len;
    if (c > 1.0f) c = 1.0f;
    if (c < -1.0f) c = -1.0f;
    return Degrees(std::acos(c));
}

// What it knows of the enemies: every one it has seen, where it saw it last.
// One it looks for where it was remembered and does not find is forgotten.
void Remember(Pilot* p, const Glimpse& g) {
    bool seen[kMaxEnemies] = {};
    for (int i = 0; i < g.enemyCount; ++i) {
        const SeenThing& e = g.enemies[i];
        p->enemies[e.id] = PilotMemory{true, e.kind, e.position};
        seen[e.id] = true;
    }
    for (int i = 0; i < kMaxEnemies; ++i) {
        if (p->enemies[i].known && !seen[i] && OnScreen(g.view, p->enemies[i].position, 60.0f))
            p->enemies[i].known = false;
    }
}

int NearestKnown(const Pilot& p, Vec3 from) {
    int best = -1;
    float bestDistance = 0.0f;
    for (int i = 0; i < kMaxEnemies; ++i) {
        if (!p.enemies[i].known) continue;
        const float d = Length(p.enemies[i].position - from);
        if (best < 0 || d < bestDistance) {
            best = i;
            bestDistance = d;
        }
    }
    return best;
}

// Turns toward (yaw, pitch) by part of the error, as a hand on a mouse does,
// never faster than kMaxTurnDegrees a frame; returns the mouse counts.
void AimHand(Pilot* p, float yawNow, float pitchNow, float yawGoal, float pitchGoal, Controls* c) {
    const float gain = Uniform(p, 0.25f, 0.4f);
    float turnYaw = Wrap180(yawGoal - yawNow) * gain;
    float turnPitch = (pitchGoal - pitchNow) * gain;
    const float size = std::sqrt(turnYaw * turnYaw + turnPitch * turnPitch);
    if (size > kMaxTurnDegrees) {
        turnYaw *= kMaxTurnDegrees / size;
        turnPitch *= kMaxTurnDegrees / size;
    }
    // 18 mouse counts make one degree; whole counts only, never past the limit.
    c->mouseDx = static_cast<int>(turnYaw * 18.0f);
    c->mouseDy = static_cast<int>(turnPitch * 18.0f);
}

// Climb or dive toward a height, allowing for the climb speed it can see.
void HoldHeight(const Pilot& p, float height, Controls* c) {
    if (p.trailCount < 2) return;
    const Vec3 now = p.trail[(p.trailCount - 1) % 32];
    const Vec3 before = p.trail[(p.trailCount - 2) % 32];
    const float ahead = now.y + (now.y - before.y) * 15.0f;
    if (ahead < height - 1.0f) c->keys[KeyClimb] = true;
    if (ahead > height + 1.0f) c->keys[KeyDive] = true;
}

// Pushing forward and not getting anywhere (a wall, a roof): go up for a while.
void UnlessStuck(Pilot* p, int frame, Controls* c) {
    constexpr int kWindow = 30;
    if (frame < p->climbUntil) {
        c->keys[KeyClimb] = true;
        c->keys[KeyDive] = false;
        return;
    }
    if (p->trailCount <= kWindow) return;
    for (int k = 1; k <= kWindow; ++k)
        if (!p->forwardHeld[(frame - k) % 32]) return;
    const Vec3 now = p->trail[(p->trailCount - 1) % 32];
    const Vec3 then = p->trail[(p->trailCount - 1 - kWindow) % 32];
    if (Horizontal(now - then) < 4.0f) p->climbUntil = frame + 40;
}

// The skilled pilot's footwork: where to hold its height, whether to weave.
void Footwork(Pilot* p, const Glimpse& g, int target, int frame, Controls* c) {
    const PilotMemory& t = p->enemies[target];
    const Vec3 d = t.position - g.craftPosition;
    const float horizontal = Horizontal(d);
    const bool hurt = g.life * 2 < g.maxLife;
    const float standoff = hurt ? 65.0f : 32.0f;

    c->keys[KeyForward] = horizontal > standoff + 5.0f;
    c->keys[KeyBack] = horizontal < standoff - 8.0f;

    // Tank shells fly level at the turret's height: stay well above it. Below
    // a gunship it drops torpedoes; more than 2.5 under it its bullets fly
    // level over the craft, so the craft sits level with it or above.
    float height = t.position.y;
    if (t.kind == SeenTank) height = 7.0f;
    if (t.kind == SeenGunship) height = t.position.y + 1.0f;
    for (const PilotMemory& e : p->enemies) {
        if (e.known && e.kind == SeenGunship && Horizontal(e.position - g.craftPosition) < 70.0f &&
            height < e.position.y - 2.0f)
            height = e.position.y - 2.0f;
    }
    HoldHeight(*p, height, c);

    // Weave across the line of fire of anything armed nearby; circle tanks.
    bool underFire = false;
    int dodgeSide = 0;
    for (int i = 0; i < g.shotCount; ++i) {
        const SeenThing& s = g.shots[i];
        const Vec3 toCraft = g.craftPosition - s.position;
        const float distance = Length(toCraft);
        if (distance > 45.0f) continue;
        const float yaw = s.rotation.y * kDegToRad, pitch = s.rotation.x * kDegToRad;
        const Vec3 heading{std::sin(yaw) * std::cos(pitch), -std::sin(pitch), std::cos(yaw) * std::cos(pitch)};
        if (Dot(heading, toCraft) < 0.9f * distance) continue;  // not coming this way
        underFire = true;
        // Step off its line on the side the craft already leans to.
        const float side = heading.x * toCraft.z - heading.z * toCraft.x;
        dodgeSide = side > 0.0f ? 1 : -1;
        if (s.kind == SeenTorpedo) c->keys[KeyClimb] = true, c->keys[KeyDive] = false;
    }
    const bool armed = t.kind != SeenTarget;
    if (frame >= p->weaveUntil) {
        p->weaveSide = -p->weaveSide;
        p->weaveUntil = frame + (t.kind == SeenTank ? Between(p, 150, 260) : Between(p, 40, 110));
    }
    int side = 0;
    if (underFire) side = dodgeSide;
    else if (armed && horizontal < standoff + 45.0f) side = p->weaveSide;
    if (side != 0) {
        // Seen from the craft facing the target, "right" is +x turned by its yaw.
        c->keys[side > 0 ? KeyRight : KeyLeft] = true;
    }
}

}  // namespace

const char* PilotName(int pilot) { return pilot >= 0 && pilot < kPilotCount ? kNames[pilot] : "?"; }

int PilotByName(const char* name) {
    for (int i = 0; i < kPilotCount; ++i)
        if (std::strcmp(name, kNames[i]) == 0) return i;
    return -1;
}

void StartPilot(Pilot* p, int kind, uint32_t seed) {
    *p = Pilot{};
    p->kind = kind;
    // Each seed is another player's hand; the mixing spreads neighbouring seeds apart.
    uint64_t z = (static_cast<uint64_t>(seed) << 8 | static_cast<uint64_t>(kind)) + 0x9E3779B97F4A7C15ull;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    p->rng = (z ^ (z >> 31)) | 1u;
    std::memset(p->enemies, 0, sizeof p->enemies);
    std::memset(p->madeDx, 0, sizeof p->madeDx);
    std::memset(p->madeDy, 0, sizeof p->madeDy);
    std::memset(p->forwardHeld, 0, sizeof p->forwardHeld);
    p->weaveSide = (Roll(p) & 1) ? 1 : -1;
    p->searchPitchFlip = (Roll(p) & 1) ? 1 : -1;
}

Controls FlyPilot(Pilot* p, const Glimpse* seen, int frame) {
    Controls c;
    const int slot = frame % (kReactionFrames + 1);
    p->madeDx[slot] = 0;
    p->madeDy[slot] = 0;
    p->forwardHeld[frame % 32] = false;
    if (p->kind == PilotIdle || seen == nullptr) return c;

    const Glimpse& g = *seen;
    Remember(p, g);
    p->trail[p->trailCount % 32] = g.craftPosition;
    ++p->trailCount;

    float yaw, pitch;
    HeadingNow(*p, g, frame, &yaw, &pitch);
    if (frame >= p->aimUntil) {
        const float spread = p->kind == PilotNovice ? 2.5f : 1.2f;
        p->aimYaw = Uniform(p, -spread, spread);
        p->aimPitch = Uniform(p, -spread, spread) * 0.8f;
        p->aimUntil = frame + Between(p, 20, 60);
    }

    const int target = NearestKnown(*p, g.craftPosition);
    if (target < 0) {
        // Nothing known: look around, turning steadily, the nose now level,
        // now raised, a turn each.
        if (frame % 120 == 0) p->searchPitchFlip = -p->searchPitchFlip;
        const float lookPitch = p->searchPitchFlip > 0 ? -12.0f : 2.0f;
        AimHand(p, yaw, pitch, yaw + 20.0f, lookPitch, &c);
    } else {
        const Vec3 d = p->enemies[target].position - g.craftPosition;
        const float goalYaw = Degrees(std::atan2(d.x, d.z)) + p->aimYaw;
        float goalPitch = -Degrees(std::atan2(d.y, Horizontal(d))) + p->aimPitch;
        if (goalPitch > 75.0f) goalPitch = 75.0f;
        if (goalPitch < -75.0f) goalPitch = -75.0f;
        AimHand(p, yaw, pitch, goalYaw, goalPitch, &c);

        const bool onNose = OffNose(yaw, pitch, d) < 15.0f;
        c.buttons[0] = onNose;
        if (p->kind == PilotSkilled) {
            c.buttons[1] = onNose;
            Footwork(p, g, target, frame, &c);
        } else {
            c.keys[KeyForward] = Horizontal(d) > 20.0f;
            HoldHeight(*p, p->enemies[target].position.y, &c);
        }
    }
    UnlessStuck(p, frame, &c);
    p->madeDx[slot] = c.mouseDx;
    p->madeDy[slot] = c.mouseDy;
    p->forwardHeld[frame % 32] = c.keys[KeyForward];
    return c;
}

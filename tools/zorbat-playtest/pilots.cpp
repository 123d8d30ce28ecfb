#include "pilots.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "game/enemies.h"

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
        PilotMemory& m = p->enemies[e.id];
        const Vec3 velocity = m.known && m.seen == g.frame - 1 ? e.position - m.position : Vec3{0, 0, 0};
        m = PilotMemory{true, e.kind, e.position, velocity, g.frame};
        seen[e.id] = true;
    }
    for (int i = 0; i < kMaxEnemies; ++i) {
        if (p->enemies[i].known && !seen[i] && OnScreen(g.view, p->enemies[i].position, 60.0f))
            p->enemies[i].known = false;
    }
}

// The nearest enemy it knows of; the skilled pilot counts an aircraft, which
// comes after it, as twice as near. It keeps after the one it is already
// fighting unless another comes much nearer, as a player finishes a target
// rather than spreading hits over several.
float Reach(const Pilot& p, int i, Vec3 from) {
    const float d = Length(p.enemies[i].position - from);
    return p.kind == PilotSkilled && p.enemies[i].kind == SeenAircraft ? d * 0.5f : d;
}

int ChooseTarget(Pilot* p, Vec3 from) {
    int best = -1;
    float bestDistance = 0.0f;
    for (int i = 0; i < kMaxEnemies; ++i) {
        if (!p->enemies[i].known) continue;
        const float d = Reach(*p, i, from);
        if (best < 0 || d < bestDistance) {
            best = i;
            bestDistance = d;
        }
    }
    const int current = p->target;
    if (current >= 0 && p->enemies[current].known && best != current &&
        bestDistance > 0.6f * Reach(*p, current, from))
        best = current;
    p->target = best;
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

// Pushing on and not getting anywhere (a wall, a roof, the edge of the
// stage): back away the other way for a while, and go up if low among the
// buildings. It judges by the pictures, so the keys of 12 more frames count.
void UnlessStuck(Pilot* p, int frame, Controls* c) {
    constexpr int kWindow = 30;
    if (frame < p->unstickUntil) {
        const bool forward = c->keys[KeyForward];
        c->keys[KeyForward] = c->keys[KeyBack];
        c->keys[KeyBack] = forward || !c->keys[KeyForward];
        c->keys[KeyLeft] = p->unstickSide < 0;
        c->keys[KeyRight] = p->unstickSide > 0;
        if (p->trailCount > 0 && p->trail[(p->trailCount - 1) % 32].y < 24.0f) {
            c->keys[KeyClimb] = true;
            c->keys[KeyDive] = false;
        }
        return;
    }
    if (p->trailCount <= kWindow) return;
    // Turning and not turning: wedged against a building, which refuses the
    // turn. The pictures of the last kWindow frames show the turns of the
    // frames before them.
    float turned = 0.0f;
    for (int k = kReactionFrames + 1; k <= kWindow + kReactionFrames; ++k) turned += p->turnMade[(frame - k) % 64];
    const float seenTurn = Wrap180(p->trailYaw[(p->trailCount - 1) % 32] - p->trailYaw[(p->trailCount - 1 - kWindow) % 32]);
    const bool wedged = std::fabs(turned) > 20.0f && std::fabs(seenTurn) < 2.0f;
    bool pushing = true;
    for (int k = 1; k <= kWindow + kReactionFrames; ++k)
        if (!p->moveHeld[(frame - k) % 64]) pushing = false;
    const Vec3 now = p->trail[(p->trailCount - 1) % 32];
    const Vec3 then = p->trail[(p->trailCount - 1 - kWindow) % 32];
    if (wedged || (pushing && Horizontal(now - then) < 4.0f)) {
        p->unstickUntil = frame + 45;
        p->unstickSide = c->keys[KeyRight] ? -1 : (c->keys[KeyLeft] ? 1 : ((Roll(p) & 1) ? 1 : -1));
    }
}

// The skilled pilot's footwork: where to hold its height, whether to weave.
void Footwork(Pilot* p, const Glimpse& g, Vec3 craft, int target, int frame, Controls* c) {
    const PilotMemory& t = p->enemies[target];
    const Vec3 d = t.position - craft;
    const float horizontal = Horizontal(d);
    const bool hurt = g.life * 2 < g.maxLife;
    const float standoff = hurt ? 65.0f : 32.0f;

    c->keys[KeyForward] = horizontal > standoff + 5.0f;
    c->keys[KeyBack] = horizontal < standoff - 8.0f;

    // Tank shells fly level at the turret's height: stay well above it. Below
    // a gunship, near or far, it drops torpedoes; more than 2.5 under it its
    // bullets fly level over the craft, so the craft keeps level with every
    // gunship it knows of, or above.
    float height = t.position.y;
    if (t.kind == SeenTank) height = 7.0f;
    if (t.kind == SeenGunship) height = t.position.y + 1.0f;
    for (const PilotMemory& e : p->enemies) {
        if (e.known && e.kind == SeenGunship && height < e.position.y - 2.0f) height = e.position.y - 2.0f;
    }
    // A torpedo's sound with no gunship in sight: one is somewhere above; go up.
    if (g.torpedoesDropped > 0) {
        p->torpedoCeiling = std::min(std::max(p->torpedoCeiling, g.craftPosition.y + 6.0f), 50.0f);
        p->torpedoAlarmUntil = frame + 150;
    }
    if (frame >= p->torpedoAlarmUntil) p->torpedoCeiling = 0.0f;
    height = std::max(height, p->torpedoCeiling);
    HoldHeight(*p, height, c);

    // A shot coming its way: step off its line, and keep going that way a
    // while. Homing torpedoes turn their nose up or down at once but their
    // heading only slowly, so sideways is the way out for them too.
    const SeenThing* nearest = nullptr;
    float nearestDistance = 45.0f;
    for (int i = 0; i < g.shotCount; ++i) {
        const SeenThing& s = g.shots[i];
        const Vec3 toCraft = g.craftPosition - s.position;
        const float distance = Length(toCraft);
        if (distance > nearestDistance) continue;
        if (Dot(HeadingOf(s.rotation), toCraft) < 0.9f * distance) continue;  // not coming this way
        nearest = &s;
        nearestDistance = distance;
    }
    // A charger whose glow blinks is about to fire along its nose, which
    // follows the craft: keep moving across it, no turning back, until the beam is by.
    for (int i = 0; i < g.enemyCount; ++i) {
        const SeenThing& e = g.enemies[i];
        if (e.kind == SeenCharger && e.glow > 1.0f && Length(e.position - g.craftPosition) < 200.0f &&
            frame >= p->dodgeUntil) {
            p->dodgeUntil = frame + 70;
            p->weaveUntil = std::max(p->weaveUntil, p->dodgeUntil);
        }
    }
    if (nearest != nullptr && frame >= p->dodgeUntil) {
        const Vec3 heading = HeadingOf(nearest->rotation);
        const Vec3 toCraft = g.craftPosition - nearest->position;
        // The craft's right, against the side of the shot's line it is on.
        const float yaw = g.craftRotation.y * kDegToRad;
        const Vec3 right{std::cos(yaw), 0.0f, -std::sin(yaw)};
        const Vec3 off = toCraft - heading * Dot(heading, toCraft);
        p->weaveSide = Dot(off, right) >= 0.0f ? 1 : -1;
        p->dodgeUntil = frame + 30;
        p->weaveUntil = std::max(p->weaveUntil, p->dodgeUntil);
    }
    // Otherwise weave across the line of fire of anything armed nearby; go
    // round tanks and aircraft in long circles, which their slow turning
    // cannot follow.
    const bool circles = t.kind == SeenTank || t.kind == SeenAircraft;
    if (frame >= p->weaveUntil) {
        p->weaveSide = -p->weaveSide;
        p->weaveUntil = frame + (circles ? Between(p, 150, 260) : Between(p, 90, 180));
    }
    const bool armed = t.kind != SeenTarget;
    if (frame < p->dodgeUntil || (armed && horizontal < standoff + 45.0f))
        c->keys[p->weaveSide > 0 ? KeyRight : KeyLeft] = true;
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
    std::memset(p->moveHeld, 0, sizeof p->moveHeld);
    std::memset(p->turnMade, 0, sizeof p->turnMade);
    p->weaveSide = (Roll(p) & 1) ? 1 : -1;
    p->searchLook = static_cast<int>(Roll(p) % 3);
}

Controls FlyPilot(Pilot* p, const Glimpse* seen, int frame) {
    Controls c;
    const int slot = frame % (kReactionFrames + 1);
    p->madeDx[slot] = 0;
    p->madeDy[slot] = 0;
    p->moveHeld[frame % 64] = false;
    p->turnMade[frame % 64] = 0.0f;
    if (p->kind == PilotIdle || seen == nullptr) return c;

    const Glimpse& g = *seen;
    Remember(p, g);
    p->trail[p->trailCount % 32] = g.craftPosition;
    p->trailYaw[p->trailCount % 32] = g.craftRotation.y;
    ++p->trailCount;

    float yaw, pitch;
    HeadingNow(*p, g, frame, &yaw, &pitch);
    // Where the craft is by now: the picture's place carried on at the speed
    // the last two pictures show.
    Vec3 craft = g.craftPosition;
    if (p->trailCount >= 2) {
        const Vec3 before = p->trail[(p->trailCount - 2) % 32];
        craft = craft + (g.craftPosition - before) * static_cast<float>(frame - g.frame);
    }
    if (frame >= p->aimUntil) {
        const float spread = p->kind == PilotNovice ? 2.5f : 1.2f;
        p->aimYaw = Uniform(p, -spread, spread);
        p->aimPitch = Uniform(p, -spread, spread) * 0.8f;
        p->aimUntil = frame + Between(p, 20, 60);
    }

    const int target = ChooseTarget(p, craft);
    if (target < 0) {
        // Nothing known: look around from roof height, turning steadily, the
        // nose raised, level, then lowered, a turn each.
        static const float kLook[3] = {-12.0f, 2.0f, 20.0f};
        if (frame % 90 == 0) p->searchLook = (p->searchLook + 1) % 3;
        AimHand(p, yaw, pitch, yaw + 20.0f, kLook[p->searchLook], &c);
        HoldHeight(*p, 22.0f, &c);
    } else {
        const PilotMemory& t = p->enemies[target];
        Vec3 aim = t.position;
        if (p->kind == PilotSkilled && t.seen == g.frame) {
            // It leads a target it has in sight: where it will be when the
            // beam (3.1 units a frame) gets there, counted from the picture.
            const float flight = std::min(Length(t.position - craft) / 3.1f, 45.0f);
            aim = aim + t.velocity * (static_cast<float>(frame - t.seen) + flight);
        }
        const Vec3 d = aim - craft;
        const float goalYaw = Degrees(std::atan2(d.x, d.z)) + p->aimYaw;
        float goalPitch = -Degrees(std::atan2(d.y, Horizontal(d))) + p->aimPitch;
        if (goalPitch > 75.0f) goalPitch = 75.0f;
        if (goalPitch < -75.0f) goalPitch = -75.0f;
        AimHand(p, yaw, pitch, goalYaw, goalPitch, &c);

        const bool onNose = OffNose(yaw, pitch, d) < 15.0f;
        c.buttons[0] = onNose;
        if (p->kind == PilotSkilled) {
            c.buttons[1] = onNose;
            Footwork(p, g, craft, target, frame, &c);
        } else {
            c.keys[KeyForward] = Horizontal(d) > 20.0f;
            HoldHeight(*p, p->enemies[target].position.y, &c);
        }
    }
    UnlessStuck(p, frame, &c);
    p->madeDx[slot] = c.mouseDx;
    p->madeDy[slot] = c.mouseDy;
    p->turnMade[frame % 64] = static_cast<float>(c.mouseDx) / 18.0f;
    p->moveHeld[frame % 64] =
        c.keys[KeyForward] || c.keys[KeyBack] || c.keys[KeyLeft] || c.keys[KeyRight];
    return c;
}

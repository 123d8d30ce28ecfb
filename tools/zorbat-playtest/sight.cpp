#include "sight.h"

#include "game/play.h"
#include "graphics/transform.h"

namespace {

// The play picture: the game's 10-degree lens on its 800 x 600 view.
const Matrix& Projection() {
    static const Matrix p = MatPerspectiveFovLH(0.17453292f, 800.0f / 600.0f, 1.0f, 1000.0f);
    return p;
}

int EnemyKind(const char* tag) {
    // The order the enemy update tests tags in, then the drone.
    if (TagHas(tag, "ENEMY2")) return SeenGunship;
    if (TagHas(tag, "ENEMY3")) return SeenCharger;
    if (TagHas(tag, "ENEMY4")) return SeenTank;
    if (TagHas(tag, "ENEMY5")) return SeenAircraft;
    return SeenTarget;
}

// Enemy shots by the model they are drawn with; 0 for the player's own.
int ShotKind(const char* tag) {
    if (TagHas(tag, "NORMAL") || TagHas(tag, "STAR")) return 0;
    if (TagHas(tag, "ENEMY2")) return SeenBullet;
    if (TagHas(tag, "ENEMY3")) return SeenBeam;
    if (TagHas(tag, "ENEMY4")) return SeenShell;
    if (TagHas(tag, "TORP")) return SeenTorpedo;
    return 0;
}

}  // namespace

bool OnScreen(const Matrix& view, Vec3 p, float margin) {
    const Vec3 inView = TransformCoord(p, view);
    if (inView.z <= 1.0f || inView.z >= 1000.0f) return false;  // behind the eye or past the far plane
    const Viewport vp{0, 0, 800, 600, 0.0f, 1.0f};
    const Vec3 s = ProjectPoint(p, vp, Projection(), view, MatIdentity());
    return s.x > margin && s.x < 800.0f - margin && s.y > margin && s.y < 600.0f - margin;
}

void TakeGlimpse(Glimpse* g, int frame) {
    g->frame = frame;
    g->craftPosition = Player.position;
    g->craftRotation = Player.rotation;
    g->life = Player.hitPoints;
    g->maxLife = MaxLife;
    g->timeLeft = StageTime;
    g->view = MakeViewMatrix(FollowCamera.eye, FollowCamera.target);
    // Models are a few units across: one whose centre is just off the edge still shows.
    constexpr float kEdge = -20.0f;
    g->enemyCount = 0;
    for (int i = 0; i < EnemyCount && i < kMaxEnemies; ++i) {
        const Actor& e = Enemies[i];
        if (e.hitPoints <= 0 || !OnScreen(g->view, e.position, kEdge)) continue;
        const int kind = EnemyKind(e.name);
        const float glow = kind == SeenCharger && e.state != nullptr ? e.state->s[2] : 0.0f;
        g->enemies[g->enemyCount++] = SeenThing{i, kind, e.position, e.rotation, glow};
    }
    g->shotCount = 0;
    g->torpedoesDropped = 0;
    for (int i = 0; i < kShotSlots; ++i) {
        const Actor& s = ShotPool[i];
        // Dropped this frame: 560 steps to live, two of them taken.
        if (s.hitPoints == 558 && TagHas(s.name, "TORP")) ++g->torpedoesDropped;
        const int kind = s.hitPoints > 0 ? ShotKind(s.name) : 0;
        if (kind == 0 || !OnScreen(g->view, s.position, kEdge)) continue;
        g->shots[g->shotCount++] = SeenThing{i, kind, s.position, s.rotation, 0.0f};
    }
}

void ClearSight(SightHistory* h) {
    h->newest = 0;
    for (Glimpse& g : h->ring) g.frame = 0;
}

Glimpse* NextGlimpseSlot(SightHistory* h, int frame) {
    h->newest = frame;
    return &h->ring[frame % (kReactionFrames + 1)];
}

const Glimpse* Perceived(const SightHistory& h, int frame) {
    const int seen = frame - kReactionFrames;
    if (seen < 1 || seen > h.newest) return nullptr;
    const Glimpse& g = h.ring[seen % (kReactionFrames + 1)];
    return g.frame == seen ? &g : nullptr;
}

#include "shell/state_digest.h"

#include <initializer_list>

#include "core/buttons.h"
#include "core/collision.h"
#include "core/digest.h"
#include "core/random.h"
#include "core/scene_id.h"
#include "game/hud.h"
#include "game/player.h"
#include "game/pools.h"
#include "game/stage.h"
#include "screens/screen_state.h"
#include "screens/stage_screens.h"

namespace {

void Vec(Digest* d, const Vec3& v) {
    d->Float(v.x);
    d->Float(v.y);
    d->Float(v.z);
}

// The tag up to its end: what follows the terminator is never read.
void Tag(Digest* d, const char* tag) {
    int n = 0;
    while (n < kTagBytes && tag[n] != '\0') ++n;
    d->Int(n);
    d->Bytes(tag, size_t(n));
}

void Record(Digest* d, const Actor& a) {
    Tag(d, a.name);
    d->Int(a.hitPoints);
    Vec(d, a.position);
    Vec(d, a.rotation);
    Vec(d, a.scale);
    if (a.state) {
        for (float s : a.state->s) d->Float(s);
    }
    // Where the actor is tested for hits, and whether it is tested at all.
    if (a.collider) {
        Vec(d, a.collider->sphereCentre);
        d->Int(a.collider->active);
    }
}

}  // namespace

uint64_t GameStateDigest() {
    Digest d;
    d.Int(SceneId);
    for (int v : {StageNumber, StageTime, EndReason, StartBanner, RunTotal, MaxLife, EnemyCount, StageObjectCount})
        d.Int(v);
    d.Float(CountdownFrames);
    d.Float(PauseCursor);
    d.Float(FadeAlpha);
    d.Int(TimeBlink);
    d.Float(LifeFlashAlpha);
    d.Int(LifeFlashFalling);
    d.Int(int32_t(RandomState()));
    int latches[kButtonCount];
    SaveButtonLatches(latches);
    for (int latch : latches) d.Int(latch);

    Record(&d, Player);
    Vec(&d, PlayerVelocity);
    d.Int(FireCooldown);
    Vec(&d, FollowAngles(nullptr));
    const int enemies = EnemyCountInTable();
    for (int i = 0; i < enemies; ++i) Record(&d, Enemies[i]);
    // Free slots hold whatever their last shot or effect left: only live ones count.
    for (int i = 0; i < kShotSlots; ++i) {
        const Actor& s = ShotPool[i];
        if (s.hitPoints <= 0) continue;
        d.Int(i);
        Tag(&d, s.name);
        d.Int(s.hitPoints);
        Vec(&d, s.position);
        Vec(&d, s.rotation);
        Vec(&d, s.scale);
    }
    for (int i = 0; i < kEffectSlots; ++i) {
        const Effect& e = EffectPool[i];
        if (e.frames <= 0) continue;
        d.Int(i);
        Tag(&d, e.tag);
        d.Int(e.frames);
        Vec(&d, e.position);
        Vec(&d, e.rotation);
    }
    return d.value;
}

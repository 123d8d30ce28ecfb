#include "run.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "core/buttons.h"
#include "core/collision.h"
#include "core/random.h"
#include "core/scene_id.h"
#include "game/enemies.h"
#include "game/play.h"
#include "game/player.h"
#include "game/shots.h"
#include "game/stage.h"
#include "game/stage_setup.h"
#include "pilots.h"
#include "platform/mouse.h"
#include "platform/system.h"
#include "platform/window.h"
#include "screens/stage_screens.h"
#include "shell/input_map.h"
#include "sight.h"

namespace {

const char* const kSourceNames[kDamageSources] = {
    "gunship bullet", "torpedo",        "gunship ram",    "charger beam", "tank shell",
    "tank ram",       "aircraft shell", "aircraft ram",   "other",
};
const int kSourceKinds[kDamageSources] = {2, 2, 2, 3, 4, 4, 5, 5, 0};

// Virtual keys and script names of the flight keys, in FlightKey order.
const int kKeyCodes[kFlightKeys] = {'W', 'A', 'S', 'D', VK_SPACE, VK_SHIFT};
const char* const kKeyNames[kFlightKeys] = {"W", "A", "S", "D", "SPACE", "SHIFT"};

RunResult* g_run = nullptr;

bool Touches(Collider* c) {
    return c != nullptr && c->owner != nullptr && c->active && Player.collider != nullptr &&
           CollidersHit(c, Player.collider, 1);
}

// Which enemy weapon a hit of this size on the craft comes from. Every
// enemy weapon has its own damage, but for the gunship's bullet and its
// torpedo (2 each): the shot being tested is the one still alive that
// touches the craft, whose kind's collider it holds. Tank and aircraft
// shells share a kind and differ in speed; a ram is 10, by the enemy left
// touching the craft.
int SourceOfHit(int amount) {
    switch (amount) {
        case 2: {
            Collider* torpedo = &ShotKindCollider[ShotKindOf("TORP")];
            Collider* bullet = &ShotKindCollider[ShotKindOf("ENEMY2")];
            if (Touches(torpedo) && torpedo->owner->hitPoints > 0 &&
                !(Touches(bullet) && bullet->owner->hitPoints > 0))
                return HurtTorpedo;
            return HurtGunshipBullet;
        }
        case 3: {
            const Actor* shell = ShotKindCollider[ShotKindOf("ENEMY4")].owner;
            if (shell == nullptr) return HurtOther;
            return shell->scale.x > 1.85f ? HurtAircraftShell : HurtTankShell;
        }
        case 4:
            return HurtBeam;
        case 10:
            for (int i = 0; i < EnemyCount; ++i) {
                Actor& e = Enemies[i];
                if (e.hitPoints <= 0 || !Touches(e.collider)) continue;
                if (TagHas(e.name, "ENEMY2")) return HurtGunshipRam;
                if (TagHas(e.name, "ENEMY4")) return HurtTankRam;
                if (TagHas(e.name, "ENEMY5")) return HurtAircraftRam;
            }
            return HurtOther;
        default:
            return HurtOther;
    }
}

void WatchDamage(const Actor* actor, int amount) {
    if (g_run == nullptr || amount <= 0) return;
    if (actor != &Player) {
        if (actor->hitPoints > 0) g_run->hits += std::min(amount, actor->hitPoints);
        return;
    }
    const int lost = std::min(amount, std::max(0, Player.hitPoints));
    g_run->damage[SourceOfHit(amount)] += lost;
}

void Send(PlatformEvent e) { PlatformInjectEvent(e); }

// Turns the change from `held` to `want` into the window messages and mouse
// reports the game reads, logs them, and lets the game's message handler take
// them, as the loop does before each frame.
void Deliver(Controls* held, const Controls& want, int frame, std::vector<InputLine>* log) {
    auto note = [&](const std::string& line) {
        if (log != nullptr) log->push_back(InputLine{frame, line});
    };
    for (int k = 0; k < kFlightKeys; ++k) {
        if (held->keys[k] == want.keys[k]) continue;
        Send(PlatformEvent{want.keys[k] ? EvKeyDown : EvKeyUp, kKeyCodes[k], 0, 0, 0, 0});
        note(std::string(want.keys[k] ? "down " : "up ") + kKeyNames[k]);
    }
    for (int b = 0; b < 2; ++b) {
        if (held->buttons[b] == want.buttons[b]) continue;
        Send(PlatformEvent{EvMouseButton, b, 0, 0, want.buttons[b] ? 1 : 0, 0});
        note("button " + std::to_string(b) + (want.buttons[b] ? " down" : " up"));
    }
    if (want.mouseDx != 0 || want.mouseDy != 0) {
        Send(PlatformEvent{EvMouseMotion, 0, want.mouseDx, want.mouseDy, 0, 0});
        note("mouse " + std::to_string(want.mouseDx) + " " + std::to_string(want.mouseDy));
    }
    *held = want;
    PlatformEvent ev;
    while (PlatformNextEvent(&ev)) DeliverInput(ev);
}

bool ReadableFile(const char* path, std::string* error) {
    struct stat st;
    if (stat(path, &st) != 0) {
        *error = std::string(path) + ": " + std::strerror(errno);
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        *error = std::string(path) + ": not a regular file";
        return false;
    }
    if (access(path, R_OK) != 0) {
        *error = std::string(path) + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

void StagePaths(int stage, char (&actors)[64], char (&map)[64]) {
    std::snprintf(actors, sizeof actors, "data/bin/c%d.pxd", stage);
    std::snprintf(map, sizeof map, "data/bin/m%d.pxd", stage);
}

}  // namespace

const char* DamageSourceName(int source) {
    return source >= 0 && source < kDamageSources ? kSourceNames[source] : "?";
}

int DamageSourceKind(int source) { return source >= 0 && source < kDamageSources ? kSourceKinds[source] : 0; }

void PrepareHeadlessGame() {
    SetMessageBoxesEnabled(false);
    BuildShotColliders();
    ClearPools();
    ResetInput();
    PlatformSetScripted(true);
    MouseInit();
    DamageWatch = WatchDamage;
}

bool StageReadable(int stage, std::string* error) {
    char actorPath[64], mapPath[64];
    StagePaths(stage, actorPath, mapPath);
    return ReadableFile(actorPath, error) && ReadableFile(mapPath, error);
}

bool PlayRun(const RunPlan& plan, RunResult* r, std::vector<InputLine>* inputs, std::string* error) {
    *r = RunResult{};
    r->plan = plan;
    char actorPath[64], mapPath[64];
    StagePaths(plan.stage, actorPath, mapPath);
    if (!ReadableFile(actorPath, error) || !ReadableFile(mapPath, error)) return false;

    // The stage set-up as the stage-load scene runs it, but for the meshes,
    // which only drawing uses. The harness's --seed fixes the generator the
    // same way at start-up, and nothing draws from it before play.
    SeedRandom(plan.seed);
    StageNumber = plan.stage;
    SceneId = SceneStageLoad;
    BeginStageRun();
    if (!SetUpStageActors(actorPath, mapPath)) {
        *error = std::string(actorPath) + ": the stage could not be set up";
        return false;
    }
    // The countdown hands over to play like this.
    SceneId = ScenePlay;
    StartBanner = 120;

    Pilot pilot;
    StartPilot(&pilot, plan.pilot, plan.seed);
    static SightHistory sight;
    ClearSight(&sight);
    Controls held;
    g_run = r;
    for (int frame = 1; SceneId == ScenePlay; ++frame) {
        Deliver(&held, FlyPilot(&pilot, Perceived(sight, frame), frame), frame, inputs);
        WindowActive = PlatformWindowActive() ? 1 : 0;
        const int cooldown = FireCooldown;
        // The play frame as the game runs it, its drawing left out: the
        // update, the cameras, the start banner's count, the end checks.
        PlayUpdate();
        BuildPlayCameras(1);
        if (StartBanner > 0) --StartBanner;
        PlayEndChecks();
        if (cooldown == 0 && (FireCooldown == 6 || FireCooldown == 13)) {
            r->beams += (FireCooldown == 6 || held.buttons[0]) ? 1 : 0;
            r->stars += FireCooldown == 13 && held.buttons[1] ? 1 : 0;
        }
        TakeGlimpse(NextGlimpseSlot(&sight, frame), frame);
        r->frames = frame;
    }
    g_run = nullptr;
    // Let go of everything, so the next run starts as the harness does.
    Deliver(&held, Controls{}, 0, nullptr);
    int dx, dy;
    MousePoll(&dx, &dy);

    r->endReason = EndReason;
    r->timeLeft = StageTime;
    r->life = Player.hitPoints;
    r->maxLife = MaxLife;
    r->score = EndReason == 0 ? LifeBonus() + TimeBonus() : 0;
    r->enemies = EnemyCount;
    for (int i = 0; i < EnemyCount; ++i) r->killed += Enemies[i].hitPoints <= 0 ? 1 : 0;
    return true;
}

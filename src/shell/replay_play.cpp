// Playing a recorded stage attempt back, and checking it (see replay.h).
#include <cstdio>

#include "core/buttons.h"
#include "core/random.h"
#include "core/scene_id.h"
#include "formats/data_dir.h"
#include "formats/replay_file.h"
#include "game/hud.h"
#include "game/stage.h"
#include "platform/system.h"
#include "platform/window.h"
#include "screens/screen_state.h"
#include "shell/game_loop.h"
#include "shell/loading.h"
#include "shell/input_map.h"
#include "shell/replay.h"
#include "shell/replay_internal.h"
#include "shell/state_digest.h"

namespace {

Replay g_play;
bool g_loaded = false;
bool g_armed = false;
bool g_verify = false;
bool g_controls = false;
bool g_started = false;  // the stage load has been entered
bool g_fast = false;
int g_runFrames = 0;     // frames of the whole run so far
int g_loadRunFrame = 0;
int g_frame = 0;         // of the replay: 0 is the stage load
int g_nextEvent = 0;
int g_nextCheck = 0;
int g_firstDifference = -1;
// The input as the recording left it: held buttons, mouse buttons, activation.
int g_buttons = 0;
int g_mouseButtons = 0;
bool g_active = true;

// The screens' state the recorded attempt began with.
void RestoreStart() {
    SeedRandom(g_play.random);
    RestoreButtonLatches(g_play.carry.latches);
    CountdownFrames = g_play.carry.countdownFrames;
    StartBanner = g_play.carry.startBanner;
    TimeBlink = g_play.carry.timeBlink;
    LifeFlashAlpha = g_play.carry.lifeFlashAlpha;
    LifeFlashFalling = g_play.carry.lifeFlashFalling;
    EndReason = g_play.carry.endShown;
}

// This frame's input, put where the game reads it.
void ApplyInput() {
    int dx = 0, dy = 0;
    for (; g_nextEvent < g_play.eventCount && g_play.events[g_nextEvent].frame == g_frame; ++g_nextEvent) {
        const ReplayEvent& e = g_play.events[g_nextEvent];
        switch (e.kind) {
            case ReplayPress: g_buttons |= 1 << e.code; break;
            case ReplayRelease: g_buttons &= ~(1 << e.code); break;
            case ReplayButtonDown: g_mouseButtons |= 1 << e.code; break;
            case ReplayButtonUp: g_mouseButtons &= ~(1 << e.code); break;
            case ReplayFocusOut: g_active = false; break;
            case ReplayFocusIn: g_active = true; break;
            case ReplayFocusPause: RequestFocusPause(); break;
            default:
                dx += e.dx;
                dy += e.dy;
                break;
        }
    }
    HoldButtons(g_buttons);
    PlatformMouseSetPending(dx, dy, g_mouseButtons);
    PlatformSetActive(g_active);
}

bool SameAsRecorded(uint64_t digest) {
    if (uint16_t(digest) != g_play.frameDigest[g_frame]) return false;
    if (g_nextCheck < g_play.checkCount && g_play.checks[g_nextCheck].frame == g_frame)
        return g_play.checks[g_nextCheck++].digest == digest;
    return true;
}

void PlaybackBeforeScene() {
    ++g_runFrames;
    if (!g_armed || !g_started) return;
    if (g_frame == 0) RestoreStart();
    ApplyInput();
}

void PlaybackAfterScene() {
    if (!g_armed) return;
    if (!g_started) {
        // The loading scene hands over to the title: go to the recorded
        // stage instead, as the stage select does.
        if (SceneId == SceneTitle) {
            StageNumber = g_play.stage;
            FadeAlpha = 0.0f;
            SceneId = SceneStageLoad;
            g_started = true;
            g_loadRunFrame = g_runFrames + 1;
        }
        return;
    }
    if (!SameAsRecorded(GameStateDigest()) && g_firstDifference < 0) {
        g_firstDifference = g_frame;
        if (g_verify) {
            PostQuit(0);
            g_armed = false;
            return;
        }
        std::fprintf(stderr, "Zorbat U.F.O.: this replay plays differently from its recording from frame %d on\n",
                     g_frame);
    }
    ++g_frame;
    // The attempt is over: nothing after it runs (no result, no hiscore).
    if (g_frame >= g_play.frames || !InStageAttempt(SceneId)) {
        PostQuit(0);
        g_armed = false;
    }
}

}  // namespace

bool LoadReplay(const char* path, std::string* error) {
    g_loaded = false;
    if (!ReadReplayFile(path, &g_play, error)) return false;
    const std::string n = std::to_string(g_play.stage);
    const struct {
        std::string file;
        uint64_t recorded;
    } files[2] = {{"c" + n + ".pxd", g_play.actorData}, {"m" + n + ".pxd", g_play.mapData}};
    for (const auto& f : files) {
        uint64_t here = 0;
        if (!FileDigest(DataFile("bin/" + f.file), &here)) {
            *error = "stage " + n + "'s " + f.file + " cannot be read in " + DataDir() + "/bin";
            return false;
        }
        if (here != f.recorded) {
            *error = "recorded with another " + f.file + " (stage " + n + ") than this game's: its stage data differs";
            return false;
        }
    }
    g_loaded = true;
    return true;
}

void StartPlayback(bool verify, bool controls) {
    g_armed = g_loaded;
    g_verify = verify;
    g_controls = controls;
    g_started = false;
    g_fast = false;
    g_runFrames = 0;
    g_loadRunFrame = 0;
    g_frame = 0;
    g_nextEvent = 0;
    g_nextCheck = 0;
    g_firstDifference = -1;
    g_buttons = 0;
    g_mouseButtons = 0;
    g_active = true;
    // A replay watched or checked leaves the player's hiscore file alone.
    LoadingMakesHiscoreFile = !g_armed;
    PlatformSetControlKeys(g_armed && controls);
}

void StopPlayback() {
    g_armed = false;
    LoadingMakesHiscoreFile = true;
    PlatformSetControlKeys(false);
    SetFramePeriod(kFramePeriodMs);
}

int PlaybackFramesPlayed() { return g_frame; }
int PlaybackFirstDifference() { return g_firstDifference; }
int PlaybackFrames() { return g_loaded ? g_play.frames : 0; }
int PlaybackStageLoadRunFrame() { return g_loadRunFrame; }

void ReplayBeforeScene() {
    PlaybackBeforeScene();
    RecordBeforeScene();
}

void ReplayAfterScene() {
    PlaybackAfterScene();
    RecordAfterScene();
}

void ReplayControlKey(int vk) {
    if (!g_armed || !g_controls) return;
    if (vk == VK_SPACE) {
        g_fast = !g_fast;
        SetFramePeriod(g_fast ? kFramePeriodMs / 2 : kFramePeriodMs);
    } else if (vk == VK_ESCAPE) {
        PostQuit(0);
    }
}

void ReplayLoopEnded() { RecordLoopEnded(); }

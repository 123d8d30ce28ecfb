// Recording a stage attempt as it is played (see replay.h).
#include <cstdio>
#include <ctime>

#include "core/buttons.h"
#include "core/random.h"
#include "core/scene_id.h"
#include "formats/data_dir.h"
#include "formats/hiscore.h"
#include "formats/replay_file.h"
#include "formats/replay_store.h"
#include "game/hud.h"
#include "game/stage.h"
#include "platform/window.h"
#include "screens/screen_state.h"
#include "shell/input_map.h"
#include "shell/replay.h"
#include "shell/replay_internal.h"
#include "shell/state_digest.h"

namespace {

enum Target { TargetNone, TargetStore, TargetFile };
Target g_target = TargetNone;
std::string g_path;
bool g_written = false;
bool g_storedSincePrune = false;

bool g_recording = false;
int g_frame = 0;      // of the attempt: 0 is the stage load
int g_ranScene = 0;   // the scene the current frame runs
uint64_t g_lastDigest = 0;
// What the game could read on the previous frame: held buttons, mouse buttons, activation.
int g_buttons = 0;
int g_mouseButtons = 0;
bool g_active = true;
// Whether a pause asked for by a lost focus was still waiting after the last frame.
bool g_focusPauseAfter = false;

Replay g_rec;

// The most one frame adds: activation, the focus pause, seven buttons, three
// mouse buttons, motion.
constexpr int kEventsPerFrame = 13;

void Add(int kind, int code, int dx = 0, int dy = 0) {
    ReplayEvent& e = g_rec.events[g_rec.eventCount++];
    e.frame = g_frame;
    e.kind = uint8_t(kind);
    e.code = uint8_t(code);
    e.dx = dx;
    e.dy = dy;
}

void Drop() {
    // Frames of 16 ms, in whole minutes.
    std::fprintf(stderr, "Zorbat U.F.O.: this stage attempt has gone on longer than a replay holds (%d minutes); "
                         "its replay will not be kept\n",
                 (kReplayMaxFrames * 16 + 30000) / 60000);
    g_recording = false;
}

void Begin() {
    const int stage = StageNumber >= 1 && StageNumber <= kStageCount ? StageNumber : 1;
    g_rec.stage = stage;
    g_rec.end = ReplayQuit;
    g_rec.frames = 0;
    g_rec.random = RandomState();
    const std::string n = std::to_string(stage);
    // Read again here, on the stage load's frame, where the stage's files are read anyway.
    if (!FileDigest(DataFile("bin/c" + n + ".pxd"), &g_rec.actorData)) g_rec.actorData = 0;
    if (!FileDigest(DataFile("bin/m" + n + ".pxd"), &g_rec.mapData)) g_rec.mapData = 0;
    SaveButtonLatches(g_rec.carry.latches);
    g_rec.carry.countdownFrames = CountdownFrames;
    g_rec.carry.startBanner = StartBanner;
    g_rec.carry.timeBlink = TimeBlink;
    g_rec.carry.lifeFlashAlpha = LifeFlashAlpha;
    g_rec.carry.lifeFlashFalling = LifeFlashFalling;
    g_rec.carry.endShown = EndReason >= EndStageClear && EndReason <= EndTimeOut ? EndReason : EndStageClear;
    g_rec.eventCount = 0;
    g_rec.checkCount = 0;
    g_buttons = 0;
    g_mouseButtons = 0;
    g_active = true;
    g_focusPauseAfter = false;
    g_frame = 0;
    g_recording = true;
}

// What this frame's scene is about to read, as changes since the last frame.
void Capture() {
    if (g_frame >= kReplayMaxFrames || g_rec.eventCount + kEventsPerFrame > kReplayMaxEvents) {
        Drop();
        return;
    }
    const bool active = PlatformWindowActive();
    if (active != g_active) Add(active ? ReplayFocusIn : ReplayFocusOut, 0);
    g_active = active;
    // The player's settings turn a lost focus into a pause: what the frame
    // sees is the request, so the request is what is kept.
    if (FocusPausePending() && !g_focusPauseAfter) Add(ReplayFocusPause, 0);
    const int buttons = HeldButtons();
    for (int b = 0; b < kButtonCount; ++b) {
        const int bit = 1 << b;
        if ((buttons ^ g_buttons) & bit) Add(buttons & bit ? ReplayPress : ReplayRelease, b);
    }
    g_buttons = buttons;
    int dx, dy, mouseButtons;
    PlatformMousePending(&dx, &dy, &mouseButtons);
    for (int b = 0; b < 3; ++b) {
        const int bit = 1 << b;
        if ((mouseButtons ^ g_mouseButtons) & bit) Add(mouseButtons & bit ? ReplayButtonDown : ReplayButtonUp, b);
    }
    g_mouseButtons = mouseButtons;
    if (dx != 0 || dy != 0) Add(ReplayMouse, 0, dx, dy);
}

void Finish(int end) {
    g_recording = false;
    g_rec.end = end;
    g_rec.frames = g_frame;
    if (g_rec.checkCount == 0 || g_rec.checks[g_rec.checkCount - 1].frame != g_frame - 1)
        g_rec.checks[g_rec.checkCount++] = ReplayCheck{g_frame - 1, g_lastDigest};
    const std::string text = FormatReplay(g_rec);
    std::string error;
    if (g_target == TargetStore) {
        std::string path;
        if (!StoreReplay(text, g_rec.stage, end, std::time(nullptr), &path, &error))
            std::fprintf(stderr, "Zorbat U.F.O.: the replay cannot be kept in %s: %s\n", ReplayFolder().c_str(),
                         error.c_str());
        g_storedSincePrune = true;
    } else if (g_target == TargetFile) {
        g_written = WriteReplayFile(g_path.c_str(), text, &error);
        if (!g_written) std::fprintf(stderr, "cannot write the replay %s: %s\n", g_path.c_str(), error.c_str());
    }
}

void PruneIfStored() {
    if (!g_storedSincePrune) return;
    g_storedSincePrune = false;
    PruneReplays(HiscoreTable);
}

}  // namespace

void RecordAttemptsToStore(bool on) {
    g_target = on ? TargetStore : TargetNone;
    g_recording = false;
    g_storedSincePrune = false;
}

void RecordAttemptsTo(const std::string& path) {
    g_target = path.empty() ? TargetNone : TargetFile;
    g_path = path;
    g_written = false;
    g_recording = false;
}

bool RecordedFileWritten() { return g_written; }

void RecordBeforeScene() {
    if (g_target == TargetNone) return;
    g_ranScene = SceneId;
    if (!g_recording) {
        if (SceneId != SceneStageLoad) return;
        Begin();
    }
    Capture();
}

void RecordAfterScene() {
    if (g_target == TargetNone) return;
    if (g_recording) {
        g_focusPauseAfter = FocusPausePending();
        g_lastDigest = GameStateDigest();
        g_rec.frameDigest[g_frame] = uint16_t(g_lastDigest);
        if ((g_frame + 1) % kReplayCheckEvery == 0) g_rec.checks[g_rec.checkCount++] = ReplayCheck{g_frame, g_lastDigest};
        ++g_frame;
        if (!InStageAttempt(SceneId)) {
            // A stage that could not be loaded is no attempt: the game is ending with a message.
            if (g_ranScene == SceneStageLoad) g_recording = false;
            else Finish(g_ranScene == SceneStageEnd && EndReason >= EndStageClear && EndReason <= EndTimeOut ? EndReason : ReplayQuit);
        }
    }
    // Back at the title the player has seen the result and entered a name, if any.
    if (SceneId == SceneTitle) PruneIfStored();
}

void RecordLoopEnded() {
    if (g_target == TargetNone) return;
    if (g_recording && g_frame > 0) Finish(ReplayQuit);
    g_recording = false;
    PruneIfStored();
}

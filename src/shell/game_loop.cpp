#include "shell/game_loop.h"

#include <cstring>

#include "core/buttons.h"
#include "core/manifest.h"
#include "core/random.h"
#include "core/scene_id.h"
#include "formats/data_dir.h"
#include "game/stage.h"
#include "game/world_render.h"
#include "graphics/device.h"
#include "graphics/image_prefetch.h"
#include "graphics/mesh.h"
#include "graphics/sprite.h"
#include "platform/messages.h"
#include "platform/mouse.h"
#include "platform/random_clock.h"
#include "platform/render.h"
#include "platform/system.h"
#include "platform/window.h"
#include "shell/input_map.h"
#include "shell/replay.h"
#include "shell/scenes.h"
#include "shell/screenshot.h"
#include "sound/sound.h"

namespace {

uint32_t g_nextDue = 0;
uint32_t g_period = kFramePeriodMs;
bool g_paced = true;
uint32_t (*g_clock)() = nullptr;

uint32_t Now() { return g_clock ? g_clock() : PlatformMillis(); }

}  // namespace

void SetFrameClockSource(uint32_t (*clock)()) { g_clock = clock; }
void SetFramePacing(bool paced) { g_paced = paced; }
void SetFramePeriod(int ms) { g_period = ms > 0 ? uint32_t(ms) : kFramePeriodMs; }

void FrameClockStart() { g_nextDue = Now() + g_period; }

int FrameClockDue() {
    if (!g_paced) return 1;
    const uint32_t now = Now();
    if (now < g_nextDue) return 0;
    // Scheduled from the moment the due frame was seen: time lost to a long
    // frame is never made up, and two frames never run back to back.
    g_nextDue = Now() + g_period;
    return 1;
}

// Sleeping until the very millisecond the frame is due, rather than a
// millisecond at a time, starts every frame within a fraction of a
// millisecond of its due time: frames come 16 ms apart instead of 16 to 17.
// Messages that arrive meanwhile are handled on waking, still before the frame.
void FrameClockWait() {
    if (!g_paced) return;
    if (g_clock) {
        PlatformSleep(1);
        return;
    }
    PlatformSleepUntilMillis(g_nextDue);
}

void WindowProc(const PlatformEvent& ev) {
    switch (ev.type) {
        case EvQuit:
            PostQuit(0);
            break;
        case EvKeyDown:
            if (ev.code == VK_ESCAPE) PostQuit(0);
            // Auto-repeat sets the byte again on every repeat.
            KeyState[ev.code & 0xFF] = 1;
            break;
        case EvKeyUp:
            KeyState[ev.code & 0xFF] = 0;
            break;
        default:
            break;
    }
}

void StartupScene() {
    // The images the loading scene loads are decoded on a second thread from
    // here on, while the device and the sound come up (the loading picture
    // first: it is shown before the others are loaded).
    const char* images[kManifestTextureCount];
    images[0] = kTextureFiles[TexNowLoading];
    for (int i = 0, n = 1; i < kManifestTextureCount; ++i) {
        if (i != TexNowLoading) images[n++] = kTextureFiles[i];
    }
    PrefetchArchiveImages(DataFile(kImageArchive).c_str(), images, kManifestTextureCount);
    for (MeshAsset& m : EnemyMeshes) m = MeshAsset{};
    for (MeshAsset& m : MapMeshes) m = MeshAsset{};
    std::memset(ActorColliders, 0, sizeof ActorColliders);
    std::memset(StageObjectColliders, 0, sizeof StageObjectColliders);
    InitRenderDevice();
    InitSound();
    InitMusic();
    PlatformShowWindow();
    CreateRenderTarget(&ShadowTarget, 256, 256);
    // The pointer stays the player's until play takes it (DispatchScene).
    MouseInit();
    SeedRandomFromClock();
    SceneId = SceneLoading;
}

void TearDown() {
    StopPrefetch();
    InputRelease();
    ReleaseTextures();
    ReleaseRenderTarget(&ShadowTarget);
    ReleaseMeshes(ShotMeshes, kShotMeshSlots);
    ReleaseMeshes(EnemyMeshes, kStageMeshSlots);
    ReleaseMeshes(MapMeshes, kStageMeshSlots);
    ReleaseRenderDevice();
    ReleaseSound();
    ReleaseMusic();
}

int RunGame(const RunOptions& options) {
    if (!PlatformCreateWindow("Zorbat U.F.O.")) {
        ShowFatal(MsgWindowFailed);
        PlatformShutdownVideo();
        return 1;
    }
    SetFramePacing(options.paced);
    FrameClockStart();
    int framesRun = 0;
    bool queued = false;
    PlatformEvent ev;
    for (;;) {
        if (QuitRequested()) break;
        if (!queued && options.beforeFrame) options.beforeFrame(framesRun + 1, options.ctx);
        queued = true;
        if (PlatformPeekEvent()) {
            // Messages first: a frame never runs while one is waiting.
            PlatformNextEvent(&ev);
            if (ev.type == EvControlKey) ReplayControlKey(ev.code);
            else DeliverInput(ev);
        } else {
            if (FrameClockDue()) {
                ++framesRun;
                queued = false;
                if (options.frameStart) options.frameStart(framesRun, options.ctx);
                const bool screenshot = TakeScreenshotRequest();
                if (screenshot) RdCaptureNextPresent();
                InputFrame();
                ReplayBeforeScene();
                DispatchScene();
                ReplayAfterScene();
                if (screenshot) SaveScreenshot();
                if (options.afterFrame) options.afterFrame(framesRun, options.ctx);
            }
            if (options.paced) FrameClockWait();
        }
        if (!PlatformWindowActive()) {
            std::memset(KeyState, 0, sizeof KeyState);
            if (options.paced) PlatformSleep(2);
        }
    }
    ReplayLoopEnded();
    TearDown();
    PlatformShutdownVideo();
    return QuitExitCode();
}

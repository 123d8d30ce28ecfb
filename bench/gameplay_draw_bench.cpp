// Drawing one play frame (world, shadow, shots, effects, HUD and the present)
// with the game's own data: the busiest frame of a scripted flight through
// each real stage, and the heaviest frame of heaviest_stage.h over a real
// stage's map.
#include <benchmark/benchmark.h>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>

#include "bench/heaviest_stage.h"
#include "core/buttons.h"
#include "core/manifest.h"
#include "core/random.h"
#include "core/scene_id.h"
#include "formats/data_dir.h"
#include "game/stage_setup.h"
#include "game/world_render.h"
#include "graphics/archive_texture.h"
#include "graphics/device.h"
#include "graphics/mesh.h"
#include "graphics/sprite.h"
#include "platform/mouse.h"
#include "platform/render.h"
#include "platform/system.h"
#include "platform/window.h"

namespace {

// The window, the device and every asset the play frame draws; false (with
// the reason) when there is no display or no built data.
bool ReadyToDraw(const char** why) {
    static int ready = -1;
    static const char* reason = "";
    if (ready < 0) {
        ready = 0;
        SetMessageBoxesEnabled(false);
        const std::string images = DataFile(kImageArchive), meshes = DataFile(kMeshArchive);
        const std::string meshTextures = DataFile(kMeshTextureDir);
        if (!std::filesystem::exists(images) || !std::filesystem::exists(meshes)) {
            reason = "no game data in the working directory (run from build/)";
        } else if (!PlatformInitVideo() || !PlatformCreateWindow("bench") || !RdCreate()) {
            reason = "no OpenGL display";
        } else {
            PlatformShowWindow();
            for (int i = 0; i < kManifestTextureCount; ++i) {
                LoadTextureFromArchive(images.c_str(), kTextureFiles[i], &TextureTable[i]);
            }
            for (int i = 0; i < kShotMeshCount; ++i) {
                LoadMeshFromArchive(meshes.c_str(), kShotMeshFiles[i], meshTextures.c_str(), &ShotMeshes[i]);
            }
            LoadShotAssets();
            CreateRenderTarget(&ShadowTarget, 256, 256);
            ready = QuitRequested() ? 0 : 1;
            if (!ready) reason = "the game data did not load";
        }
    }
    *why = reason;
    return ready == 1;
}

// Loads stage n as the stage-load scene does; false when it cannot be played.
bool LoadStageNumber(int n) {
    StageNumber = n;
    SceneId = SceneStageLoad;
    LoadStage();
    return SceneId == SceneCountdown && !QuitRequested();
}

void DrawOneFrame() {
    DrawStageFrame(1);
    DrawStartBanner();
    EndFrame();
}

double NowMs() {
    return std::chrono::duration<double, std::milli>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// One play frame's drawing as PlayFrame does it (the world, the banner, the
// present); the game's update comes before and its end checks after.
double DrawPlayFrame(int chase) {
    const double t0 = NowMs();
    DrawStageFrame(chase);
    DrawStartBanner();
    EndFrame();
    return NowMs() - t0;
}

// The same picture again, for a steadier figure: the follow camera is not
// moved on and the banner is put back as it was.
double RedrawPlayFrame() {
    const int banner = StartBanner;
    const double t = DrawPlayFrame(0);
    StartBanner = banner;
    return t;
}

void Inject(PlatformEvent ev) {
    PlatformInjectEvent(ev);
    PlatformEvent e;
    while (PlatformNextEvent(&e)) PlatformMouseFeed(e);
}

// A scripted flight through stage n from its first play frame: thrust, both
// weapons held, a turn left or right every two seconds, until the stage
// ends or kFrames have been played. Every frame is drawn as the game draws
// it; a frame that comes near the slowest so far is drawn twice more and
// counts with its quickest drawing, so one unlucky moment of a busy machine
// does not make a frame look busy. Returns the busiest frame's time (ms).
double BusiestFrameOfStage(int n, int* frames) {
    constexpr int kFrames = 900;
    *frames = 0;
    if (!LoadStageNumber(n)) return -1.0;
    // The countdown's three seconds come first, as in the game: the world is
    // drawn still for 180 frames, and the device makes what the stage's
    // pictures first need (and its programs, one per frame) there, not in play.
    for (int f = 0; f < 180; ++f) {
        DrawStageFrame(0);
        EndFrame();
    }
    SeedRandom(1);
    ResetInput();
    PlatformSetScripted(true);
    MouseInit();
    WindowActive = 1;
    SceneId = ScenePlay;
    StartBanner = 120;  // as the countdown leaves it
    KeyState['W'] = 1;
    for (int b = 0; b < 2; ++b) Inject(PlatformEvent{EvMouseButton, b, 0, 0, 1, 0});
    double busiest = 0.0;
    for (int f = 0; f < kFrames && SceneId == ScenePlay && !QuitRequested(); ++f) {
        if (f % 120 == 60) Inject(PlatformEvent{EvMouseMotion, 0, (f / 120) % 2 ? -90 : 60, 0, 0, 0});
        PlayUpdate();
        double t = DrawPlayFrame(1);
        PlayEndChecks();
        ++*frames;
        if (t > 0.85 * busiest) {
            for (int k = 0; k < 2; ++k) t = std::min(t, RedrawPlayFrame());
            busiest = std::max(busiest, t);
        }
    }
    for (int b = 0; b < 2; ++b) Inject(PlatformEvent{EvMouseButton, b, 0, 0, 0, 0});
    InputRelease();
    PlatformSetScripted(false);
    ResetInput();
    return busiest;
}

// The busiest frame of each stage's flight; run at the window's size (the
// game's 800 x 600, or a larger window the picture is drawn at in full).
void BusiestFrames(benchmark::State& state) {
    for (auto _ : state) {
        double busiest = 0.0;
        for (int n = 1; n <= 3; ++n) {
            int frames = 0;
            const double t = BusiestFrameOfStage(n, &frames);
            if (t < 0.0) {
                state.SkipWithError("a stage in data/bin cannot be played");
                return;
            }
            busiest = std::max(busiest, t);
            state.counters["stage" + std::to_string(n) + "_ms"] = t;
            state.counters["stage" + std::to_string(n) + "_frames"] = frames;
        }
        state.SetIterationTime(busiest / 1e3);
    }
}

void PlayFrameDraw_busiest_stage(benchmark::State& state) {
    const char* why = "";
    if (!ReadyToDraw(&why)) {
        state.SkipWithError(why);
        return;
    }
    BusiestFrames(state);
}

// The same flights in a 1600 x 1200 window: four times the pixels of every
// picture, the 3D scene and the sprites drawn at that size.
void PlayFrameDraw_busiest_stage_1600x1200(benchmark::State& state) {
    const char* why = "";
    if (!ReadyToDraw(&why)) {
        state.SkipWithError(why);
        return;
    }
    int w = 0, h = 0;
    const bool resized = PlatformResizeWindow(1600, 1200);
    PlatformDrawableSize(&w, &h);
    if (!resized || w != 1600 || h != 1200) {
        PlatformResizeWindow(800, 600);
        state.SkipWithError("the window cannot be made 1600 x 1200 here");
        return;
    }
    EndFrame();  // the device takes the new size at a present
    BusiestFrames(state);
    PlatformResizeWindow(800, 600);
    EndFrame();
}

void PlayFrameDraw_heaviest(benchmark::State& state) {
    const char* why = "";
    if (!ReadyToDraw(&why)) {
        state.SkipWithError(why);
        return;
    }
    if (!LoadStageNumber(3) && !LoadStageNumber(1)) {
        state.SkipWithError("no playable stage in data/bin");
        return;
    }
    heaviest::BuildHeaviestStage(false);
    heaviest::Restore();
    PlayUpdate();
    for (auto _ : state) DrawOneFrame();
    heaviest::Finish();
}

}  // namespace

BENCHMARK(PlayFrameDraw_busiest_stage)
    ->Name("PlayFrameDraw/busiest_stage")->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(PlayFrameDraw_busiest_stage_1600x1200)
    ->Name("PlayFrameDraw/busiest_stage_1600x1200")->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(PlayFrameDraw_heaviest)->Name("PlayFrameDraw/heaviest")->Unit(benchmark::kMillisecond);

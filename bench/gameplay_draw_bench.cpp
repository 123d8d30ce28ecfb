// Drawing one play frame (world, shadow, shots, effects, HUD and the present)
// with the game's own data: the busiest real stage a while into play, and the
// heaviest frame of heaviest_stage.h over a real stage's map.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "bench/heaviest_stage.h"
#include "formats/archive.h"
#include "game/stage_setup.h"
#include "game/world_render.h"
#include "graphics/device.h"
#include "graphics/mesh.h"
#include "graphics/sprite.h"
#include "platform/render.h"
#include "platform/system.h"
#include "shell/manifest.h"

namespace {

// The window, the device and every asset the play frame draws; false (with
// the reason) when there is no display or no built data.
bool ReadyToDraw(const char** why) {
    static int ready = -1;
    static const char* reason = "";
    if (ready < 0) {
        ready = 0;
        SetMessageBoxesEnabled(false);
        if (!std::filesystem::exists(kImageArchive) || !std::filesystem::exists(kMeshArchive)) {
            reason = "no game data in the working directory (run from build/)";
        } else if (!PlatformInitVideo() || !PlatformCreateWindow("bench") || !RdCreate()) {
            reason = "no OpenGL display";
        } else {
            PlatformShowWindow();
            for (int i = 0; i < kManifestTextureCount; ++i) {
                LoadTextureFromArchive(kImageArchive, kTextureFiles[i], &TextureTable[i]);
            }
            for (int i = 0; i < kShotMeshCount; ++i) {
                LoadMeshFromArchive(kMeshArchive, kShotMeshFiles[i], kMeshTextureDir, &ShotMeshes[i]);
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

void PlayFrameDraw_busiest_stage(benchmark::State& state) {
    const char* why = "";
    if (!ReadyToDraw(&why)) {
        state.SkipWithError(why);
        return;
    }
    int busiest = 0;
    int most = -1;
    for (int n = 1; n <= 3; ++n) {
        if (LoadStageNumber(n) && EnemyCount > most) {
            most = EnemyCount;
            busiest = n;
        }
    }
    if (busiest == 0 || !LoadStageNumber(busiest)) {
        state.SkipWithError("no playable stage in data/bin");
        return;
    }
    // Two seconds into play: the enemies have fired and shots are flying.
    SceneId = ScenePlay;
    StartBanner = 0;
    for (int i = 0; i < 120; ++i) PlayUpdate();
    for (auto _ : state) DrawOneFrame();
    state.SetLabel("stage " + std::to_string(busiest) + ", " + std::to_string(most) + " enemies");
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

BENCHMARK(PlayFrameDraw_busiest_stage)->Name("PlayFrameDraw/busiest_stage")->Unit(benchmark::kMillisecond);
BENCHMARK(PlayFrameDraw_heaviest)->Name("PlayFrameDraw/heaviest")->Unit(benchmark::kMillisecond);

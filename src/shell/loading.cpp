// The loading scene: shows "NowLoading.png", loads every image, shot mesh,
// sound and tune on its first frame, makes sure the hiscore file exists,
// then keeps the picture up for fifty more frames.
#include "shell/loading.h"

#include <cstdio>
#include <string>

#include "core/manifest.h"
#include "core/scene_id.h"
#include "formats/data_dir.h"
#include "formats/hiscore.h"
#include "game/shots.h"
#include "game/stage.h"
#include "graphics/archive_texture.h"
#include "graphics/device.h"
#include "graphics/mesh.h"
#include "graphics/sprite.h"
#include "sound/sound.h"

int LoadingFrames = 0;
bool LoadingMakesHiscoreFile = true;

// Every texture but the loading picture, in the order they are loaded.
static const int kTextureLoadOrder[kManifestTextureCount - 1] = {
    TexCursor,       TexLogo,      TexBlack,        TexPushSpaceKey, TexStage,
    TexNumber,       TexPause,     TexReturnGame,   TexQuitGame,     TexMiniNumber,
    TexTime,         TexTimeState, TexLifeGauge,    TexResult,       TexLifeRe,
    TexLight,        TexTimeRe,    TexTotal,        TexScoreHeading, TexGame,
    TexOver,         TexStageClear, TexTimeOut,     TexStart,        TexHiscore,
    TexExit,         TexArrow,     TexHiscoreB,     TexRank,         TexHiscoreRecord,
    TexAlphabet,     TexStartBang, TexCountnum,
};

static void LoadEverything() {
    // Only whether the file is there is asked; the table is read by the title.
    if (LoadingMakesHiscoreFile) HiscoreEnsureFile(HiscorePath());
    const std::string meshArchive = DataFile(kMeshArchive);
    const std::string meshTextures = DataFile(kMeshTextureDir);
    const std::string imageArchive = DataFile(kImageArchive);
    for (int i = 0; i < kShotMeshCount; ++i)
        LoadMeshFromArchive(meshArchive.c_str(), kShotMeshFiles[i], meshTextures.c_str(), &ShotMeshes[i]);
    for (int slot : kTextureLoadOrder)
        LoadTextureFromArchive(imageArchive.c_str(), kTextureFiles[slot], &TextureTable[slot]);
    LoadShotAssets();
    for (int i = 0; i < kSoundCount; ++i) LoadWave(i, DataFile(kSoundFiles[i]).c_str());
    for (int i = 0; i < kMusicCount; ++i) LoadMusic(DataFile(kMusicFiles[i]).c_str(), i);
}

void LoadingScene() {
    // The picture comes first so that it is on screen during the long loads.
    if (LoadingFrames == 0)
        LoadTextureFromArchive(DataFile(kImageArchive).c_str(), kTextureFiles[TexNowLoading],
                               &TextureTable[TexNowLoading]);
    SetDefaultRenderStates();
    SetTextureFiltering(0);
    BeginFrame(250, 233, 233);
    DrawSprite(TextureTable[TexNowLoading], 500, 500, 756, 564, 0, 0, 256, 64, 256, 64, 1, 1, 1,
               1);
    EndFrame();
    if (LoadingFrames == 0) LoadEverything();
    ++LoadingFrames;
    if (LoadingFrames > 50) {
        PlaySound(SndOpening, 1);
        SceneId = SceneTitle;
    }
}

// Which file goes into which texture slot, mesh slot, sound id and music index.
#pragma once

enum TextureSlot {
    TexCursor = 0,
    TexLogo = 1,
    TexBlack = 2,
    TexPushSpaceKey = 3,
    TexStage = 4,
    TexNumber = 5,
    TexPause = 6,
    TexNowLoading = 7,
    TexReturnGame = 8,
    TexQuitGame = 9,
    TexMiniNumber = 10,
    TexTime = 11,
    TexTimeState = 12,
    TexLifeGauge = 13,
    TexResult = 14,
    TexLifeRe = 15,
    TexLight = 16,
    TexTimeRe = 17,
    TexTotal = 18,
    TexScoreHeading = 19,
    TexGame = 20,
    TexOver = 21,
    TexStageClear = 22,
    TexStart = 23,
    TexHiscore = 24,
    TexExit = 25,
    TexArrow = 26,
    TexHiscoreB = 27,
    TexTimeOut = 28,
    TexRank = 29,
    TexHiscoreRecord = 30,
    TexAlphabet = 31,
    TexStartBang = 32,
    TexCountnum = 33,
};
constexpr int kManifestTextureCount = 34;
extern const char* const kTextureFiles[kManifestTextureCount];

// Shot and object meshes (ShotMeshes slots 0 .. kShotMeshCount - 1).
constexpr int kShotMeshCount = 7;
extern const char* const kShotMeshFiles[kShotMeshCount];

enum SoundId {
    SndBeam = 0,
    SndStar = 1,
    SndTorp = 2,
    SndOpening = 3,
    SndArrow = 4,
    SndGun = 5,
    SndDec = 6,
    SndCancel = 7,
    SndPause = 8,
    SndTimer = 9,
};
constexpr int kSoundCount = 10;
extern const char* const kSoundFiles[kSoundCount];
constexpr int kMusicCount = 3;
extern const char* const kMusicFiles[kMusicCount];

// Inside the data folder (DataFile() gives the full path).
constexpr const char* kImageArchive = "images/images.arx";
constexpr const char* kMeshArchive = "xfiles/xfiles.arx";
constexpr const char* kMeshTextureDir = "xfiles/";
constexpr const char* kMapTextureDir = "xfiles/maps/";

#include "core/manifest.h"

const char* const kTextureFiles[kManifestTextureCount] = {
    "cursor.png",      "logo.png",        "black.bmp",      "PushSpaceKey.png",
    "Stage.png",       "Number.png",      "Pause.png",      "NowLoading.png",
    "Return Game.png", "Quit Game.png",   "miniNumber.png", "Time.png",
    "time_state.png",  "lifegauge.png",   "Result.png",     "Life_re.png",
    "light.png",       "Time_re.png",     "Total.png",      "- Score -.png",
    "Game.png",        "Over.png",        "Stage Clear.png", "Start.png",
    "Hiscore.png",     "Exit.png",        "arrow.png",      "Hiscore_b.png",
    "Time Out.png",    "rank.png",        "Hiscore Record !.png", "alphabet.png",
    "Start !.png",     "countnum.png",
};

const char* const kShotMeshFiles[kShotMeshCount] = {
    "beam.x", "star.x", "b_bullet.x", "lay.x", "t_b.x", "torpedo.x", "tri.x",
};

const char* const kSoundFiles[kSoundCount] = {
    "sounds/beam.wav",    "sounds/star.wav",  "sounds/torp.wav",
    "sounds/opening.wav", "sounds/arrow.wav", "sounds/gun.wav",
    "sounds/dec.wav",     "sounds/cancel.wav", "sounds/pause.wav",
    "sounds/timer.wav",
};

const char* const kMusicFiles[kMusicCount] = {
    "musics/music_s1.mid",
    "musics/music_s2.mid",
    "musics/music_s3.mid",
};

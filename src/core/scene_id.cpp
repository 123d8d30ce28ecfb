#include "core/scene_id.h"

int SceneId = SceneStartup;

bool InStageAttempt(int scene) { return scene >= SceneStageLoad && scene <= SceneStageEnd; }

const char* SceneName(int scene) {
    static const char* const kNames[kSceneCount] = {
        "start-up", "loading", "title", "hiscore view", "stage select", "stage load",
        "countdown", "play", "pause", "stage end", "result", "name entry"};
    return scene >= 0 && scene < kSceneCount ? kNames[scene] : "no scene";
}

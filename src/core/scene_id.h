// The scene numbers of the state machine and the current scene.
#pragma once

enum SceneIdValue {
    SceneStartup = 0,
    SceneLoading = 1,
    SceneTitle = 2,
    SceneHiscoreView = 3,
    SceneStageSelect = 4,
    SceneStageLoad = 5,
    SceneCountdown = 6,
    ScenePlay = 7,
    ScenePause = 8,
    SceneStageEnd = 9,
    SceneResult = 10,
    SceneNameEntry = 11,
};
constexpr int kSceneCount = 12;

// The scene whose handler runs next frame; a handler changes scene by writing it.
extern int SceneId;

// The scenes of one stage attempt: from the stage load to the stage-end banner.
bool InStageAttempt(int scene);
// A scene's name in words ("play", "stage end"), "no scene" outside the table.
const char* SceneName(int scene);

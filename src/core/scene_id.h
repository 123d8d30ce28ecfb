// The scene state machine and the frame dispatcher.
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

extern int SceneId;
extern int WindowActive;

// One frame: records activity, polls the mouse outside start-up and play, runs the scene.
void DispatchScene();
void StartupScene();
void TearDown();

// Scene handlers, one per scene.
void LoadingScene();          // shell/loading
void TitleScene();            // screens/title
void HiscoreViewScene();      // screens/hiscore_screens
void StageSelectScene();      // screens/title
void LoadStage();             // game/stage_setup
void CountdownScene();        // screens/stage_screens
void PlayFrame();             // game/play
void PauseScene();            // screens/stage_screens
void StageEndScene();         // screens/stage_screens
void ResultScene();           // screens/stage_screens
void NameEntryScene();        // screens/hiscore_screens

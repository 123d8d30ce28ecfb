// The scene table: one handler per scene id, in id order, checked when built.
#include "shell/scenes.h"

#include "core/buttons.h"
#include "core/scene_id.h"
#include "game/play.h"
#include "game/stage_setup.h"
#include "platform/mouse.h"
#include "platform/window.h"
#include "screens/hiscore_screens.h"
#include "screens/stage_screens.h"
#include "screens/title.h"
#include "shell/game_loop.h"
#include "shell/input_map.h"
#include "shell/loading.h"

namespace {

struct SceneRow {
    int id;
    void (*handler)();
};

constexpr SceneRow kScenes[] = {
    {SceneStartup, StartupScene},         {SceneLoading, LoadingScene},
    {SceneTitle, TitleScene},             {SceneHiscoreView, HiscoreViewScene},
    {SceneStageSelect, StageSelectScene}, {SceneStageLoad, LoadStage},
    {SceneCountdown, CountdownScene},     {ScenePlay, PlayFrame},
    {ScenePause, PauseScene},             {SceneStageEnd, StageEndScene},
    {SceneResult, ResultScene},           {SceneNameEntry, NameEntryScene},
};

constexpr bool RowsFollowIds() {
    for (int i = 0; i < kSceneCount; ++i) {
        if (kScenes[i].id != i) return false;
    }
    return true;
}
static_assert(sizeof kScenes / sizeof kScenes[0] == kSceneCount, "one row per scene id");
static_assert(RowsFollowIds(), "row k of the scene table is scene k");

}  // namespace

static bool InStage(int scene) { return scene == SceneCountdown || scene == ScenePlay; }

void DispatchScene() {
    WindowActive = PlatformWindowActive() ? 1 : 0;
    // The pointer is the game's during the countdown and play, while the
    // window is in front; in the menus and the pause it is the player's.
    PlatformCapturePointer(WindowActive && InStage(SceneId));
    // Keeps the mouse acquired while active; play reads it itself, and before
    // start-up there is no mouse.
    if (SceneId != SceneStartup && SceneId != ScenePlay) {
        int dx, dy;
        MousePoll(&dx, &dy);
    }
    // A focus lost during the stage pauses it as Enter would. A frame that
    // cannot take the pause (the countdown's last, where play wins) leaves
    // it for the next; any other scene ends the request.
    FocusPauseRequest = InStage(SceneId) && FocusPausePending() ? 1 : 0;
    if (SceneId >= 0 && SceneId < kSceneCount) kScenes[SceneId].handler();
    FocusPauseRequest = 0;
    if (!InStage(SceneId)) ClearFocusPause();
}

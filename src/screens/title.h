// The title menu and the stage select.
#pragma once

extern float TitleCursor;  // 0 Start, 1 Hiscore, 2 Exit
extern float StageCursor;  // 0..2 for stages 1..3

// Scene handlers.
void TitleScene();
void StageSelectScene();

// The screens around a stage: countdown, pause, stage end and result.
#pragma once
#include "core/tables.h"

// Loop end of each stage's tune, in thousands of ticks.
extern const int kMusicLoopEnd[kStageCount];

extern float PauseCursor;  // 0 Return Game, 1 Quit Game
// The blinking "PushSpaceKey.png" prompt of the result.
extern float PromptAlpha;
extern int PromptFlag;
// The countdown picture cell drawn on the last countdown frame (2, 1, 0, then
// 3 on the frame play starts); -1 before the first countdown.
extern int CountdownCellShown;

// The result's tally of the current stage: time bonus, life bonus and total.
int TimeBonus();
int LifeBonus();

// Scene handlers.
void CountdownScene();
void PauseScene();
void StageEndScene();
void ResultScene();

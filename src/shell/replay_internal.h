// The recorder's share of the frame loop's replay calls (shell/replay.h).
#pragma once

void RecordBeforeScene();
void RecordAfterScene();
void RecordLoopEnded();

// Loading a stage: run state, meshes, the two stage files, the player.
#pragma once

// Time limit of stages 1..3 in frames.
int StageTimeLimit(int stageNumber);
// Time limit for StageNumber, score 0, empty shot and effect pools, level camera.
void BeginStageRun();
// Reads the actor and map files into the stage tables (releasing what the
// previous stage left there) and prepares the player. False, after the fatal
// message and the quit request, when either file cannot be opened.
bool SetUpStageActors(const char* actorPath, const char* mapPath);
// Frees every collider box set and actor state the stage tables hold (tear-down).
void ReleaseStageTables();

// Scene handler: loads stage StageNumber and hands over to the countdown.
void LoadStage();

// Loading a stage: run state, meshes, the two stage files, the player.
#pragma once

// Time limit of stages 1..3 in frames.
int StageTimeLimit(int stageNumber);
// Time limit for StageNumber, score 0, empty shot and effect pools, level camera.
void BeginStageRun();
// Releases the previous stage's actors and objects, reads the actor and map
// files into the stage tables and prepares the player. False (after the
// fatal message) when the actor file holds no player.
bool SetUpStageActors(const char* actorPath, const char* mapPath);
// Frees every collider box set and actor state the stage tables hold.
void ReleaseStageTables();

// The loading scene: every asset that does not depend on the stage.
#pragma once

// Frames the loading scene has run; it hands over to the title after 51.
extern int LoadingFrames;
// Whether a missing hiscore file is made with the default table (not while
// a replay plays: it leaves the player's files alone).
extern bool LoadingMakesHiscoreFile;

// Scene handler: the loading picture, and every load on its first frame.
void LoadingScene();

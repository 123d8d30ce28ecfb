// State shared by the screens around a stage.
#pragma once

extern float FadeAlpha;
extern int BlinkFlag;
extern float CountdownFrames;
extern int CurrentMusic;

#include "screens/screen_state.h"

float FadeAlpha = 0.0f;
int BlinkFlag = 0;
float CountdownFrames = 180.0f;
int CurrentMusic = -1;

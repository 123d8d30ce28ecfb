// The play HUD: the time panel (top left) and the life gauge (bottom).
#pragma once

// Low-time blink counter and low-life pulse; they run on in the frozen scenes.
extern int TimeBlink;
extern float LifeFlashAlpha;
extern int LifeFlashFalling;

// The eight cells of the time panel for t frames left:
// minutes (2), separator, seconds (2), decimal separator, tenths, last digit of t.
void TimeGlyphs(int t, int glyphs[8]);
// Life as a fraction of MaxLife; a stage without full-scale life reads as empty.
float LifeRatio(int life);
// Steps the low-time blink counter; returns 1 when the warning beep is due.
int StepTimeBlink(int t);
// One step of the low-life pulse (0.06 per frame, up then down).
void StepLifeFlash();

void DrawTimeHud(int t);
void DrawLifeGauge(int life);

// The hiscore view, the name entry and the letters of "alphabet.png".
#pragma once

// Where the cell of a capital letter lies in "alphabet.png" (8 x 8 cells of
// 64 x 64 texels, A at the top left). False for any other character code:
// names read from a damaged file can hold anything, and those characters are
// skipped rather than sampled from outside the letter grid.
bool LetterCell(int code, float* srcX, float* srcY);
// Draws the letter to (x, y, x + 64, y + 64); 1 when drawn, 0 when skipped.
int DrawLetter(float x, float y, int code);
int DrawLetterTinted(float x, float y, int code, float r, float g, float b, float a);

// Hiscore view: the page shown, 0..2 for stages 1..3.
extern float HiscorePage;

// Name entry: whether the new entry is in the table yet, its rank (1..3) and
// the letter being edited (0..2).
extern int NameInserted;
extern int NameRank;
extern int NamePosition;

// Scene handlers.
void HiscoreViewScene();
void NameEntryScene();

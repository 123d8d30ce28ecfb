// Process-level services: clock, sleep, the quit request, fatal messages.
#pragma once
#include <cstdint>

// Millisecond clock (wraps after about 49 days, compare with unsigned arithmetic).
uint32_t PlatformMillis();
void PlatformSleep(uint32_t ms);
// Sleeps until PlatformMillis() reads `ms` (returns at once when it already
// does), waking within a fraction of a millisecond of it.
void PlatformSleepUntilMillis(uint32_t ms);

// The quit request: the message loop leaves at its next turn.
void PostQuit(int exitCode);
bool QuitRequested();
int QuitExitCode();
void ResetQuit();

// A fatal message: a message box on a real desktop, and the same UTF-8 text on
// stderr. Never opens a box in a scripted run or a test (ZORBAT_NO_MSGBOX, ZORBAT_TEST).
// Caption null means the default caption. After a fatal message of the same
// run (since ResetQuit) the text goes to stderr only.
void ShowMessageBox(const char* text, const char* caption);
// The same for a fault that ends the game: only the first one of a run gets a
// box, and the quit request is posted with exit status 1.
void ShowFatalMessage(const char* text, const char* caption);
void SetMessageBoxesEnabled(bool enabled);
// The boxes this run has shown since ResetQuit (where boxes are off, those it would have).
int MessageBoxCount();

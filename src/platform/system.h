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
// Caption null means the default caption.
void ShowMessageBox(const char* text, const char* caption);
void SetMessageBoxesEnabled(bool enabled);

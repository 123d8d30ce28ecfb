// Replays of stage attempts: recorded as the game is played, played back
// frame for frame, and checked against the digests taken when recorded.
//
// A recording starts on the stage load and follows every frame to the end
// of the attempt (the stage-end banner, Quit Game, or the game quitting). At
// the start of each frame it notes what the game is about to read: the
// buttons the keys hold, the mouse's motion and buttons, the window's
// activation. After each frame it takes the state's digest. All of it goes
// into a fixed buffer; the file is written once the attempt is over.
#pragma once
#include <string>

// ---- recording ----

// The game: every attempt into the replay folder (formats/replay_store.h).
void RecordAttemptsToStore(bool on);
// A scripted run: each attempt into `path`, so that the run's last one stays
// there ("" records nothing).
void RecordAttemptsTo(const std::string& path);
// After the run: true when an attempt was written to the file of RecordAttemptsTo.
bool RecordedFileWritten();

// ---- playback ----

// Reads a replay and checks it against this game's stage data; false with the
// reason (what differs, or what is wrong with the file) in *error. Nothing is
// played then.
bool LoadReplay(const char* path, std::string* error);
// Arms the loaded replay for the next run of the game: the run goes from the
// loading scene straight into the recorded stage and ends with the attempt.
// `verify` stops at the first frame whose digest differs; otherwise a
// difference is reported once on stderr and play goes on. `controls`: the
// keyboard's Space doubles the speed and Escape ends (a player watching).
void StartPlayback(bool verify, bool controls);
void StopPlayback();
// After the run: frames played, and the first frame whose state differed from
// the recording (-1 when none did).
int PlaybackFramesPlayed();
int PlaybackFirstDifference();
int PlaybackFrames();  // frames of the loaded replay
// The run's own frame number (1 = start-up) of replay frame 0, the stage load.
int PlaybackStageLoadRunFrame();

// ---- called by the frame loop ----

// Just before the scene of each frame runs, and just after.
void ReplayBeforeScene();
void ReplayAfterScene();
// A key pressed while a replay plays with controls.
void ReplayControlKey(int virtualKey);
// The loop has ended (before tear-down): an attempt still being recorded ends here.
void ReplayLoopEnded();

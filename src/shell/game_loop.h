// The message loop, the 16 ms frame clock, start-up and tear-down.
#pragma once
#include <cstdint>

struct RunOptions {
    bool paced = true;  // false: a frame is due on every loop turn and nothing sleeps
    // Called before the loop looks for frame `frame`; a scripted run queues that frame's input here.
    void (*beforeFrame)(int frame, void* ctx) = nullptr;
    // Called when frame `frame` is due, just before its scene runs (timings).
    void (*frameStart)(int frame, void* ctx) = nullptr;
    // Called when frame `frame` has run.
    void (*afterFrame)(int frame, void* ctx) = nullptr;
    void* ctx = nullptr;
};

// Opens the window, runs the loop until a quit request, tears down. Returns the
// quit request's exit code, or 1 when there is no window to play in.
int RunGame(const RunOptions& options);

// A frame every 16 ms; a replay watched at double speed halves it.
constexpr int kFramePeriodMs = 16;
void SetFramePeriod(int ms);

void FrameClockStart();
int FrameClockDue();
// Paced, waits until the next frame is due; with a test clock, 1 ms as always.
void FrameClockWait();
// Test hook: the millisecond clock the frame clock reads (null: the real one).
void SetFrameClockSource(uint32_t (*clock)());
void SetFramePacing(bool paced);

struct PlatformEvent;
// The game's handling of one window message.
void WindowProc(const PlatformEvent& ev);

// Scene 0: the devices, the window, the shadow target, the mouse and the
// generator's seed, then the loading scene.
void StartupScene();
// Everything start-up and loading made, released in order after the loop ends.
void TearDown();

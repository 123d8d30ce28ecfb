#include "platform/system.h"

#include <SDL.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "platform/sdl_window.h"

namespace {
bool g_quit = false;
int g_exitCode = 0;
bool g_fatalShown = false;  // a fatal message was shown in this run
int g_boxes = 0;            // boxes of this run (counted where boxes are off too)
int g_boxesEnabled = -1;  // -1: decide from the environment

bool BoxesEnabled() {
    if (g_boxesEnabled < 0) {
        // A message box under Xvfb waits for a click for ever: scripted runs and
        // tests only ever print the text.
        g_boxesEnabled = std::getenv("ZORBAT_TEST") == nullptr &&
                         std::getenv("ZORBAT_NO_MSGBOX") == nullptr;
    }
    return g_boxesEnabled != 0;
}
}  // namespace

namespace {
const std::chrono::steady_clock::time_point& ClockStart() {
    static const std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
    return start;
}
}  // namespace

uint32_t PlatformMillis() {
    using namespace std::chrono;
    return static_cast<uint32_t>(duration_cast<milliseconds>(steady_clock::now() - ClockStart()).count());
}

void PlatformSleep(uint32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

void PlatformSleepUntilMillis(uint32_t ms) {
    // Differences in unsigned arithmetic, so the wrap after 49 days is no step.
    const uint32_t ahead = ms - PlatformMillis();
    if (ahead == 0 || ahead > 0x80000000u) return;
    const auto start = ClockStart();
    const auto now = std::chrono::steady_clock::now();
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(now - start).count();
    std::this_thread::sleep_until(start + std::chrono::milliseconds(elapsed + ahead));
}

void PostQuit(int exitCode) {
    if (!g_quit) g_exitCode = exitCode;
    g_quit = true;
}

bool QuitRequested() { return g_quit; }
int QuitExitCode() { return g_exitCode; }

void ResetQuit() {
    g_quit = false;
    g_exitCode = 0;
    g_fatalShown = false;
    g_boxes = 0;
}

void ShowMessageBox(const char* text, const char* caption) {
    std::fprintf(stderr, "%s%s%s\n", caption ? caption : "", caption ? ": " : "", text);
    std::fflush(stderr);
    // Once the game is ending for one fault, the faults that follow from it
    // (every other file of a missing folder, say) are not worth a click each.
    if (g_fatalShown) return;
    ++g_boxes;
    if (!BoxesEnabled()) return;
    // The default caption is the program's name, as a system box would show.
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption ? caption : "Zorbat U.F.O.", text,
                             PlatformSdlWindow());
}

void ShowFatalMessage(const char* text, const char* caption) {
    ShowMessageBox(text, caption);
    g_fatalShown = true;
    PostQuit(1);
}

int MessageBoxCount() { return g_boxes; }

void SetMessageBoxesEnabled(bool enabled) { g_boxesEnabled = enabled ? 1 : 0; }

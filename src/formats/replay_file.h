// A recorded stage attempt: where it started (stage, generator, the screens'
// state at the stage load), what the player did frame by frame, and digests
// of the game state to check a playback against. Stored as a small text file:
//
//   zorbat replay 1
//   stage 2
//   end clear                      clear, gameover, timeout or quit
//   frames 1234                    frames 0 (the stage load) .. 1233
//   random 2739155710              the generator's state at the stage load
//   data c2.pxd 9f0c... m2.pxd 41a7...   digests of the stage's two files
//   latches 0 0 0 0 1 0 0          the seven buttons' edge latches
//   countdown 180                  the countdown's frames left
//   banner 0                       the start banner's frames left
//   hud 0 0 0                      time blink, life pulse alpha and direction
//   shown gameover                 the stage end last shown (clear, gameover or
//                                  timeout; clear in a game that has shown none)
//   input
//   0 press space                  a button held from this frame on
//   57 mouse 3 -2                  mouse motion read on this frame
//   130 button 0 down              a mouse button (0 left, 1 right, 2 middle)
//   415 release space
//   900 focus out                  the window lost (or regained) activation
//   900 focus pause                the lost focus asks for a pause (a setting)
//   digests
//   59 0123456789abcdef 1a2b...    frame, its full digest, then the low 16 bits
//                                  of every frame's digest since the last line
//   end
//
// The input is what reached the game: the buttons as the keys held them, the
// mouse as the game read it. The reader takes nothing it cannot vouch for.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

constexpr int kReplayFormat = 1;
// About 35 minutes of frames, pauses included; a longer attempt is not kept.
constexpr int kReplayMaxFrames = 1 << 17;
constexpr int kReplayMaxEvents = 1 << 17;
// A full digest every this many frames (and on the last).
constexpr int kReplayCheckEvery = 60;
constexpr int kReplayMaxChecks = kReplayMaxFrames / kReplayCheckEvery + 1;
constexpr size_t kReplayMaxFileBytes = size_t(8) << 20;
// Mouse motion of one frame beyond this is refused as damage.
constexpr int kReplayMaxMotion = 1000000;

// How the attempt ended: the stage's end reasons (EndReasonValue) in their
// order, then a quit (Quit Game, Escape, the window closed).
enum ReplayEnd { ReplayClear = 0, ReplayGameOver = 1, ReplayTimeOut = 2, ReplayQuit = 3 };
const char* ReplayEndName(int end);

enum ReplayEventKind : uint8_t {
    ReplayPress,       // code: button 0..6
    ReplayRelease,     // code: button 0..6
    ReplayMouse,       // dx, dy
    ReplayButtonDown,  // code: mouse button 0..2
    ReplayButtonUp,
    ReplayFocusOut,
    ReplayFocusIn,
    ReplayFocusPause,  // a pause asked for by a lost focus, from this frame on until taken
};

struct ReplayEvent {
    int32_t frame;
    uint8_t kind;
    uint8_t code;
    int32_t dx, dy;
};

// What the screens around the stage carry into it from before the stage load.
struct ReplayCarry {
    int latches[7];
    float countdownFrames;
    int startBanner;
    int timeBlink;
    float lifeFlashAlpha;
    int lifeFlashFalling;
    int endShown;  // EndReasonValue: nothing reads it until the stage ends, but it is state
};

struct ReplayCheck {
    int32_t frame;
    uint64_t digest;
};

// Large (about 2.5 MB): kept in static storage or allocated once, never on the stack.
struct Replay {
    int stage = 1;
    int end = ReplayQuit;
    int frames = 0;
    uint32_t random = 0;
    uint64_t actorData = 0, mapData = 0;
    ReplayCarry carry{};
    int eventCount = 0;
    ReplayEvent events[kReplayMaxEvents];
    uint16_t frameDigest[kReplayMaxFrames];  // low 16 bits of each frame's digest
    int checkCount = 0;
    ReplayCheck checks[kReplayMaxChecks];
};

// True on the frames whose full digest is kept: every 60th and the last.
bool IsReplayCheckFrame(int frame, int frames);

// The text of a replay.
std::string FormatReplay(const Replay& replay);
// Reads the text of a replay; false with "line N: what is wrong" (or the
// version found) in *error. On failure *out holds nothing usable.
bool ParseReplay(const char* text, size_t size, Replay* out, std::string* error);
// The same from a file: a regular file of at most kReplayMaxFileBytes; the
// error then starts with what kept the file from being read.
bool ReadReplayFile(const char* path, Replay* out, std::string* error);
// Writes `text` to `path` through a new file beside it, renamed over; false
// with the reason in *error.
bool WriteReplayFile(const char* path, const std::string& text, std::string* error);

// The digest of a file's bytes (a regular file of at most 1 MB); false when it
// cannot be read.
bool FileDigest(const std::string& path, uint64_t* digest);

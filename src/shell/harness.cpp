#include "shell/harness.h"

#include <fcntl.h>
#include <unistd.h>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <sstream>

#include "core/buttons.h"
#include "core/random.h"
#include "core/scene_id.h"
#include "platform/audio.h"
#include "platform/png_writer.h"
#include "platform/render.h"
#include "platform/system.h"
#include "platform/window.h"
#include "shell/game_loop.h"
#include "shell/input_map.h"
#include "shell/replay.h"
#include "shell/state_dump.h"

namespace {

struct RunContext {
    const HarnessOptions* options;
    size_t nextEvent;
    uint8_t* frame;  // 800 x 600 RGBA read-back
    int sceneRunning;  // the scene the next frame runs
    double frameStart;
    bool writeFailed;  // a screenshot or a state dump could not be written
};

double MonotonicMs() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

// Resident set size in KB, from /proc (0 where it cannot be read).
long ResidentKb() {
    char text[128];
    const int fd = open("/proc/self/statm", O_RDONLY);
    if (fd < 0) return 0;
    const ssize_t n = read(fd, text, sizeof text - 1);
    close(fd);
    if (n <= 0) return 0;
    text[n] = '\0';
    long pages = 0, resident = 0;
    if (std::sscanf(text, "%ld %ld", &pages, &resident) != 2) return 0;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

void BeforeFrame(int frame, void* p) {
    RunContext* run = static_cast<RunContext*>(p);
    const auto& script = run->options->script;
    while (run->nextEvent < script.size() && script[run->nextEvent].frame <= frame) {
        PlatformInjectEvent(script[run->nextEvent].event);
        ++run->nextEvent;
    }
    if (run->options->inputHook) run->options->inputHook(frame, run->options->hookCtx);
    // The device copies a presented picture only when asked beforehand. A
    // frame that presents nothing (a menu's confirming frame, the stage
    // load) still has a screenshot: the picture presented last before it. So
    // every present is copied until the last screenshot's frame has run.
    for (const auto& shot : run->options->screenshots) {
        if (shot.first >= frame) {
            RdCaptureNextPresent();
            break;
        }
    }
}

void FrameStart(int, void* p) {
    RunContext* run = static_cast<RunContext*>(p);
    if (run->options->timings) run->frameStart = MonotonicMs();
}

void AfterFrame(int frame, void* p) {
    RunContext* run = static_cast<RunContext*>(p);
    const HarnessOptions& o = *run->options;
    if (o.timings) {
        const double end = MonotonicMs();
        const RdStats d = RdGetStats();
        RdResetStats();
        std::printf("frame %d scene %d start %.3f end %.3f rss %ld draws %d quads %d meshes %d "
                    "culled %d programs %d\n",
                    frame, run->sceneRunning, run->frameStart, end, ResidentKb(), d.drawCalls,
                    d.quadsQueued, d.meshDraws, d.meshesCulled, d.programSwitches);
        std::fflush(stdout);
    }
    // A scene hands over at the end of its frame: what it set runs next.
    run->sceneRunning = SceneId;
    for (const auto& [f, path] : o.screenshots) {
        if (f != frame) continue;
        if (!RdReadLastFrame(run->frame) || !WritePng(path.c_str(), kViewWidth, kViewHeight, run->frame)) {
            std::fprintf(stderr, "zorbat-harness: cannot write screenshot %s\n", path.c_str());
            run->writeFailed = true;
        }
    }
    for (const auto& [f, path] : o.states) {
        if (f == frame && !WriteStateJson(path.c_str(), frame)) {
            std::fprintf(stderr, "zorbat-harness: cannot write state %s\n", path.c_str());
            run->writeFailed = true;
        }
    }
    if (o.frameHook) o.frameHook(frame, o.hookCtx);
    if (frame >= o.frames) PostQuit(0);
}

// A whole number of decimal digits from `text` up to `end` (or its end),
// 0..max; no sign, no spaces, nothing that would wrap: 4294967297 frames is
// not one frame.
bool ParseNumber(const char* text, const char* end, uint64_t max, uint64_t* out) {
    if (!end) end = text + std::strlen(text);
    if (text == end) return false;
    uint64_t value = 0;
    for (const char* p = text; p < end; ++p) {
        if (*p < '0' || *p > '9') return false;
        value = value * 10 + uint64_t(*p - '0');
        if (value > max) return false;
    }
    *out = value;
    return true;
}

bool FrameSpec(const char* arg, int* frame, std::string* path) {
    const char* colon = std::strchr(arg, ':');
    if (!colon || colon == arg || colon[1] == '\0') return false;
    uint64_t f = 0;
    if (!ParseNumber(arg, colon, INT32_MAX, &f) || f < 1) return false;
    *frame = static_cast<int>(f);
    *path = colon + 1;
    return true;
}

// After a replay was checked: what the run found, and the exit status.
int ReportReplay(const HarnessOptions& options, int rc) {
    const int differs = PlaybackFirstDifference();
    const int played = PlaybackFramesPlayed();
    const int frames = PlaybackFrames();
    const char* file = options.replay.c_str();
    if (differs >= 0) {
        std::fprintf(stderr, "zorbat-harness: %s: frame %d of %d (the run's frame %d) differs from the recording\n",
                     file, differs, frames, differs + PlaybackStageLoadRunFrame());
        return 1;
    }
    if (rc != 0) return rc;
    if (played < frames) {
        std::fprintf(stderr, "zorbat-harness: %s: the run ended after %d of its %d frames\n", file, played, frames);
        return 1;
    }
    std::printf("zorbat-harness: %s: all %d frames as recorded\n", file, frames);
    return 0;
}

}  // namespace

int RunHarness(const HarnessOptions& options) {
    // A message box would wait for a click that never comes.
    SetMessageBoxesEnabled(false);
    if (!options.replay.empty()) {
        std::string error;
        if (!LoadReplay(options.replay.c_str(), &error)) {
            std::fprintf(stderr, "zorbat-harness: %s: %s\n", options.replay.c_str(), error.c_str());
            return 2;
        }
        StartPlayback(options.verify, false);
    }
    RecordAttemptsTo(options.record);
    SetFixedSeed(true, options.seed);
    PlatformSetScripted(true);
    ResetQuit();
    ResetInput();
    // The game's own controls, whatever the player's settings say.
    InputSettings input;
    input.pauseOnFocusLoss = options.pauseOnFocusLoss;
    input.comfortKeys = false;
    SetInputSettings(input);
    AudioSetVolumes(100, 100, false);
    SceneId = SceneStartup;

    static uint8_t pixels[kViewWidth * kViewHeight * 4];
    RunContext run{&options, 0, pixels, SceneStartup, 0.0, false};
    RunOptions ro;
    ro.paced = options.realtime;
    ro.beforeFrame = BeforeFrame;
    ro.frameStart = FrameStart;
    ro.afterFrame = AfterFrame;
    ro.ctx = &run;
    int rc = RunGame(ro);
    PlatformSetScripted(false);
    SetFixedSeed(false, 0);
    if (!options.replay.empty()) {
        StopPlayback();
        if (options.verify) rc = ReportReplay(options, rc);
    }
    if (!options.record.empty()) {
        const bool written = RecordedFileWritten();
        RecordAttemptsTo("");
        if (!written) {
            std::fprintf(stderr, "zorbat-harness: no stage attempt recorded to %s\n", options.record.c_str());
            run.writeFailed = true;
        }
    }
    // 1 with no window, when a fatal message ended the game or a checked
    // replay differed; otherwise 3 when a screenshot, a state dump or the
    // replay asked for could not be written.
    if (rc != 0) return rc;
    return run.writeFailed ? 3 : 0;
}

bool ParseHarnessArgs(int argc, char** argv, HarnessOptions* out, std::string* dir,
                      int* exitCode) {
    *exitCode = 2;
    const char* usage =
        "usage: zorbat-harness --frames N [--dir DIR] [--seed S] [--script FILE] [--record FILE]\n"
        "                      [--screenshot F:FILE.png]... [--state F:FILE.json]... [--realtime]\n"
        "                      [--timings] [--pause-on-focus-loss]\n"
        "       zorbat-harness --replay FILE [--verify | --frames N] [--dir DIR] [--screenshot ...]...\n";
    bool haveFrames = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool hasValue = i + 1 < argc;
        if (a == "--realtime") {
            out->realtime = true;
        } else if (a == "--timings") {
            out->timings = true;
        } else if (a == "--verify") {
            out->verify = true;
        } else if ((a == "--replay" || a == "--record") && hasValue) {
            (a == "--replay" ? out->replay : out->record) = argv[++i];
        } else if (a == "--pause-on-focus-loss") {
            out->pauseOnFocusLoss = true;
        } else if (a == "--frames" && hasValue) {
            uint64_t n = 0;
            if (!ParseNumber(argv[++i], nullptr, INT32_MAX, &n) || n < 1) {
                std::fprintf(stderr, "zorbat-harness: --frames needs a number from 1 to 2147483647\n");
                return false;
            }
            out->frames = static_cast<int>(n);
            haveFrames = true;
        } else if (a == "--dir" && hasValue) {
            *dir = argv[++i];
        } else if (a == "--seed" && hasValue) {
            uint64_t s = 0;
            if (!ParseNumber(argv[++i], nullptr, UINT32_MAX, &s)) {
                std::fprintf(stderr, "zorbat-harness: --seed needs a number from 0 to 4294967295\n");
                return false;
            }
            out->seed = static_cast<uint32_t>(s);
        } else if (a == "--script" && hasValue) {
            const char* file = argv[++i];
            std::ifstream in(file, std::ios::binary);
            if (!in) {
                std::fprintf(stderr, "zorbat-harness: cannot read script %s\n", file);
                return false;
            }
            std::stringstream text;
            text << in.rdbuf();
            int line = 0;
            std::string reason;
            if (!ParseScript(text.str(), &out->script, &line, &reason)) {
                std::fprintf(stderr, "zorbat-harness: %s:%d: %s\n", file, line, reason.c_str());
                return false;
            }
        } else if ((a == "--screenshot" || a == "--state") && hasValue) {
            int f;
            std::string path;
            if (!FrameSpec(argv[++i], &f, &path)) {
                std::fprintf(stderr, "zorbat-harness: %s needs F:FILE\n", a.c_str());
                return false;
            }
            (a == "--state" ? out->states : out->screenshots).emplace_back(f, path);
        } else {
            std::fprintf(stderr, "zorbat-harness: unexpected argument '%s'\n%s", a.c_str(), usage);
            return false;
        }
    }
    const bool replay = !out->replay.empty();
    const char* clash = nullptr;
    if (out->verify && !replay) clash = "--verify checks a --replay";
    else if (replay && !out->script.empty()) clash = "--replay plays instead of a --script";
    else if (replay && !out->record.empty()) clash = "--replay cannot --record";
    else if (out->verify && haveFrames) clash = "--verify plays the whole replay: no --frames";
    if (clash) {
        std::fprintf(stderr, "zorbat-harness: %s\n", clash);
        return false;
    }
    // A replay ends the run itself, after its last frame.
    if (replay && !haveFrames) out->frames = 1 << 30;
    else if (!haveFrames) {
        std::fprintf(stderr, "%s", usage);
        return false;
    }
    *exitCode = 0;
    return true;
}

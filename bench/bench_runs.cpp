// Figures of whole runs of the real game, each in a fresh process of
// zorbat-harness that reports every frame's times and resident memory
// (--timings): the time from launching the process to its first title frame,
// the loading frame with all its loads, and a minute of real-time play for
// memory and frame pacing.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct FrameTime {
    int frame, scene;
    double start, end;  // monotonic ms
    long rssKb;
};

struct Run {
    bool ok = false;
    std::string why;
    double launched = 0.0;  // monotonic ms just before the process was started
    std::vector<FrameTime> frames;
};

constexpr int kSceneTitle = 2, kSceneCountdown = 6, kScenePlay = 7;

double MonotonicMs() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

// A scratch copy of the game's data for one run: the read-only parts linked,
// the stage and score files copied, so runs never touch the build's own.
std::string Workspace(const char* script) {
    const fs::path data = fs::path(ZORBAT_BINARY_DIR) / "data";
    if (!fs::exists(data / "images" / "images.arx")) return "";
    char tmpl[] = "/tmp/zorbat-bench-XXXXXX";
    if (mkdtemp(tmpl) == nullptr) return "";
    const fs::path dir = tmpl;
    std::error_code e;
    fs::create_directories(dir / "data", e);
    for (const auto& entry : fs::directory_iterator(data, e)) {
        if (entry.path().filename() == "bin") {
            fs::copy(entry.path(), dir / "data" / "bin", fs::copy_options::recursive, e);
            fs::remove(dir / "data" / "bin" / "hiscore.pxd", e);
        } else {
            fs::create_directory_symlink(entry.path(), dir / "data" / entry.path().filename(), e);
        }
    }
    std::ofstream(dir / "script.txt") << script;
    return dir.string();
}

// `env` is put before the command (variables for the run, such as the audio driver).
Run LaunchHarness(int frames, bool realtime, const char* script, const std::string& env = "") {
    Run run;
    const std::string dir = Workspace(script);
    if (dir.empty()) {
        run.why = "no game data in the build directory";
        return run;
    }
    const std::string cmd = "exec env " + env + " " + ZORBAT_BINARY_DIR + "/zorbat-harness --frames " +
                            std::to_string(frames) + (realtime ? " --realtime" : "") +
                            " --timings --script " + dir + "/script.txt --dir " + dir + " 2>/dev/null";
    run.launched = MonotonicMs();
    FILE* p = popen(cmd.c_str(), "r");
    if (p == nullptr) {
        run.why = "cannot start zorbat-harness";
        return run;
    }
    char line[256];
    while (std::fgets(line, sizeof line, p)) {
        FrameTime f{};
        if (std::sscanf(line, "frame %d scene %d start %lf end %lf rss %ld", &f.frame, &f.scene,
                        &f.start, &f.end, &f.rssKb) == 5) {
            run.frames.push_back(f);
        }
    }
    const int status = pclose(p);
    std::error_code e;
    fs::remove_all(dir, e);
    run.ok = status == 0 && static_cast<int>(run.frames.size()) == frames;
    if (!run.ok)
        run.why = "zorbat-harness stopped after " + std::to_string(run.frames.size()) + " of " +
                  std::to_string(frames) + " frames (status " + std::to_string(status) + ")";
    return run;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
}

// Frame 1 starts the game, 2 to 52 are the loading scene (its first frame
// does every load), 53 is the first title frame.
constexpr int kFirstTitleFrame = 53;

// Launch to the end of the first title frame, paced in real time as the game
// runs; the median of three launches.
void StartToTitle(benchmark::State& state) {
    for (auto _ : state) {
        std::vector<double> times;
        for (int i = 0; i < 3; ++i) {
            const Run run = LaunchHarness(kFirstTitleFrame, true, "");
            if (!run.ok) {
                state.SkipWithError(run.why.c_str());
                return;
            }
            for (const FrameTime& f : run.frames) {
                if (f.scene == kSceneTitle) {
                    times.push_back(f.end - run.launched);
                    break;
                }
            }
        }
        if (times.size() != 3) {
            state.SkipWithError("no title frame");
            return;
        }
        state.SetIterationTime(Median(times) / 1e3);
    }
}
BENCHMARK(StartToTitle)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

// The loading scene's first frame, unpaced: drawing the picture and every load.
void LoadingFrame(benchmark::State& state) {
    for (auto _ : state) {
        std::vector<double> times;
        for (int i = 0; i < 3; ++i) {
            const Run run = LaunchHarness(3, false, "");
            if (!run.ok) {
                state.SkipWithError(run.why.c_str());
                return;
            }
            if (run.frames[1].scene != 1) {
                state.SkipWithError("frame 2 is not the loading scene");
                return;
            }
            times.push_back(run.frames[1].end - run.frames[1].start);
        }
        state.SetIterationTime(Median(times) / 1e3);
    }
}
BENCHMARK(LoadingFrame)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

// A minute of stage 1 in real time: from the title to the stage, then up
// to the ceiling, where nothing of the stage reaches a scripted craft for the
// whole minute while it fires both weapons and turns left and right, the
// tanks firing below it. (The craft must live the minute: this stage has no
// gunship, and tank shells fly level just above the ground.)
constexpr int kPlaySeconds = 60;
const char* const kPlayScript =
    "80 tap RETURN\n85 tap SPACE\n"
    "270 down SPACE\n400 up SPACE\n270 button 0 down\n270 button 1 down\n"
    "330 mouse 60 0\n600 mouse -120 0\n900 mouse 90 10\n1200 mouse -60 -10\n"
    "1500 mouse 120 0\n1800 mouse -90 0\n2100 mouse 60 5\n2400 mouse -120 -5\n"
    "2700 mouse 90 0\n3000 mouse -60 0\n3300 mouse 120 0\n3600 mouse -90 0\n";

struct PlayMinute {
    Run run;
    std::vector<double> intervals;  // ms between the starts of successive frames
    std::vector<double> presents;   // ms between their ends (the presents)
    double residentMb = 0.0;        // the most while playing
    int playFrames = 0;
};

double Percentile99(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[static_cast<size_t>(std::ceil(0.99 * static_cast<double>(v.size()))) - 1];
}

const PlayMinute& PlayedMinute() {
    static PlayMinute m;
    static bool done = false;
    if (done) return m;
    done = true;
    // The countdown starts near frame 90; 60 s at 16 ms a frame is 3750 frames.
    m.run = LaunchHarness(90 + kPlaySeconds * 1000 / 16 + 100, true, kPlayScript);
    if (!m.run.ok) return m;
    // From the stage's first frame on screen (the countdown), after its load.
    size_t first = 0;
    while (first < m.run.frames.size() && m.run.frames[first].scene != kSceneCountdown) ++first;
    if (first == m.run.frames.size()) {
        m.run.ok = false;
        m.run.why = "the run never reached the stage";
        return m;
    }
    const double until = m.run.frames[first].start + kPlaySeconds * 1000.0;
    for (size_t i = first; i < m.run.frames.size(); ++i) {
        const FrameTime& f = m.run.frames[i];
        if (f.start > until) break;
        if (i > first) {
            m.intervals.push_back(f.start - m.run.frames[i - 1].start);
            m.presents.push_back(f.end - m.run.frames[i - 1].end);
        }
        if (f.scene == kScenePlay) {
            ++m.playFrames;
            m.residentMb = std::max(m.residentMb, static_cast<double>(f.rssKb) / 1024.0);
        }
    }
    return m;
}

void ResidentWhilePlaying(benchmark::State& state) {
    const PlayMinute& m = PlayedMinute();
    for (auto _ : state) {
        if (!m.run.ok) {
            state.SkipWithError(m.run.why.c_str());
            return;
        }
    }
    state.counters["MB"] = m.residentMb;
    state.counters["play_frames"] = m.playFrames;
}
BENCHMARK(ResidentWhilePlaying)->Iterations(1);

// The game's frame clock over the minute from the stage's first frame (its
// countdown) on: the interval between the starts of successive frames at the
// 99th percentile, and the longest. The presents' own intervals (which also vary
// with each frame's work) are shown beside them.
void FramePacing(benchmark::State& state, bool longest) {
    const PlayMinute& m = PlayedMinute();
    for (auto _ : state) {
        if (!m.run.ok || m.intervals.empty()) {
            state.SkipWithError(m.run.ok ? "no intervals" : m.run.why.c_str());
            return;
        }
        const double ms = longest ? *std::max_element(m.intervals.begin(), m.intervals.end())
                                  : Percentile99(m.intervals);
        state.SetIterationTime(ms / 1e3);
    }
    state.counters["intervals"] = static_cast<double>(m.intervals.size());
    state.counters["present_ms"] = longest ? *std::max_element(m.presents.begin(), m.presents.end())
                                           : Percentile99(m.presents);
}
BENCHMARK_CAPTURE(FramePacing, p99_interval, false)
    ->Name("FramePacing/p99_interval")->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FramePacing, max_interval, true)
    ->Name("FramePacing/max_interval")->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

// The loudest play there is, as the speakers get it: stage 3 three times
// over, both weapons held from the first play frame on and the craft
// climbing while the enemies fire back until they shoot it down, in real
// time, with SDL's disk audio driver writing every sample the mixer makes to
// a file. A sample at full scale is a clipped one; the mixer's limiter keeps
// the mix at -1 dBFS at most.
//
// The craft's 150 life lasts 283 play frames here, and each round from one
// title to the next takes 700 frames; a change to stage 3 that moves these
// shows as "did not play stage 3 three times" rather than as a quiet run.
constexpr int kLoudPlayFrames = 283;
constexpr int kLoudRound = 700;
constexpr int kLoudFirstTitle = 53;
constexpr int kLoudFrames = kLoudFirstTitle + 3 * kLoudRound;

std::string LoudScript() {
    std::string s = "270 button 0 down\n270 button 1 down\n";
    // The title appears at start and after each game over.
    for (int round = 0; round < 3; ++round) {
        const int title = kLoudFirstTitle + round * kLoudRound;
        const int play = title + 216;
        for (const auto& [at, what] : {std::pair{27, "tap RETURN"}, {29, "tap DOWN"}, {31, "tap DOWN"},
                                       {33, "tap SPACE"}}) {
            s += std::to_string(title + at) + " " + what + "\n";
        }
        s += std::to_string(play + 1) + " down SPACE\n" + std::to_string(play + 131) + " up SPACE\n";
        s += std::to_string(play + 60) + " mouse 60 0\n" + std::to_string(play + 200) + " mouse -120 0\n";
    }
    return s;
}

void MixPeaks(benchmark::State& state) {
    char raw[] = "/tmp/zorbat-bench-audio-XXXXXX";
    const int fd = mkstemp(raw);
    if (fd < 0) {
        state.SkipWithError("cannot make a scratch file");
        return;
    }
    close(fd);
    const std::string script = LoudScript();
    const Run run = LaunchHarness(kLoudFrames, true, script.c_str(),
                                  std::string("SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=") + raw);
    std::ifstream in(raw, std::ios::binary);
    std::vector<float> samples;
    float v;
    while (in.read(reinterpret_cast<char*>(&v), sizeof v)) samples.push_back(v);
    std::remove(raw);
    int playFrames = 0;
    for (const FrameTime& f : run.frames) playFrames += f.scene == kScenePlay;
    for (auto _ : state) {
        if (!run.ok || samples.empty() || playFrames != 3 * kLoudPlayFrames) {
            state.SkipWithError(run.ok ? (samples.empty() ? "the disk audio driver wrote nothing"
                                                          : "the run did not play stage 3 three times")
                                       : run.why.c_str());
            return;
        }
        state.SetIterationTime(static_cast<double>(samples.size()) / (2.0 * 44100.0));
    }
    double peak = 0.0, sum = 0.0;
    long clipped = 0;
    for (float x : samples) {
        const double a = std::fabs(static_cast<double>(x));
        peak = std::max(peak, a);
        sum += a * a;
        clipped += a >= 1.0;
    }
    state.counters["clipped"] = static_cast<double>(clipped);
    state.counters["peak_dBFS"] = peak > 0.0 ? 20.0 * std::log10(peak) : -200.0;
    state.counters["rms_dBFS"] = 10.0 * std::log10(sum / static_cast<double>(samples.size()) + 1e-30);
    state.counters["play_frames"] = playFrames;
}
BENCHMARK(MixPeaks)->Name("MixPeaks/stage3_all_weapons")->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

}  // namespace

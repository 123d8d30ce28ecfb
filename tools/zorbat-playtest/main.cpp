// zorbat-playtest: plays every stage many times with reference pilots through
// the game's own stage set-up and play update (no window, no drawing, no
// pacing) and reports how each pilot fares.
//   zorbat-playtest [--dir DIR] [--stages 1,2,3] [--pilots idle,novice,skilled]
//                   [--seeds N] [--first-seed S] [--jobs N] [--json FILE]
//   zorbat-playtest --replay STAGE:PILOT:SEED --script FILE [--state FILE] [--dir DIR]
// The second form writes a zorbat-harness script that plays the same run in
// the real game, from the title, and prints the harness command for it.
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "game/stage.h"
#include "pilots.h"
#include "replay.h"
#include "report.h"
#include "run.h"

namespace {

struct Options {
    std::string dir;
    std::vector<int> stages{1, 2, 3};
    std::vector<int> pilots{PilotIdle, PilotNovice, PilotSkilled};
    int seeds = 20;
    uint32_t firstSeed = 1;
    int jobs = 2;
    std::string json = "playtest.json";
    bool replay = false;
    RunPlan replaySpec;
    std::string script, state;
};

const char* const kUsage =
    "usage: zorbat-playtest [--dir DIR] [--stages 1,2,3] [--pilots idle,novice,skilled]\n"
    "                       [--seeds N] [--first-seed S] [--jobs N] [--json FILE]\n"
    "       zorbat-playtest --replay STAGE:PILOT:SEED --script FILE [--state FILE] [--dir DIR]\n";

bool Number(const char* text, long lo, long hi, long* out) {
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || errno != 0 || v < lo || v > hi) return false;
    *out = v;
    return true;
}

std::vector<std::string> Split(const std::string& text, char sep) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        const size_t at = text.find(sep, start);
        parts.push_back(text.substr(start, at == std::string::npos ? std::string::npos : at - start));
        if (at == std::string::npos) return parts;
        start = at + 1;
    }
}

bool ParseStages(const std::string& text, std::vector<int>* out) {
    out->clear();
    for (const std::string& s : Split(text, ',')) {
        long n;
        if (!Number(s.c_str(), 1, 3, &n)) return false;
        out->push_back(static_cast<int>(n));
    }
    return !out->empty();
}

bool ParsePilots(const std::string& text, std::vector<int>* out) {
    out->clear();
    for (const std::string& s : Split(text, ',')) {
        const int p = PilotByName(s.c_str());
        if (p < 0) return false;
        out->push_back(p);
    }
    return !out->empty();
}

bool ParseReplay(const std::string& text, RunPlan* plan) {
    const std::vector<std::string> parts = Split(text, ':');
    long stage, seed;
    if (parts.size() != 3 || !Number(parts[0].c_str(), 1, 3, &stage) ||
        !Number(parts[2].c_str(), 0, 4294967295L, &seed))
        return false;
    plan->stage = static_cast<int>(stage);
    plan->pilot = PilotByName(parts[1].c_str());
    plan->seed = static_cast<uint32_t>(seed);
    return plan->pilot >= 0;
}

bool ParseArgs(int argc, char** argv, Options* o) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        long n;
        bool ok = value != nullptr;
        if (a == "--dir" && ok) {
            o->dir = value;
        } else if (a == "--stages" && ok) {
            ok = ParseStages(value, &o->stages);
        } else if (a == "--pilots" && ok) {
            ok = ParsePilots(value, &o->pilots);
        } else if (a == "--seeds" && ok) {
            ok = Number(value, 1, 100000, &n);
            o->seeds = static_cast<int>(n);
        } else if (a == "--first-seed" && ok) {
            ok = Number(value, 0, 4000000000L, &n);
            o->firstSeed = static_cast<uint32_t>(n);
        } else if (a == "--jobs" && ok) {
            ok = Number(value, 1, 64, &n);
            o->jobs = static_cast<int>(n);
        } else if (a == "--json" && ok) {
            o->json = value;
        } else if (a == "--replay" && ok) {
            o->replay = true;
            ok = ParseReplay(value, &o->replaySpec);
        } else if (a == "--script" && ok) {
            o->script = value;
        } else if (a == "--state" && ok) {
            o->state = value;
        } else {
            std::fprintf(stderr, "zorbat-playtest: unexpected argument '%s'\n%s", a.c_str(), kUsage);
            return false;
        }
        if (!ok) {
            std::fprintf(stderr, "zorbat-playtest: bad value for %s\n%s", a.c_str(), kUsage);
            return false;
        }
        ++i;
    }
    if (o->replay && o->script.empty()) {
        std::fprintf(stderr, "zorbat-playtest: --replay needs --script FILE\n%s", kUsage);
        return false;
    }
    return true;
}

bool WriteAll(int fd, const void* data, size_t size) {
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = write(fd, p, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

// The game's state is one set of globals, so runs go to worker processes,
// each playing every jobs-th run and handing its results back through a pipe.
bool PlayAll(const std::vector<RunPlan>& plans, int jobs, std::vector<RunResult>* results) {
    std::vector<int> fds;
    std::vector<pid_t> pids;
    for (int w = 0; w < jobs; ++w) {
        int p[2];
        if (pipe(p) != 0) {
            std::perror("zorbat-playtest: pipe");
            return false;
        }
        std::fflush(nullptr);
        const pid_t pid = fork();
        if (pid < 0) {
            std::perror("zorbat-playtest: fork");
            return false;
        }
        if (pid == 0) {
            close(p[0]);
            PrepareHeadlessGame();
            for (size_t i = static_cast<size_t>(w); i < plans.size(); i += static_cast<size_t>(jobs)) {
                RunResult r;
                std::string error;
                if (!PlayRun(plans[i], &r, nullptr, &error)) {
                    std::fprintf(stderr, "zorbat-playtest: %s\n", error.c_str());
                    _exit(1);
                }
                if (!WriteAll(p[1], &r, sizeof r)) _exit(1);
            }
            _exit(0);
        }
        close(p[1]);
        fds.push_back(p[0]);
        pids.push_back(pid);
    }
    std::vector<std::vector<char>> received(fds.size());
    std::vector<pollfd> open;
    for (int fd : fds) open.push_back(pollfd{fd, POLLIN, 0});
    const bool progress = isatty(2) != 0;
    size_t done = 0;
    while (done < fds.size()) {
        if (poll(open.data(), open.size(), -1) < 0) {
            if (errno == EINTR) continue;
            std::perror("zorbat-playtest: poll");
            return false;
        }
        for (size_t w = 0; w < open.size(); ++w) {
            if (open[w].fd < 0 || open[w].revents == 0) continue;
            char buffer[4096];
            const ssize_t n = read(open[w].fd, buffer, sizeof buffer);
            if (n > 0) {
                received[w].insert(received[w].end(), buffer, buffer + n);
                if (progress) {
                    size_t all = 0;
                    for (const auto& r : received) all += r.size() / sizeof(RunResult);
                    std::fprintf(stderr, "\rzorbat-playtest: %zu of %zu runs", all, plans.size());
                }
            } else if (n == 0 || errno != EINTR) {
                close(open[w].fd);
                open[w].fd = -1;
                ++done;
            }
        }
    }
    if (progress) std::fprintf(stderr, "\n");
    bool ok = true;
    for (pid_t pid : pids) {
        int status = 0;
        waitpid(pid, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) ok = false;
    }
    if (!ok) return false;
    // Back in the order asked for: worker w played runs w, w + jobs, ...
    results->assign(plans.size(), RunResult{});
    for (size_t w = 0; w < received.size(); ++w) {
        const size_t count = received[w].size() / sizeof(RunResult);
        for (size_t k = 0; k < count; ++k)
            std::memcpy(&(*results)[w + k * static_cast<size_t>(jobs)], received[w].data() + k * sizeof(RunResult),
                        sizeof(RunResult));
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    if (!ParseArgs(argc, argv, &o)) return 2;
    if (!o.dir.empty() && chdir(o.dir.c_str()) != 0) {
        std::fprintf(stderr, "zorbat-playtest: cannot enter %s: %s\n", o.dir.c_str(), std::strerror(errno));
        return 2;
    }
    if (o.replay) return WriteReplay(o.replaySpec, o.script, o.state) ? 0 : 1;

    std::vector<RunPlan> plans;
    for (int stage : o.stages)
        for (int pilot : o.pilots)
            for (int k = 0; k < o.seeds; ++k) plans.push_back(RunPlan{stage, pilot, o.firstSeed + static_cast<uint32_t>(k)});
    // A stage that cannot be read is reported once, before anything is played.
    for (int stage : o.stages) {
        std::string error;
        if (!StageReadable(stage, &error)) {
            std::fprintf(stderr, "zorbat-playtest: %s\n", error.c_str());
            return 1;
        }
    }
    const auto start = std::chrono::steady_clock::now();
    std::vector<RunResult> results;
    if (!PlayAll(plans, o.jobs, &results)) {
        std::fprintf(stderr, "zorbat-playtest: a worker failed\n");
        return 1;
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const std::vector<Summary> rows = Summarise(results);
    PrintTable(stdout, rows);
    std::printf("%zu runs (%d seeds from %u) in %.1f s, %d worker%s\n", results.size(), o.seeds, o.firstSeed,
                seconds, o.jobs, o.jobs == 1 ? "" : "s");
    if (!WriteJson(o.json.c_str(), rows, results)) {
        std::fprintf(stderr, "zorbat-playtest: cannot write %s\n", o.json.c_str());
        return 1;
    }
    std::printf("written to %s\n", o.json.c_str());
    return 0;
}

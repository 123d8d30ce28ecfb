#include "replay.h"

#include <cstdio>
#include <vector>

#include "pilots.h"
#include "shell/state_dump.h"

bool WriteReplay(const RunPlan& plan, const std::string& scriptPath, const std::string& statePath) {
    PrepareHeadlessGame();
    RunResult r;
    std::vector<InputLine> inputs;
    std::string error;
    if (!PlayRun(plan, &r, &inputs, &error)) {
        std::fprintf(stderr, "zorbat-playtest: %s\n", error.c_str());
        return false;
    }
    const int last = kFirstPlayFrame + r.frames - 1;
    std::FILE* f = std::fopen(scriptPath.c_str(), "w");
    if (f == nullptr) {
        std::fprintf(stderr, "zorbat-playtest: cannot write %s\n", scriptPath.c_str());
        return false;
    }
    std::fprintf(f, "# Stage %d flown by the %s pilot, seed %u: %d play frames, harness frames %d..%d.\n",
                 plan.stage, PilotName(plan.pilot), plan.seed, r.frames, kFirstPlayFrame, last);
    std::fprintf(f, "# zorbat-harness --seed %u --frames %d --script %s\n", plan.seed, last, scriptPath.c_str());
    // From the title (it takes keys once faded in) to the chosen stage; the
    // stage loads on the frame after Space and counts down for 181 frames.
    std::fputs("80 tap RETURN\n", f);
    if (plan.stage >= 2) std::fputs("82 tap DOWN\n", f);
    if (plan.stage >= 3) std::fputs("84 tap DOWN\n", f);
    std::fputs("86 tap SPACE\n", f);
    for (const InputLine& line : inputs)
        std::fprintf(f, "%d %s\n", kFirstPlayFrame + line.playFrame - 1, line.event.c_str());
    if (std::fclose(f) != 0) {
        std::fprintf(stderr, "zorbat-playtest: cannot write %s\n", scriptPath.c_str());
        return false;
    }
    if (!statePath.empty() && !WriteStateJson(statePath.c_str(), last)) {
        std::fprintf(stderr, "zorbat-playtest: cannot write %s\n", statePath.c_str());
        return false;
    }
    static const char* const kEnds[3] = {"cleared", "game over", "time out"};
    std::printf("stage %d, %s, seed %u: %s after %d play frames (life %d, %d frames left)\n", plan.stage,
                PilotName(plan.pilot), plan.seed, kEnds[r.endReason < 0 || r.endReason > 2 ? 2 : r.endReason],
                r.frames, r.life, r.timeLeft);
    std::printf("zorbat-harness --seed %u --frames %d --script %s --state %d:END.json\n", plan.seed, last,
                scriptPath.c_str(), last);
    return true;
}

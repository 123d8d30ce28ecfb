// The replay reader on arbitrary bytes: it either refuses them with a reason
// or gives a replay every field of which lies in its range, and what it read
// written out and read again reads the same.
// fuzz-sources: src/formats/replay_file.cpp src/core/regular_file.cpp
// fuzz-args: -max_len=65536 -dict=fuzz/replay.dict
#include <cstdlib>
#include <memory>
#include <string>

#include "formats/replay_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static std::unique_ptr<Replay> replay(new Replay);
    static std::unique_ptr<Replay> again(new Replay);
    std::string error;
    if (!ParseReplay(reinterpret_cast<const char*>(data), size, replay.get(), &error)) {
        if (error.empty()) std::abort();  // a refusal always says why
        return 0;
    }
    const Replay& r = *replay;
    if (r.stage < 1 || r.stage > 3 || r.frames < 1 || r.frames > kReplayMaxFrames) std::abort();
    if (r.eventCount < 0 || r.eventCount > kReplayMaxEvents || r.checkCount < 1) std::abort();
    if (r.carry.endShown < 0 || r.carry.endShown > 2) std::abort();
    for (int i = 0; i < r.eventCount; ++i) {
        const ReplayEvent& e = r.events[i];
        if (e.frame < 0 || e.frame >= r.frames || (i > 0 && e.frame < r.events[i - 1].frame)) std::abort();
        if (e.kind > ReplayFocusPause || e.code > 6) std::abort();
    }
    if (r.checks[r.checkCount - 1].frame != r.frames - 1) std::abort();
    const std::string text = FormatReplay(r);
    if (!ParseReplay(text.data(), text.size(), again.get(), &error)) std::abort();
    if (FormatReplay(*again) != text) std::abort();
    return 0;
}

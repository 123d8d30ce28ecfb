// mkmusic: writes the three stage tunes, and checks tunes against their loop ends.
//
//   mkmusic OUT_DIR LOOP1 LOOP2 LOOP3        write music_s1..3.mid
//   mkmusic check FILE LOOP [FILE LOOP]...   print each tune's length and loop
//                                            end; fail when a tune is shorter
//                                            than its loop end, sounds a note at
//                                            or after it, or does not end a bar
//                                            just before it
//
// Loop ends are in ticks of 768 per quarter note, the files' own division.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "midi.h"
#include "tunes.h"

namespace smf {
namespace {
// The loop end may fall at most a sixteenth after the last bar line: the
// loop then restarts right where a phrase has ended.
const uint32_t kSeamSlack = kDivision / 4;

bool Check(const std::string& path, uint32_t loopEnd) {
    SmfSummary s = ReadSmf(path);
    if (!s.error.empty()) {
        std::printf("%s: not a valid MIDI file (%s)\n", path.c_str(), s.error.c_str());
        return false;
    }
    uint32_t seam = 0;
    int seamBar = 0;
    for (size_t i = 0; i < s.barStarts.size(); ++i)
        if (s.barStarts[i] <= loopEnd) seam = s.barStarts[i], seamBar = int(i) + 1;
    double quarters = double(s.endTick) / s.division;
    std::printf("%s: %u ticks (%.1f quarter notes, %.1f s at %.0f bpm), loop end %u (%.1f s); last note ends at %u; "
                "bar %d starts at %u, %u ticks before the loop end\n",
                path.c_str(), s.endTick, quarters, quarters * 60 / s.firstTempoBpm, s.firstTempoBpm, loopEnd,
                double(loopEnd) / s.division * 60 / s.firstTempoBpm, s.lastNoteOff, seamBar, seam, loopEnd - seam);
    bool ok = true;
    if (s.division != kDivision) std::printf("  FAIL: division %d, not %d\n", s.division, kDivision), ok = false;
    if (s.endTick < loopEnd) std::printf("  FAIL: the tune is shorter than its loop end\n"), ok = false;
    if (s.notes > 0 && s.lastNoteOn >= loopEnd)
        std::printf("  FAIL: a note starts at %u, at or after the loop end\n", s.lastNoteOn), ok = false;
    if (loopEnd - seam > kSeamSlack)
        std::printf("  FAIL: the loop end is %u ticks past the last bar line, not at the end of a phrase\n",
                    loopEnd - seam), ok = false;
    return ok;
}
}  // namespace
}  // namespace smf

using namespace smf;

int main(int argc, char** argv) {
    if (argc >= 4 && std::string(argv[1]) == "check" && argc % 2 == 0) {
        bool ok = true;
        for (int i = 2; i + 1 < argc; i += 2) ok = Check(argv[i], uint32_t(std::strtoul(argv[i + 1], nullptr, 10))) && ok;
        return ok ? 0 : 1;
    }
    if (argc != 5) {
        std::fprintf(stderr, "usage: mkmusic OUT_DIR LOOP1 LOOP2 LOOP3 | mkmusic check FILE LOOP...\n");
        return 2;
    }
    std::string dir = argv[1];
    bool (*writers[3])(const std::string&, uint32_t) = {WriteStage1, WriteStage2, WriteStage3};
    for (int i = 0; i < 3; ++i) {
        std::string path = dir + "/music_s" + std::to_string(i + 1) + ".mid";
        if (!writers[i](path, uint32_t(std::strtoul(argv[2 + i], nullptr, 10)))) {
            std::fprintf(stderr, "mkmusic: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}

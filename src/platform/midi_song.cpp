#include "platform/midi_song.h"

#include <cstddef>

namespace {
constexpr uint32_t kDefaultTempo = 500000;

// Microseconds times 768 * division since the start, at a scaled position,
// walking the tempo map from segment `k` (whose start is `base` in the same
// units at scaled tick `segStart`).
struct TempoWalk {
    const MidiSong& song;
    size_t k = 0;
    uint64_t segStart = 0;
    __int128 base = 0;

    __int128 At(uint64_t scaled) {
        while (k + 1 < song.tempos.size() && uint64_t(song.tempos[k + 1].tick) * kMusicTicksPerQuarter <= scaled) {
            uint64_t next = uint64_t(song.tempos[k + 1].tick) * kMusicTicksPerQuarter;
            base += __int128(next - segStart) * song.tempos[k].usPerQuarter;
            segStart = next;
            ++k;
        }
        uint32_t tempo = song.tempos.empty() ? kDefaultTempo : song.tempos[k].usPerQuarter;
        return base + __int128(scaled - segStart) * tempo;
    }
};

int64_t ToFrames(__int128 acc, const MidiSong& song, int rate) {
    const __int128 unitsPerSecond = __int128(kMusicTicksPerQuarter) * song.division * 1000000;
    return int64_t(acc * rate / unitsPerSecond);
}
}  // namespace

int64_t MidiFrameAtScaled(const MidiSong& song, uint64_t scaledTick, int rate) {
    if (song.division <= 0 || rate <= 0) return 0;
    TempoWalk walk{song};
    return ToFrames(walk.At(scaledTick), song, rate);
}

void MidiAssignFrames(MidiSong* song, int rate) {
    song->rate = rate;
    if (song->division <= 0 || rate <= 0) return;
    TempoWalk walk{*song};
    for (MidiEvent& e : song->events) e.frame = ToFrames(walk.At(uint64_t(e.tick) * kMusicTicksPerQuarter), *song, rate);
}

// The tune parser on arbitrary bytes, then the timing of what it accepted:
// every event in order, in range and inside the file; frames never go back.
// fuzz-sources: src/formats/midi_file.cpp src/platform/midi_song.cpp
// fuzz-args: -max_len=8192
#include <cstdlib>

#include "formats/midi_file.h"
#include "platform/midi_song.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MidiSong song;
    const char* why = nullptr;
    if (!ParseMidiFile(data, size, &song, &why)) {
        if (!why || !*why || !song.events.empty() || song.division != 0) std::abort();
        return 0;
    }
    if (song.division <= 0 || song.tempos.empty() || song.tempos[0].tick != 0) std::abort();
    for (size_t i = 0; i < song.events.size(); ++i) {
        const MidiEvent& e = song.events[i];
        if (i > 0 && song.events[i - 1].tick > e.tick) std::abort();
        if (e.tick > song.endTick) std::abort();
        if (e.status == 0xF0) {
            if (size_t(e.offset) + e.length > song.sysex.size()) std::abort();
        } else if (e.status < 0x80 || e.status >= 0xF0 || e.data1 > 0x7F || e.data2 > 0x7F ||
                   ((e.status & 0xF0) == 0x90 && e.data2 == 0)) {
            std::abort();
        }
    }
    for (size_t i = 1; i < song.tempos.size(); ++i)
        if (song.tempos[i - 1].tick >= song.tempos[i].tick || song.tempos[i].usPerQuarter == 0) std::abort();
    MidiAssignFrames(&song, 44100);
    for (size_t i = 1; i < song.events.size(); ++i)
        if (song.events[i - 1].frame > song.events[i].frame || song.events[i].frame < 0) std::abort();
    const int loopEnd = size > 0 ? int(int8_t(data[size - 1])) : 0;
    const uint64_t end = MidiLoopEndScaled(song.division, song.endTick, loopEnd);
    if (end > uint64_t(song.endTick) * kMusicTicksPerQuarter) std::abort();
    if (MidiFrameAtScaled(song, end, 44100) < 0) std::abort();
    return 0;
}

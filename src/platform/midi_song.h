// A tune as the synthesizer plays it: one time-ordered list of channel
// events merged from every track of a Standard MIDI File, with the tempo map
// and, once a sample rate is known, each event's time in output frames.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// Music time counts 768 ticks per quarter note whatever a file's own
// division. Positions are compared as "scaled ticks": file ticks times 768,
// in which both a file tick t (t * 768) and a music tick L (L * division)
// are whole numbers.
constexpr int kMusicTicksPerQuarter = 768;

struct MidiEvent {
    uint32_t tick;    // file ticks from the start
    uint8_t status;   // 0x80..0xEF channel message (note-on never has velocity 0), 0xF0 sysex
    uint8_t data1;
    uint8_t data2;
    uint8_t reserved;
    uint32_t offset;  // sysex: first byte in MidiSong::sysex (without F0 and F7)
    uint32_t length;  // sysex: byte count
    int64_t frame;    // output frames from the start, filled by MidiAssignFrames
};

struct MidiTempo {
    uint32_t tick;
    uint32_t usPerQuarter;
};

struct MidiSong {
    // Ticks per quarter note; for SMPTE-timed files ticks per second with a
    // fixed "quarter" of one second.
    int division = 0;
    bool smpte = false;
    uint32_t endTick = 0;  // the last end-of-track (or last event) of any track
    std::vector<MidiEvent> events;
    std::vector<MidiTempo> tempos;  // starts at tick 0, ascending
    std::vector<uint8_t> sysex;
    int rate = 0;  // frames per second the `frame` fields were computed for
};

// Output frame at a position in scaled ticks, through the tempo map.
int64_t MidiFrameAtScaled(const MidiSong& song, uint64_t scaledTick, int rate);

// Fills every event's `frame` for output at `rate`.
void MidiAssignFrames(MidiSong* song, int rate);

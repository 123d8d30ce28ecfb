// Standard MIDI Files: a format-1 writer and a reader that measures a file
// (the check that every tune lasts up to its loop end).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace smf {
constexpr int kDivision = 768;  // ticks per quarter note, the unit of the loop ends

struct SmfEvent {
    uint32_t tick;
    int order;  // sorts events at the same tick: meta, controls, note-offs, note-ons
    std::vector<uint8_t> bytes;
};

struct SmfTrack {
    std::string name;
    std::vector<SmfEvent> events;
    void Meta(uint32_t tick, uint8_t type, const std::vector<uint8_t>& data);
    void Tempo(uint32_t tick, double bpm);
    void TimeSignature(uint32_t tick, int num, int denPow2);
    void Program(uint32_t tick, int ch, int program);
    void Control(uint32_t tick, int ch, int cc, int value);
    void Note(uint32_t tick, int ch, int key, int velocity, uint32_t length);
};

// Writes tracks in order (track 0 first), each ending at endTick.
bool WriteSmf(const std::string& path, std::vector<SmfTrack>& tracks, uint32_t endTick);

struct SmfSummary {
    int format = -1, trackCount = 0, division = 0;
    uint32_t endTick = 0;          // latest end-of-track
    uint32_t lastNoteOn = 0;       // tick of the latest note-on
    uint32_t lastNoteOff = 0;      // tick at which the last note ends
    int notes = 0;
    std::vector<uint32_t> barStarts;  // from the time signatures, up to endTick
    double firstTempoBpm = 0;
    bool channelUsed[16] = {};
    std::string error;
};

// Reads a file and summarises it; error is set when it is not a valid SMF.
SmfSummary ReadSmf(const std::string& path);
}  // namespace smf

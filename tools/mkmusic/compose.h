// A small arranging kit for the stage tunes: a song is a run of bars with a
// chord per bar (or two, one per half), and parts are written against them,
// either as hand-written melody text or as accompaniment patterns that follow
// the chords. Written pitches are transposed into the tune's key on output.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "midi.h"

namespace smf {
struct Chord {
    int root = 0;                // pitch class, C = 0
    std::vector<int> intervals;  // semitones above the root, root first
};

struct BassStep {
    int step, len;  // sixteenths
    int degree;     // 0 root, 1 fifth, 2 octave, 3 third, 4 seventh, 5 note below the root (approach)
    int vel;
};

struct CompHit {
    int step, len;  // sixteenths
    int vel;
};

class Song {
public:
    Song(const char* title, double bpm, int transpose);

    // Appends bars: "C | G | Am | F,G" (a comma splits a bar into halves).
    // Returns the index of the first bar added. beats is 4 or 2.
    int Bars(const std::string& chords, int beats = 4);
    int BarCount() const { return int(barStart_.size()); }
    uint32_t BarTick(int bar) const;
    uint32_t EndTick() const;

    // A part: one MIDI channel with its instrument and mix.
    int Part(const char* name, int channel, int program, int volume, int pan, int reverb, int chorus = 0);
    void ProgramChange(int part, int bar, int program);

    // Melody text from bar `bar`: "E5:4 G5:2 r:2 ... | ..." (durations in
    // sixteenths; '>' before a note accents it). Bars must add up exactly.
    void Melody(int part, int bar, const std::string& text, int velocity, int octaveShift = 0);
    void Bass(int part, int from, int to, const std::vector<BassStep>& pattern);
    // Chord hits; `power` plays root, fifth and octave only (for the guitar).
    void Comp(int part, int from, int to, const std::vector<CompHit>& rhythm, int centre, bool power = false);
    void Pad(int part, int from, int to, int centre, int velocity);
    // Arpeggio over the chord tones from `low` upwards, stepping every stepLen
    // sixteenths through `order` (indices into the ascending chord tones).
    void Arp(int part, int from, int to, int low, int stepLen, const std::vector<int>& order, int velocity,
             int noteLen = 0);

    // Drums on channel 10: each line is "key:pattern" with 16 steps per bar,
    // 'X' accent, 'x' normal, 'o' soft, '.' rest.
    void Drums(int from, int to, const std::vector<std::string>& lines);
    // A bar whose drums are a fill: Drums() leaves it alone unless `force`.
    void DrumFill(int bar, const std::vector<std::string>& lines);
    void DrumHit(int bar, int step, int key, int vel);
    void Hit(int part, int bar, int step, int key, int vel, int len16);  // raw note, transposed

    // Writes the file with its end at endTick (at least the loop end).
    bool Write(const std::string& path, uint32_t endTick);
    const char* Title() const { return title_; }

private:
    struct Segment {
        uint32_t tick, len;
        Chord chord;
    };
    std::vector<Segment> SegmentsOf(int bar) const;
    int Place(int pitchClass, int low) const;  // lowest sounding pitch >= low for a written pitch class
    void Emit(int part, uint32_t tick, int sounding, int vel, uint32_t len);

    const char* title_;
    int transpose_;
    std::vector<uint32_t> barStart_;
    std::vector<int> barBeats_;
    std::vector<std::vector<Chord>> harmony_;
    std::vector<SmfTrack> tracks_;  // 0: conductor, then one per part, drums last
    std::vector<int> partChannel_;
    int drumTrack_ = -1;
    std::vector<int> fillBars_;
    void DrumLines(int bar, const std::vector<std::string>& lines);
};

// Note name with octave ("C#5", "Bb3", C4 = 60) to a MIDI key; -1 when invalid.
int ParseNote(const std::string& s);
Chord ParseChord(const std::string& s);
}  // namespace smf

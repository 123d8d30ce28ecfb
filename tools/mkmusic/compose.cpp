#include "compose.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <sstream>

namespace smf {
namespace {
const uint32_t k16th = kDivision / 4;

[[noreturn]] void Fail(const std::string& what) {
    std::fprintf(stderr, "mkmusic: %s\n", what.c_str());
    std::exit(1);
}

std::string Trim(const std::string& s) {
    size_t a = s.find_first_not_of(" \t\n"), b = s.find_last_not_of(" \t\n");
    return a == std::string::npos ? "" : s.substr(a, b - a + 1);
}

std::vector<std::string> Split(const std::string& s, char sep) {
    std::vector<std::string> out;
    std::string cur;
    for (char c : s) {
        if (c == sep) out.push_back(Trim(cur)), cur.clear();
        else cur += c;
    }
    out.push_back(Trim(cur));
    return out;
}

int PitchClass(const std::string& s, size_t* used) {
    static const int base[7] = {9, 11, 0, 2, 4, 5, 7};  // A..G
    if (s.empty() || s[0] < 'A' || s[0] > 'G') return -1;
    int pc = base[s[0] - 'A'];
    size_t i = 1;
    if (i < s.size() && s[i] == '#') pc += 1, ++i;
    else if (i < s.size() && s[i] == 'b') pc -= 1, ++i;
    *used = i;
    return (pc + 12) % 12;
}

// Small, repeatable variations in loudness so that repeated notes breathe.
int Humanise(uint32_t tick, int key, int vel) {
    uint32_t h = tick * 2654435761u ^ uint32_t(key) * 40503u;
    h ^= h >> 15;
    return vel + int(h % 9) - 4;
}
}  // namespace

int ParseNote(const std::string& s) {
    size_t used = 0;
    int pc = PitchClass(s, &used);
    if (pc < 0 || used >= s.size()) return -1;
    int octave = std::atoi(s.c_str() + used);
    // "Cb"/"B#" cross the octave line; the octave number follows the letter.
    int letterPc = PitchClass(s.substr(0, 1), &used);
    int shift = (pc - letterPc + 12) % 12;
    if (shift > 6) shift -= 12;
    return (octave + 1) * 12 + letterPc + shift;
}

Chord ParseChord(const std::string& s) {
    size_t used = 0;
    Chord c;
    c.root = PitchClass(s, &used);
    if (c.root < 0) Fail("bad chord '" + s + "'");
    std::string q = s.substr(used);
    if (q == "") c.intervals = {0, 4, 7};
    else if (q == "m") c.intervals = {0, 3, 7};
    else if (q == "7") c.intervals = {0, 4, 7, 10};
    else if (q == "maj7") c.intervals = {0, 4, 7, 11};
    else if (q == "m7") c.intervals = {0, 3, 7, 10};
    else if (q == "dim") c.intervals = {0, 3, 6};
    else if (q == "sus4") c.intervals = {0, 5, 7};
    else if (q == "sus2") c.intervals = {0, 2, 7};
    else if (q == "5") c.intervals = {0, 7};
    else if (q == "add9") c.intervals = {0, 4, 7, 14};
    else Fail("unknown chord quality in '" + s + "'");
    return c;
}

Song::Song(const char* title, double bpm, int transpose) : title_(title), transpose_(transpose) {
    tracks_.push_back(SmfTrack{title, {}});
    tracks_[0].Tempo(0, bpm);
}

int Song::Bars(const std::string& chords, int beats) {
    int first = BarCount();
    for (const std::string& bar : Split(chords, '|')) {
        if (bar.empty()) Fail("empty bar in '" + chords + "'");
        std::vector<Chord> h;
        for (const std::string& c : Split(bar, ',')) h.push_back(ParseChord(c));
        if (h.size() > 2) Fail("more than two chords in a bar: " + bar);
        uint32_t start = barStart_.empty() ? 0 : barStart_.back() + uint32_t(barBeats_.back()) * kDivision;
        if (barBeats_.empty() || barBeats_.back() != beats) tracks_[0].TimeSignature(start, beats, 2);
        barStart_.push_back(start);
        barBeats_.push_back(beats);
        harmony_.push_back(h);
    }
    return first;
}

uint32_t Song::BarTick(int bar) const {
    if (bar < BarCount()) return barStart_[size_t(bar)];
    return EndTick();
}

uint32_t Song::EndTick() const {
    return barStart_.empty() ? 0 : barStart_.back() + uint32_t(barBeats_.back()) * kDivision;
}

int Song::Part(const char* name, int channel, int program, int volume, int pan, int reverb, int chorus) {
    SmfTrack t{name, {}};
    t.Program(0, channel, program);
    t.Control(0, channel, 7, volume);
    t.Control(0, channel, 10, 64 + pan);
    t.Control(0, channel, 91, reverb);
    t.Control(0, channel, 93, chorus);
    tracks_.push_back(t);
    partChannel_.push_back(channel);
    return int(tracks_.size()) - 1;
}

void Song::ProgramChange(int part, int bar, int program) {
    tracks_[size_t(part)].Program(BarTick(bar), partChannel_[size_t(part) - 1], program);
}

void Song::Emit(int part, uint32_t tick, int sounding, int vel, uint32_t len) {
    int ch = part == drumTrack_ ? 9 : partChannel_[size_t(part) - 1];
    tracks_[size_t(part)].Note(tick, ch, sounding, Humanise(tick, sounding, vel), len);
}

std::vector<Song::Segment> Song::SegmentsOf(int bar) const {
    std::vector<Segment> out;
    const auto& h = harmony_[size_t(bar)];
    uint32_t len = uint32_t(barBeats_[size_t(bar)]) * kDivision / uint32_t(h.size());
    for (size_t i = 0; i < h.size(); ++i) out.push_back({barStart_[size_t(bar)] + uint32_t(i) * len, len, h[i]});
    return out;
}

int Song::Place(int pitchClass, int low) const {
    int pc = ((pitchClass + transpose_) % 12 + 12) % 12;
    int p = low;
    while (((p % 12) + 12) % 12 != pc) ++p;
    return p;
}

void Song::Melody(int part, int bar, const std::string& text, int velocity, int octaveShift) {
    for (const std::string& barText : Split(text, '|')) {
        if (bar >= BarCount()) Fail("melody runs past the last bar: " + text);
        int pos = 0, want = barBeats_[size_t(bar)] * 4;
        std::istringstream in(barText);
        std::string tok;
        while (in >> tok) {
            bool accent = tok[0] == '>';
            if (accent) tok = tok.substr(1);
            size_t colon = tok.find(':');
            if (colon == std::string::npos) Fail("note without a length: " + tok);
            int len = std::atoi(tok.c_str() + colon + 1);
            std::string name = tok.substr(0, colon);
            if (name != "r") {
                int key = ParseNote(name);
                if (key < 0) Fail("bad note " + tok);
                uint32_t t = barStart_[size_t(bar)] + uint32_t(pos) * k16th;
                uint32_t l = uint32_t(len) * k16th;
                // Leave a breath between notes unless the note is short.
                uint32_t gap = len >= 2 ? k16th / 6 : k16th / 10;
                Emit(part, t, key + transpose_ + 12 * octaveShift, velocity + (accent ? 14 : 0), l - gap);
            }
            pos += len;
        }
        if (pos != want)
            Fail(std::string(title_) + ": bar " + std::to_string(bar + 1) + " of a melody has " + std::to_string(pos) +
                 " sixteenths, not " + std::to_string(want) + ": " + barText);
        ++bar;
    }
}

void Song::Bass(int part, int from, int to, const std::vector<BassStep>& pattern) {
    for (int bar = from; bar < to; ++bar) {
        uint32_t barEnd = BarTick(bar + 1);
        for (const BassStep& b : pattern) {
            uint32_t t = barStart_[size_t(bar)] + uint32_t(b.step) * k16th;
            if (t >= barEnd) continue;
            Chord chord;
            for (const Segment& s : SegmentsOf(bar))
                if (t >= s.tick) chord = s.chord;
            int root = Place(chord.root, 33);
            int third = chord.intervals.size() > 1 ? chord.intervals[1] : 4;
            int seventh = chord.intervals.size() > 3 ? chord.intervals[3] : 10;
            const int offsets[6] = {0, 7, 12, third, seventh, -1};
            uint32_t len = std::min(uint32_t(b.len) * k16th - k16th / 8, barEnd - t);
            Emit(part, t, root + offsets[b.degree], b.vel, len);
        }
    }
}

void Song::Comp(int part, int from, int to, const std::vector<CompHit>& rhythm, int centre, bool power) {
    for (int bar = from; bar < to; ++bar) {
        uint32_t barEnd = BarTick(bar + 1);
        for (const CompHit& h : rhythm) {
            uint32_t t = barStart_[size_t(bar)] + uint32_t(h.step) * k16th;
            if (t >= barEnd) continue;
            Chord chord;
            for (const Segment& s : SegmentsOf(bar))
                if (t >= s.tick) chord = s.chord;
            uint32_t len = std::min(uint32_t(h.len) * k16th - k16th / 4, barEnd - t);
            if (power) {
                int root = Place(chord.root, centre - 6);
                for (int iv : {0, 7, 12}) Emit(part, t, root + iv, h.vel, len);
                continue;
            }
            for (int iv : chord.intervals) Emit(part, t, Place(chord.root + iv, centre - 6), h.vel, len);
        }
    }
}

void Song::Pad(int part, int from, int to, int centre, int velocity) {
    for (int bar = from; bar < to; ++bar)
        for (const Segment& s : SegmentsOf(bar))
            for (int iv : s.chord.intervals) Emit(part, s.tick, Place(s.chord.root + iv, centre - 6), velocity, s.len - 8);
}

void Song::Arp(int part, int from, int to, int low, int stepLen, const std::vector<int>& order, int velocity,
               int noteLen) {
    size_t k = 0;
    for (int bar = from; bar < to; ++bar) {
        uint32_t barEnd = BarTick(bar + 1);
        for (uint32_t t = barStart_[size_t(bar)]; t < barEnd; t += uint32_t(stepLen) * k16th, ++k) {
            Chord chord;
            for (const Segment& s : SegmentsOf(bar))
                if (t >= s.tick) chord = s.chord;
            std::set<int> pcs;
            for (int iv : chord.intervals) pcs.insert(((chord.root + iv + transpose_) % 12 + 12) % 12);
            std::vector<int> tones;
            for (int p = low; p < low + 36; ++p)
                if (pcs.count(p % 12)) tones.push_back(p);
            int idx = order[k % order.size()];
            if (idx < 0 || tones.empty()) continue;
            int p = tones[std::min(size_t(idx), tones.size() - 1)];
            uint32_t len = uint32_t(noteLen > 0 ? noteLen : stepLen) * k16th - k16th / 6;
            Emit(part, t, p, velocity + ((k % 4) == 0 ? 8 : 0), std::min(len, barEnd - t));
        }
    }
}

void Song::Drums(int from, int to, const std::vector<std::string>& lines) {
    for (int bar = from; bar < to; ++bar)
        if (std::find(fillBars_.begin(), fillBars_.end(), bar) == fillBars_.end()) DrumLines(bar, lines);
}

void Song::DrumFill(int bar, const std::vector<std::string>& lines) {
    fillBars_.push_back(bar);
    DrumLines(bar, lines);
}

void Song::DrumLines(int bar, const std::vector<std::string>& lines) {
    for (const std::string& line : lines) {
        size_t colon = line.find(':');
        int key = std::atoi(line.c_str());
        std::string pat = colon == std::string::npos ? "" : line.substr(colon + 1);
        if (pat.size() != size_t(barBeats_[size_t(bar)]) * 4)
            Fail(std::string(title_) + ": drum line '" + line + "' does not fill bar " + std::to_string(bar + 1));
        for (size_t i = 0; i < pat.size(); ++i) {
            int vel = pat[i] == 'X' ? 118 : pat[i] == 'x' ? 92 : pat[i] == 'o' ? 60 : 0;
            if (vel) DrumHit(bar, int(i), key, vel);
        }
    }
}

void Song::DrumHit(int bar, int step, int key, int vel) {
    if (drumTrack_ < 0) {
        SmfTrack t{"Drums", {}};
        t.Control(0, 9, 7, 112);
        t.Control(0, 9, 91, 40);
        tracks_.push_back(t);
        drumTrack_ = int(tracks_.size()) - 1;
    }
    uint32_t t = barStart_[size_t(bar)] + uint32_t(step) * k16th;
    if (t >= BarTick(bar + 1)) return;
    Emit(drumTrack_, t, key, vel, k16th / 2);
}

void Song::Hit(int part, int bar, int step, int key, int vel, int len16) {
    uint32_t t = barStart_[size_t(bar)] + uint32_t(step) * k16th;
    Emit(part, t, key + transpose_, vel, uint32_t(len16) * k16th - k16th / 8);
}

bool Song::Write(const std::string& path, uint32_t endTick) { return WriteSmf(path, tracks_, endTick); }
}  // namespace smf

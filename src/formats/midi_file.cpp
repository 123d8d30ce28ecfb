#include "formats/midi_file.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr uint32_t kDefaultTempo = 500000;  // 120 quarter notes a minute
constexpr uint32_t kMaxTick = 0x7FFFFFFF;

uint32_t Be32(const uint8_t* p) { return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3]; }
uint16_t Be16(const uint8_t* p) { return uint16_t((p[0] << 8) | p[1]); }

// Variable-length quantity of at most four bytes, bounded by `end`.
bool ReadVar(const uint8_t* d, size_t* p, size_t end, uint32_t* value) {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) {
        if (*p >= end) return false;
        uint8_t b = d[(*p)++];
        v = (v << 7) | (b & 0x7F);
        if (!(b & 0x80)) {
            *value = v;
            return true;
        }
    }
    return false;
}

struct TrackResult {
    size_t stop;     // first byte not used by the track
    bool endOfTrack; // stopped at its end-of-track event
};

// Reads one MTrk body [p, end). Stops at end-of-track, at the end of the
// body, or at the first byte that cannot start or finish an event; whatever
// was complete before that point is kept.
TrackResult ParseTrack(const uint8_t* d, size_t p, size_t end, MidiSong* song, std::vector<MidiTempo>* tempos) {
    uint32_t tick = 0, lastTick = 0;
    uint8_t running = 0;
    TrackResult r{p, false};
    while (p < end) {
        uint32_t delta;
        if (!ReadVar(d, &p, end, &delta)) break;
        if (uint64_t(tick) + delta > kMaxTick) break;
        tick += delta;
        if (p >= end) break;
        uint8_t status = d[p];
        if (status < 0x80) {
            // Running status. Kept across meta and sysex events too: files
            // that rely on that exist, and a file that does not never puts a
            // data byte there.
            if (running == 0) break;
            status = running;
        } else {
            ++p;
        }
        if (status < 0xF0) {
            running = status;
            uint8_t kind = status & 0xF0;
            size_t need = (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
            if (end - p < need) break;
            uint8_t d1 = d[p], d2 = need == 2 ? d[p + 1] : 0;
            if ((d1 | d2) & 0x80) break;
            p += need;
            if (kind == 0x90 && d2 == 0) {
                // Note-on with velocity 0 is a note-off.
                status = uint8_t(0x80 | (status & 0x0F));
                d2 = 64;
            }
            song->events.push_back(MidiEvent{tick, status, d1, d2, 0, 0, 0, 0});
        } else if (status == 0xF0 || status == 0xF7) {
            uint32_t len;
            if (!ReadVar(d, &p, end, &len) || len > end - p) break;
            if (status == 0xF0) {
                // Kept without its F0 and closing F7 for the synthesizer;
                // F7 escape packets (continuations, raw bytes) are dropped.
                uint32_t body = len;
                if (body > 0 && d[p + body - 1] == 0xF7) --body;
                MidiEvent e{tick, 0xF0, 0, 0, 0, uint32_t(song->sysex.size()), body, 0};
                song->sysex.insert(song->sysex.end(), d + p, d + p + body);
                song->events.push_back(e);
            }
            p += len;
        } else if (status == 0xFF) {
            if (p >= end) break;
            uint8_t type = d[p++];
            uint32_t len;
            if (!ReadVar(d, &p, end, &len) || len > end - p) break;
            if (type == 0x2F) {
                lastTick = tick;
                p += len;
                r.endOfTrack = true;
                r.stop = p;
                song->endTick = std::max(song->endTick, lastTick);
                return r;
            }
            if (type == 0x51 && len >= 3) {
                uint32_t us = (uint32_t(d[p]) << 16) | (uint32_t(d[p + 1]) << 8) | d[p + 2];
                if (us > 0) tempos->push_back(MidiTempo{tick, us});
            }
            p += len;
        } else {
            break;  // system common and real-time bytes have no place in a file
        }
        lastTick = tick;
        r.stop = p;
    }
    song->endTick = std::max(song->endTick, lastTick);
    return r;
}
}  // namespace

bool ParseMidiFile(const uint8_t* d, size_t n, MidiSong* song, const char** why) {
    *song = MidiSong{};
    auto refuse = [&](const char* reason) {
        if (why) *why = reason;
        *song = MidiSong{};
        return false;
    };
    if (n < 14 || std::memcmp(d, "MThd", 4) != 0) return refuse("no MThd header");
    uint32_t headerLength = Be32(d + 4);
    if (headerLength < 6) return refuse("MThd header too short");
    if (headerLength > n - 8) return refuse("MThd header runs past the end of the file");
    if (Be16(d + 8) > 2) return refuse("unknown MIDI file format");
    // The division is in bytes 12 and 13 of the header.
    if (d[12] & 0x80) {
        int fps = -int(int8_t(d[12]));
        int ticksPerFrame = d[13];
        if ((fps != 24 && fps != 25 && fps != 29 && fps != 30) || ticksPerFrame == 0)
            return refuse("bad SMPTE division");
        // 29 is 30-frame drop-frame time code: close enough to 30 frames a second.
        song->division = (fps == 29 ? 30 : fps) * ticksPerFrame;
        song->smpte = true;
    } else {
        song->division = Be16(d + 12);
        if (song->division == 0) return refuse("division of 0 ticks");
    }

    std::vector<MidiTempo> tempos;
    int tracks = 0;
    size_t pos = 8 + size_t(headerLength);
    while (n - pos >= 8) {
        uint32_t length = Be32(d + pos + 4);
        size_t body = pos + 8;
        bool overruns = length > n - body;
        size_t end = overruns ? n : body + length;
        if (std::memcmp(d + pos, "MTrk", 4) == 0) {
            ++tracks;
            TrackResult r = ParseTrack(d, body, end, song, &tempos);
            // A length that runs past the file is taken as damaged: the
            // track ends at its end-of-track and the next chunk may follow.
            pos = overruns ? (r.endOfTrack ? r.stop : n) : end;
        } else {
            if (overruns) break;  // an unknown chunk is skipped whole
            pos = end;
        }
    }
    if (tracks == 0) return refuse("no MTrk chunk");

    std::stable_sort(song->events.begin(), song->events.end(),
                     [](const MidiEvent& a, const MidiEvent& b) { return a.tick < b.tick; });
    if (!song->events.empty()) song->endTick = std::max(song->endTick, song->events.back().tick);

    // Tempo map: every track may change the tempo; the last change at a tick wins.
    song->tempos.push_back(MidiTempo{0, song->smpte ? 1000000u : kDefaultTempo});
    if (!song->smpte) {
        std::stable_sort(tempos.begin(), tempos.end(),
                         [](const MidiTempo& a, const MidiTempo& b) { return a.tick < b.tick; });
        for (const MidiTempo& t : tempos) {
            if (t.tick == song->tempos.back().tick)
                song->tempos.back().usPerQuarter = t.usPerQuarter;
            else
                song->tempos.push_back(t);
        }
    }
    if (why) *why = "";
    return true;
}

uint64_t MidiLoopEndScaled(int division, uint32_t endTick, int loopEndThousands) {
    const uint64_t whole = uint64_t(endTick) * kMusicTicksPerQuarter;
    if (loopEndThousands <= 0) return whole;
    // L music ticks = L / 768 quarter notes = L * division / 768 file ticks.
    const uint64_t scaled = uint64_t(loopEndThousands) * 1000u * uint64_t(division);
    return std::min(scaled, whole);
}


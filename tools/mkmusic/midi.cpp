#include "midi.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

#include "core/regular_file.h"

namespace smf {
void SmfTrack::Meta(uint32_t tick, uint8_t type, const std::vector<uint8_t>& data) {
    SmfEvent e{tick, 0, {0xFF, type, uint8_t(data.size())}};
    e.bytes.insert(e.bytes.end(), data.begin(), data.end());
    events.push_back(e);
}

void SmfTrack::Tempo(uint32_t tick, double bpm) {
    uint32_t us = uint32_t(std::lround(60000000.0 / bpm));
    Meta(tick, 0x51, {uint8_t(us >> 16), uint8_t(us >> 8), uint8_t(us)});
}

void SmfTrack::TimeSignature(uint32_t tick, int num, int denPow2) {
    Meta(tick, 0x58, {uint8_t(num), uint8_t(denPow2), 24, 8});
}

void SmfTrack::Program(uint32_t tick, int ch, int program) {
    events.push_back({tick, 1, {uint8_t(0xC0 | ch), uint8_t(program)}});
}

void SmfTrack::Control(uint32_t tick, int ch, int cc, int value) {
    events.push_back({tick, 1, {uint8_t(0xB0 | ch), uint8_t(cc), uint8_t(std::clamp(value, 0, 127))}});
}

void SmfTrack::Note(uint32_t tick, int ch, int key, int velocity, uint32_t length) {
    if (length == 0 || key < 0 || key > 127) return;
    velocity = std::clamp(velocity, 1, 127);
    events.push_back({tick, 3, {uint8_t(0x90 | ch), uint8_t(key), uint8_t(velocity)}});
    events.push_back({tick + length, 2, {uint8_t(0x80 | ch), uint8_t(key), 0}});
}

namespace {
void PutVlq(std::vector<uint8_t>& out, uint32_t v) {
    uint8_t tmp[5];
    int n = 0;
    tmp[n++] = v & 0x7F;
    while (v >>= 7) tmp[n++] = uint8_t(0x80 | (v & 0x7F));
    while (n) out.push_back(tmp[--n]);
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) out.push_back(uint8_t(v >> s));
}
}  // namespace

bool WriteSmf(const std::string& path, std::vector<SmfTrack>& tracks, uint32_t endTick) {
    std::vector<uint8_t> file = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1};
    file.push_back(uint8_t(tracks.size() >> 8));
    file.push_back(uint8_t(tracks.size()));
    file.push_back(uint8_t(kDivision >> 8));
    file.push_back(uint8_t(kDivision));
    for (SmfTrack& t : tracks) {
        std::stable_sort(t.events.begin(), t.events.end(), [](const SmfEvent& a, const SmfEvent& b) {
            return a.tick != b.tick ? a.tick < b.tick : a.order < b.order;
        });
        std::vector<uint8_t> body;
        std::vector<uint8_t> name(t.name.begin(), t.name.end());
        PutVlq(body, 0);
        body.insert(body.end(), {0xFF, 0x03, uint8_t(name.size())});
        body.insert(body.end(), name.begin(), name.end());
        uint32_t now = 0;
        for (const SmfEvent& e : t.events) {
            if (e.tick > endTick) continue;
            PutVlq(body, e.tick - now);
            now = e.tick;
            body.insert(body.end(), e.bytes.begin(), e.bytes.end());
        }
        PutVlq(body, endTick - now);
        body.insert(body.end(), {0xFF, 0x2F, 0x00});
        file.insert(file.end(), {'M', 'T', 'r', 'k'});
        Put32(file, uint32_t(body.size()));
        file.insert(file.end(), body.begin(), body.end());
    }
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(file.data(), 1, file.size(), f) == file.size();
    return std::fclose(f) == 0 && ok;
}

SmfSummary ReadSmf(const std::string& path) {
    SmfSummary s;
    std::vector<uint8_t> d;
    if (!ReadRegularFile(path.c_str(), size_t(16) << 20, &d, nullptr)) {
        s.error = "cannot open";
        return s;
    }
    auto be = [&](size_t p, int n) {
        uint32_t v = 0;
        for (int i = 0; i < n; ++i) v = v << 8 | d[p + i];
        return v;
    };
    if (d.size() < 14 || std::string(d.begin(), d.begin() + 4) != "MThd") {
        s.error = "no MThd header";
        return s;
    }
    s.format = int(be(8, 2));
    int declared = int(be(10, 2));
    s.division = int(be(12, 2));
    std::map<uint32_t, int> barLengths;  // tick of a time signature -> ticks per bar
    size_t p = 8 + be(4, 4);
    while (p + 8 <= d.size()) {
        uint32_t len = be(p + 4, 4);
        bool isTrack = std::string(d.begin() + long(p), d.begin() + long(p) + 4) == "MTrk";
        size_t q = p + 8, end = p + 8 + len;
        if (end > d.size()) {
            s.error = "track runs past the end of the file";
            return s;
        }
        p = end;
        if (!isTrack) continue;
        ++s.trackCount;
        uint32_t tick = 0;
        uint8_t status = 0;
        while (q < end) {
            uint32_t delta = 0;
            do delta = delta << 7 | (d[q] & 0x7F);
            while (d[q++] & 0x80 && q < end);
            tick += delta;
            if (q >= end) break;
            if (d[q] & 0x80) status = d[q++];
            if (status == 0xFF) {
                uint8_t type = d[q++];
                uint32_t mlen = 0;
                do mlen = mlen << 7 | (d[q] & 0x7F);
                while (d[q++] & 0x80 && q < end);
                if (type == 0x2F) s.endTick = std::max(s.endTick, tick);
                if (type == 0x51 && s.firstTempoBpm == 0 && mlen == 3) s.firstTempoBpm = 60000000.0 / be(q, 3);
                if (type == 0x58 && mlen >= 2) barLengths[tick] = d[q] * s.division * 4 / (1 << d[q + 1]);
                q += mlen;
            } else if (status == 0xF0 || status == 0xF7) {
                uint32_t slen = 0;
                do slen = slen << 7 | (d[q] & 0x7F);
                while (d[q++] & 0x80 && q < end);
                q += slen;
            } else {
                int kind = status & 0xF0, ch = status & 0x0F;
                int n = (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
                uint8_t a = d[q], b = n > 1 ? d[q + 1] : 0;
                q += n;
                if (kind == 0x90 && b > 0) {
                    ++s.notes;
                    s.lastNoteOn = std::max(s.lastNoteOn, tick);
                    s.channelUsed[ch] = true;
                } else if (kind == 0x80 || (kind == 0x90 && b == 0)) {
                    s.lastNoteOff = std::max(s.lastNoteOff, tick);
                }
                (void)a;
            }
        }
    }
    if (s.trackCount != declared) s.error = "track count differs from the header";
    // Bar lines from the time signatures (4/4 until the first one).
    uint32_t t = 0;
    int barLen = 4 * s.division;
    while (t <= s.endTick && s.division > 0) {
        auto it = barLengths.upper_bound(t);
        if (it != barLengths.begin()) barLen = std::prev(it)->second;
        s.barStarts.push_back(t);
        t += uint32_t(barLen);
    }
    return s;
}
}  // namespace smf

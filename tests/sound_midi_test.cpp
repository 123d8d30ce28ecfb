#include <gtest/gtest.h>
#include <cmath>

#include "formats/midi_file.h"
#include "platform/midi_song.h"
#include "sound_test_files.h"

using namespace soundtest;

namespace {
bool Parse(const Bytes& b, MidiSong* song, std::string* why = nullptr) {
    const char* w = "";
    bool ok = ParseMidiFile(b.data(), b.size(), song, &w);
    if (why) *why = w;
    return ok;
}

std::vector<int> NoteOnKeys(const MidiSong& s) {
    std::vector<int> keys;
    for (const MidiEvent& e : s.events)
        if ((e.status & 0xF0) == 0x90) keys.push_back(e.data1);
    return keys;
}

double Seconds(const MidiSong& s, uint32_t tick) {
    return double(MidiFrameAtScaled(s, uint64_t(tick) * kMusicTicksPerQuarter, 1000000)) / 1e6;
}
}  // namespace

TEST(SoundMidi, ThirdPartyFilesParseWithTheirDivisionLengthAndDuration) {
    // Divisions, lengths in ticks and durations as the test-data README
    // states them (durations from each file's tempo map).
    struct Case {
        const char* file;
        int division;
        uint32_t endTick;
        double seconds;
    } cases[] = {
        {"midi/test-c-major-scale.mid", 96, 768, 4.0},
        {"midi/test-karaoke-kar.mid", 100, 1590, 10.6},
        {"midi/test-non-midi-track.mid", 96, 768, 4.0},
        {"midi/MIDIOkFormat1.mid", 96, 384, 2.0},
        {"midi/Yubatake-GameOver.mid", 960, 14400, 7.4},
        {"midi/bartok-concerto_for_orchestra_1.mid", 480, 428880, 530.0},
        {"midi/invalid/MIDIBadTrackLength.mid", 96, 384, 2.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        MidiSong s;
        std::string why;
        ASSERT_TRUE(Parse(ReadAll(TestData(c.file)), &s, &why)) << why;
        EXPECT_EQ(s.division, c.division);
        EXPECT_EQ(s.endTick, c.endTick);
        EXPECT_NEAR(Seconds(s, s.endTick), c.seconds, c.seconds * 0.01 + 0.05);
        EXPECT_FALSE(NoteOnKeys(s).empty());
    }
}

TEST(SoundMidi, UnknownChunksAreSkippedAndDamagedTracksKeepTheirCompleteEvents) {
    MidiSong scale, junk, cut;
    ASSERT_TRUE(Parse(ReadAll(TestData("midi/test-c-major-scale.mid")), &scale));
    // The same scale behind a "Junk" chunk, and with its last byte cut off
    // (the end-of-track loses its length byte; every note is still whole).
    ASSERT_TRUE(Parse(ReadAll(TestData("midi/test-non-midi-track.mid")), &junk));
    ASSERT_TRUE(Parse(ReadAll(TestData("midi/invalid/test-corrupt-file-missing-byte.mid")), &cut));
    EXPECT_EQ(NoteOnKeys(scale), (std::vector<int>{60, 62, 64, 65, 67, 69, 71, 72}));
    EXPECT_EQ(NoteOnKeys(junk), NoteOnKeys(scale));
    EXPECT_EQ(NoteOnKeys(cut), NoteOnKeys(scale));
    EXPECT_EQ(cut.events.size(), scale.events.size());
}

TEST(SoundMidi, FilesThatAreNotMidiAreRefused) {
    MidiSong s;
    std::string why;
    EXPECT_FALSE(Parse(ReadAll(TestData("midi/invalid/test-empty-file.mid")), &s, &why));
    EXPECT_FALSE(Parse(ReadAll(TestData("midi/invalid/test-not-a-midi-file.mid")), &s, &why));
    EXPECT_EQ(why, "no MThd header");
    EXPECT_FALSE(Parse(ReadAll(TestData("wav/sword.wav")), &s));

    TrackWriter t;
    t.Note(0, 60, 10);
    t.End(20);
    Bytes good = MakeMidi(1, 96, {t.body});
    ASSERT_TRUE(Parse(good, &s));
    Bytes formatThree = good;
    formatThree[9] = 3;
    EXPECT_FALSE(Parse(formatThree, &s));
    Bytes zeroDivision = good;
    zeroDivision[12] = zeroDivision[13] = 0;
    EXPECT_FALSE(Parse(zeroDivision, &s));
    Bytes noTrack(good.begin(), good.begin() + 14);
    EXPECT_FALSE(Parse(noTrack, &s, &why));
    EXPECT_EQ(why, "no MTrk chunk");
    Bytes shortHeader = good;
    shortHeader[7] = 5;
    EXPECT_FALSE(Parse(shortHeader, &s));
    // A refused file leaves nothing behind.
    EXPECT_TRUE(s.events.empty());
    EXPECT_EQ(s.division, 0);
}

TEST(SoundMidi, RunningStatusSysexMetaAndNoteOnZeroAreNormalised) {
    TrackWriter t;
    t.At(0);
    t.Raw({0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7});  // GM on, kept without F0/F7
    t.At(0);
    t.Raw({0x91, 60, 100});
    t.At(10);
    t.Raw({62, 90});  // running status
    t.At(15);
    t.Raw({0xFF, 0x01, 0x02, 'h', 'i'});  // text meta: dropped
    t.At(20);
    t.Raw({60, 0});  // running status across the meta, velocity 0 = note-off
    t.At(20);
    t.Raw({0xC1, 33});
    t.At(20);
    t.Raw({64});  // running status with one data byte
    t.At(20);
    t.Raw({0xE1, 0x00, 0x40});
    t.End(30);
    MidiSong s;
    ASSERT_TRUE(Parse(MakeMidi(0, 96, {t.body}), &s));
    ASSERT_EQ(s.events.size(), 7u);
    EXPECT_EQ(s.events[0].status, 0xF0);
    ASSERT_EQ(s.events[0].length, 4u);
    EXPECT_EQ(Bytes(s.sysex.begin() + s.events[0].offset, s.sysex.begin() + s.events[0].offset + 4),
              (Bytes{0x7E, 0x7F, 0x09, 0x01}));
    struct E {
        uint32_t tick;
        int status, d1, d2;
    } want[] = {{0, 0x91, 60, 100}, {10, 0x91, 62, 90}, {20, 0x81, 60, 64},
                {20, 0xC1, 33, 0},   {20, 0xC1, 64, 0},  {20, 0xE1, 0, 0x40}};
    for (int i = 0; i < 6; ++i) {
        const MidiEvent& e = s.events[size_t(i) + 1];
        EXPECT_EQ(e.tick, want[i].tick) << i;
        EXPECT_EQ(e.status, want[i].status) << i;
        EXPECT_EQ(e.data1, want[i].d1) << i;
        EXPECT_EQ(e.data2, want[i].d2) << i;
    }
    EXPECT_EQ(s.endTick, 30u);
}

TEST(SoundMidi, DamagedTracksEndAtTheFirstBadByte) {
    // Each bad tail follows a good note in the first track; a second,
    // healthy track must still play.
    struct Case {
        const char* what;
        Bytes tail;
    } cases[] = {
        {"system common status", {0x00, 0xF2, 0x00, 0x00}},
        {"five-byte delta", {0x81, 0x81, 0x81, 0x81, 0x01, 0x90, 0x40, 0x40}},
        {"status byte where data belongs", {0x00, 0x90, 0x40, 0x90}},
        {"sysex longer than the track", {0x00, 0xF0, 0x7F, 0x01}},
        {"meta longer than the track", {0x00, 0xFF, 0x01, 0x7F, 'x'}},
    };
    TrackWriter second;
    second.Note(5, 70, 10);
    second.End(15);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TrackWriter first;
        first.Note(0, 50, 10);
        first.body.insert(first.body.end(), c.tail.begin(), c.tail.end());
        MidiSong s;
        ASSERT_TRUE(Parse(MakeMidi(1, 96, {first.body, second.body}), &s));
        EXPECT_EQ(NoteOnKeys(s), (std::vector<int>{50, 70}));
        EXPECT_EQ(s.endTick, 15u);
    }
    // A data byte as the very first event has no status to run on.
    MidiSong s;
    ASSERT_TRUE(Parse(MakeMidi(1, 96, {Bytes{0x00, 0x40, 0x40}, second.body}), &s));
    EXPECT_EQ(NoteOnKeys(s), (std::vector<int>{70}));
}

TEST(SoundMidi, TrackLengthsArePinnedToTheFile) {
    TrackWriter a, b;
    a.Note(0, 60, 10);
    a.End(10);
    b.Note(0, 64, 40);
    b.End(40);
    Bytes file = MakeMidi(1, 96, {a.body, b.body});
    // First track's length far past the file: it ends at its end-of-track
    // and the second track is still found right after it.
    file[18] = 0x01;
    MidiSong s;
    ASSERT_TRUE(Parse(file, &s));
    EXPECT_EQ(NoteOnKeys(s), (std::vector<int>{60, 64}));
    EXPECT_EQ(s.endTick, 40u);
    // The last track's length past the file, and no end-of-track at all.
    TrackWriter c;
    c.Note(0, 67, 25);
    Bytes open = MakeMidi(0, 96, {c.body});
    open[21] = 0x7F;
    ASSERT_TRUE(Parse(open, &s));
    EXPECT_EQ(NoteOnKeys(s), (std::vector<int>{67}));
    EXPECT_EQ(s.endTick, 25u);
}

TEST(SoundMidi, TempoMapAcrossTracksAndSmpteTime) {
    // Format 1: tempo changes in the first track apply to the notes of the
    // second. 96 ticks per quarter: 120 bpm for 96 ticks (0.5 s), then 60 bpm.
    TrackWriter tempo, notes;
    tempo.Tempo(0, 500000);
    tempo.Tempo(96, 1000000);
    tempo.End(96);
    notes.Note(0, 60, 96);
    notes.Note(192, 62, 96);
    notes.End(288);
    MidiSong s;
    ASSERT_TRUE(Parse(MakeMidi(1, 96, {tempo.body, notes.body}), &s));
    MidiAssignFrames(&s, 44100);
    EXPECT_EQ(s.events[0].frame, 0);
    EXPECT_EQ(s.events[1].frame, 22050);            // tick 96: 0.5 s
    EXPECT_EQ(s.events[2].frame, 22050 + 44100);    // tick 192: one more second
    EXPECT_EQ(MidiFrameAtScaled(s, uint64_t(288) * 768, 44100), 22050 + 2 * 44100);

    // SMPTE division: 25 frames of 40 ticks = 1000 ticks a second; tempo
    // events do not change it.
    Bytes smpte = MakeMidi(0, 0, {notes.body});
    smpte[12] = uint8_t(-25);
    smpte[13] = 40;
    ASSERT_TRUE(Parse(smpte, &s));
    EXPECT_TRUE(s.smpte);
    EXPECT_EQ(s.division, 1000);
    MidiAssignFrames(&s, 48000);
    EXPECT_EQ(s.events[2].frame, 48000 * 192 / 1000);
}

TEST(SoundMidi, LoopEndConvertsThousandsOfMusicTicksToTheFileDivision) {
    // Stage 1 loops at 169 thousand ticks of 768: 220.05 quarter notes.
    // At 96 per quarter that is 21125 file ticks exactly.
    EXPECT_EQ(MidiLoopEndScaled(96, 100000, 169), uint64_t(21125) * 768);
    // At 100 per quarter it is 22005.2: tick 22005 is inside, 22006 is not.
    uint64_t end = MidiLoopEndScaled(100, 100000, 169);
    EXPECT_LT(uint64_t(22005) * 768, end);
    EXPECT_GE(uint64_t(22006) * 768, end);
    // At 480, stage 2's 146 thousand is 91250 ticks.
    EXPECT_EQ(MidiLoopEndScaled(480, 100000, 146), uint64_t(91250) * 768);
    // Past the end of the tune, or none given: the whole tune.
    EXPECT_EQ(MidiLoopEndScaled(96, 768, 169), uint64_t(768) * 768);
    EXPECT_EQ(MidiLoopEndScaled(96, 768, 0), uint64_t(768) * 768);
    EXPECT_EQ(MidiLoopEndScaled(96, 768, -5), uint64_t(768) * 768);
}

TEST(SoundMidi, MutatedFilesNeverCrashTheParser) {
    // Deterministic byte flips and cuts over the small third-party files;
    // with the sanitizer build this checks every read stays in bounds.
    const char* files[] = {"midi/test-c-major-scale.mid", "midi/test-karaoke-kar.mid", "midi/MIDIOkFormat1.mid",
                           "midi/Yubatake-GameOver.mid"};
    uint32_t seed = 12345;
    auto next = [&] { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0x7FFF; };
    int parsed = 0, refused = 0;
    for (const char* f : files) {
        Bytes original = ReadAll(TestData(f));
        for (int round = 0; round < 400; ++round) {
            Bytes b = original;
            int flips = 1 + int(next() % 8);
            for (int i = 0; i < flips; ++i) b[next() % b.size()] = uint8_t(next());
            if (round % 4 == 0) b.resize(next() % b.size());
            MidiSong s;
            if (Parse(b, &s)) {
                ++parsed;
                for (size_t i = 1; i < s.events.size(); ++i) ASSERT_LE(s.events[i - 1].tick, s.events[i].tick);
                for (const MidiEvent& e : s.events) {
                    ASSERT_LE(e.tick, s.endTick);
                    if (e.status == 0xF0) ASSERT_LE(size_t(e.offset) + e.length, s.sysex.size());
                    else ASSERT_TRUE(e.status >= 0x80 && e.status < 0xF0 && e.data1 < 0x80 && e.data2 < 0x80);
                }
            } else {
                ++refused;
            }
        }
    }
    EXPECT_GT(parsed, 0);
    EXPECT_GT(refused, 0);
}

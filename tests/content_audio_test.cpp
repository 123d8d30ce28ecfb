// The generated sound effects and stage tunes, read back with the game's own
// wave and MIDI readers.
#include <gtest/gtest.h>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <set>
#include <string>

#include "content_test_util.h"
#include "core/manifest.h"
#include "formats/midi_file.h"
#include "formats/wave_file.h"

namespace {

struct Wave {
    WaveInfo info{};
    std::vector<int16_t> stereo;  // as the mixer holds it, 44100 frames a second
    double Seconds() const { return stereo.size() / 2 / 44100.0; }
    int Peak() const {
        int p = 0;
        for (int16_t v : stereo) p = std::max(p, std::abs(int(v)));
        return p;
    }
};

void LoadWaveFile(const char* rel, Wave* w) {
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(ReadWholeFile(DataPath(std::string("data/") + rel), &bytes)) << rel << " is missing: build the gamedata target";
    ASSERT_EQ(ReadWaveHeader(bytes.data(), bytes.size(), &w->info), WaveOk) << rel;
    ASSERT_EQ(ConvertWave(bytes.data(), w->info, 44100, &w->stereo), WaveOk) << rel;
}

TEST(ContentSounds, EveryEffectIsSixteenBitPcmThatNeitherClipsNorStaysSilent) {
    for (const char* rel : kSoundFiles) {
        Wave w;
        LoadWaveFile(rel, &w);
        if (HasFatalFailure()) return;
        EXPECT_EQ(w.info.formatTag, 1) << rel;
        EXPECT_EQ(w.info.bitsPerSample, 16) << rel;
        EXPECT_EQ(w.info.dataSize % uint32_t(w.info.blockAlign), 0u) << rel << " ends in a partial frame";
        // Loud enough to hear over the music, never at full scale (a clipped
        // synthesis would sit at 32767).
        EXPECT_GT(w.Peak(), 6000) << rel;
        EXPECT_LT(w.Peak(), 32000) << rel;
        EXPECT_GT(w.Seconds(), 0.03) << rel;
        // Every play restarts the sound: it must start and end at rest, or
        // each restart would click.
        ASSERT_GE(w.stereo.size(), 2u);
        EXPECT_LT(std::abs(int(w.stereo.front())), 500) << rel;
        EXPECT_LT(std::abs(int(w.stereo.back())), 500) << rel;
        EXPECT_LT(w.Seconds(), 3.0) << rel;
    }
}

TEST(ContentSounds, RepeatingEffectsEndBeforeTheirNextRestart) {
    // Each play restarts the sound from its beginning: the beam fires every 7
    // frames and the star every 14 (16 ms each), the low-time beep sounds once
    // per 61 frames. Longer sounds would be cut off on every repeat.
    const std::pair<int, double> repeats[] = {{SndBeam, 7 * 0.016}, {SndStar, 14 * 0.016}, {SndTimer, 61 * 0.016}};
    for (const auto& [id, period] : repeats) {
        Wave w;
        LoadWaveFile(kSoundFiles[id], &w);
        if (HasFatalFailure()) return;
        EXPECT_LE(w.Seconds(), period) << kSoundFiles[id];
    }
}

// Loop ends of the stage tunes, in thousands of ticks of 768 per quarter note:
// the countdown starts each stage's tune with these.
const int kLoopEndThousands[3] = {169, 146, 169};

struct Tune {
    MidiSong song;
    uint32_t loopEnd = 0;  // file ticks
    double bpm = 0;
    std::set<int> melodic;  // channels with notes, drums excluded
    bool drums = false;
    uint32_t lastNoteOn = 0;
};

void LoadTune(int index, Tune* t) {
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(ReadWholeFile(DataPath(std::string("data/") + kMusicFiles[index]), &bytes)) << kMusicFiles[index];
    const char* why = nullptr;
    ASSERT_TRUE(ParseMidiFile(bytes.data(), bytes.size(), &t->song, &why)) << kMusicFiles[index] << ": " << why;
    ASSERT_FALSE(t->song.tempos.empty());
    t->bpm = 60000000.0 / t->song.tempos[0].usPerQuarter;
    // With 768 ticks per quarter the loop end in file ticks is exactly the game's figure.
    t->loopEnd = uint32_t(kLoopEndThousands[index] * 1000);
    for (const MidiEvent& e : t->song.events)
        if ((e.status & 0xF0) == 0x90) {
            int ch = e.status & 0x0F;
            if (ch == 9) t->drums = true;
            else t->melodic.insert(ch);
            t->lastNoteOn = std::max(t->lastNoteOn, e.tick);
        }
}

TEST(ContentMusic, EachTuneLastsAtLeastToItsLoopEndAndPlaysNothingPastIt) {
    for (int i = 0; i < 3; ++i) {
        Tune t;
        LoadTune(i, &t);
        if (HasFatalFailure()) return;
        EXPECT_EQ(t.song.division, 768) << kMusicFiles[i];
        EXPECT_GE(t.song.endTick, t.loopEnd) << kMusicFiles[i] << " is shorter than its loop end";
        // The player loops at this point only when it lies within the tune;
        // past the end it would loop the whole tune instead.
        EXPECT_EQ(MidiLoopEndScaled(t.song.division, t.song.endTick, kLoopEndThousands[i]),
                  uint64_t(t.loopEnd) * 768)
            << kMusicFiles[i];
        EXPECT_LT(t.lastNoteOn, t.loopEnd) << kMusicFiles[i] << " starts a note that the loop cuts";
    }
}

TEST(ContentMusic, TheLoopSeamFallsBetweenPhrases) {
    // A phrase ends just before the loop end: nothing starts in the last
    // sixteenth before it, and the tune starts playing on its first tick, so
    // the loop joins end and start without a hole or a clipped note.
    for (int i = 0; i < 3; ++i) {
        Tune t;
        LoadTune(i, &t);
        if (HasFatalFailure()) return;
        bool startsAtZero = false;
        for (const MidiEvent& e : t.song.events) {
            if ((e.status & 0xF0) != 0x90) continue;
            startsAtZero = startsAtZero || e.tick == 0;
            EXPECT_FALSE(e.tick + 768 / 4 > t.loopEnd && e.tick < t.loopEnd)
                << kMusicFiles[i] << ": a note starts at " << e.tick << ", right at the loop end";
        }
        EXPECT_TRUE(startsAtZero) << kMusicFiles[i] << " starts with silence";
    }
}

TEST(ContentMusic, TheTunesAreArrangementsWithTheirOwnTempo) {
    std::set<long> tempos;
    for (int i = 0; i < 3; ++i) {
        Tune t;
        LoadTune(i, &t);
        if (HasFatalFailure()) return;
        EXPECT_TRUE(t.drums) << kMusicFiles[i] << " has no drums";
        EXPECT_GE(t.melodic.size(), 4u) << kMusicFiles[i];
        EXPECT_GE(t.bpm, 90) << kMusicFiles[i];
        EXPECT_LE(t.bpm, 180) << kMusicFiles[i];
        tempos.insert(std::lround(t.bpm));
    }
    EXPECT_EQ(tempos.size(), 3u) << "two stages share a tempo";
}

}  // namespace

#include "platform/audio.h"
#include "platform/synth.h"
#include "platform/system.h"
#include "sound/sound.h"
#include "sound_test_files.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <thread>

using namespace soundtest;

namespace {
constexpr int kRate = 44100;

struct Sent {
    int64_t frame;
    uint32_t tick;
    int status;
    int key;
};
std::vector<Sent> g_sent;

void Record(int64_t frame, const MidiEvent& e, void*) { g_sent.push_back(Sent{frame, e.tick, e.status, e.data1}); }

std::vector<Sent> NoteOns() {
    std::vector<Sent> on;
    for (const Sent& s : g_sent)
        if ((s.status & 0xF0) == 0x90) on.push_back(s);
    return on;
}

// 96 ticks per quarter at 120 bpm: a tick is 1/192 s. A loop end of one
// thousand music ticks (768 per quarter) is file tick 125, frame
// floor(125 / 192 * 44100) = 28710.
constexpr int64_t kLoopFrames = 28710;

// Notes at ticks 0, 48, 96 and 120 (the last one held across the loop
// end), and at 125 (the loop end itself) and 130, which must never sound.
Bytes LoopTune() {
    TrackWriter t;
    t.At(0);
    t.Raw({0xC0, 19});  // church organ: holds its level while a key is down
    t.Note(0, 60, 40);
    t.Note(48, 62, 40);
    t.Note(96, 64, 20);
    t.Note(120, 65, 30);
    t.Note(150, 67, 10);
    t.At(160);
    t.Raw({0x90, 69, 100});
    t.End(200);
    // Tick 125 and 130 notes in a second track, to show the cut applies to
    // every track.
    TrackWriter u;
    u.Note(125, 71, 3);
    u.Note(130, 72, 10);
    u.End(140);
    return MakeMidi(1, 96, {t.body, u.body});
}

class SoundMusic : public ::testing::Test {
protected:
    void SetUp() override {
        SetMessageBoxesEnabled(false);
        ResetQuit();
        g_sent.clear();
        AudioOpenOffline(kRate);
        SynthSetEventTap(Record, nullptr);
    }
    void TearDown() override {
        SynthSetEventTap(nullptr, nullptr);
        ReleaseSound();
        ReleaseMusic();
        ResetQuit();
    }
    // The sequencer alone, with no soundfont: events reach the tap only.
    void OpenSilent() { SynthOpen(kRate, nullptr, 0); }
    bool OpenWithSoundfont() {
        InitMusic();
        return SynthHasSoundfont();
    }
    // Renders in odd-sized buffers so that events fall inside buffers.
    std::vector<float> Render(int64_t frames, int buffer = 333) {
        std::vector<float> out(size_t(frames) * 2);
        for (int64_t at = 0; at < frames; at += buffer)
            AudioRender(out.data() + at * 2, int(std::min<int64_t>(buffer, frames - at)));
        return out;
    }
};

double Rms(const std::vector<float>& v, size_t from, size_t frames) {
    double sum = 0;
    for (size_t i = from * 2; i < (from + frames) * 2; ++i) sum += double(v[i]) * v[i];
    return std::sqrt(sum / double(frames * 2));
}
}  // namespace

TEST_F(SoundMusic, LoopReturnsToTickZeroAtTheLoopEndWithNoGap) {
    OpenSilent();
    ASSERT_EQ(LoadMusic(WriteTemp("loop.mid", LoopTune()).c_str(), 0), 1);
    PlayMusic(0, 1);
    Render(3 * kLoopFrames + 1);
    // Note-ons at tick * 44100 / 192 frames, each pass starting exactly
    // where the previous one ended; keys at or past tick 125 never sound.
    std::vector<Sent> on = NoteOns();
    ASSERT_EQ(on.size(), 3u * 4 + 1);
    const int64_t within[] = {0, 11025, 22050, 27562};
    const int keys[] = {60, 62, 64, 65};
    for (size_t i = 0; i < on.size(); ++i) {
        EXPECT_EQ(on[i].frame, int64_t(i / 4) * kLoopFrames + within[i % 4]) << i;
        EXPECT_EQ(on[i].key, keys[i % 4]) << i;
    }
    for (const Sent& s : g_sent) EXPECT_LT(s.tick, 125u);
}

TEST_F(SoundMusic, LoopInATuneWithTempoChangesAndItsOwnDivision) {
    OpenSilent();
    // 960 ticks per quarter, 150 bpm to tick 7680 then 100 bpm. Ten
    // thousand music ticks are file tick 12500: 3.2 s + 4820 ticks at
    // 0.625 ms = 6.2125 s, frame 273971.
    ASSERT_EQ(LoadMusic(TestData("midi/Yubatake-GameOver.mid").c_str(), 2), 1);
    PlayMusic(2, 10);
    Render(2 * 273971 + 100, 4096);
    size_t firstPass = 0;
    while (firstPass < g_sent.size() && g_sent[firstPass].frame < 273971) ++firstPass;
    ASSERT_GT(firstPass, 10u);
    ASSERT_GE(g_sent.size(), firstPass * 2);
    for (size_t i = 0; i < firstPass; ++i) {
        EXPECT_LT(g_sent[i].tick, 12500u);
        // The second pass sends the same events, exactly one loop later.
        EXPECT_EQ(g_sent[firstPass + i].frame, g_sent[i].frame + 273971) << i;
        EXPECT_EQ(g_sent[firstPass + i].tick, g_sent[i].tick) << i;
    }
}

TEST_F(SoundMusic, LoopEndPastTheTuneLoopsTheWholeTune) {
    OpenSilent();
    ASSERT_EQ(LoadMusic(WriteTemp("loop.mid", LoopTune()).c_str(), 0), 1);
    PlayMusic(0, 169);
    // The tune ends at tick 200: frame floor(200 / 192 * 44100) = 45937.
    Render(45937 + 10);
    std::vector<Sent> on = NoteOns();
    ASSERT_EQ(on.size(), 8u + 1);
    EXPECT_EQ(on.back().frame, 45937);
    EXPECT_EQ(on.back().key, 60);
}

TEST_F(SoundMusic, PlayRestartsFromTheStartAndSlotMinusOneChangesNothing) {
    OpenSilent();
    ASSERT_EQ(LoadMusic(WriteTemp("loop.mid", LoopTune()).c_str(), 0), 1);
    PlayMusic(0, 1);
    SetMusicVolume(0, -300);
    Render(15000, 500);
    // Slot -1 is "no tune": neither the play nor the volume is applied.
    PlayMusic(-1, 1);
    SetMusicVolume(-1, -4000);
    EXPECT_EQ(CurrentMusicVolume(), -300);
    EXPECT_EQ(SynthCurrentGain(), MusicGainFromVolume(-300));
    Render(10000, 500);
    std::vector<Sent> on = NoteOns();
    ASSERT_EQ(on.size(), 3u);
    EXPECT_EQ(on[2].frame, 22050);  // went on as if nothing had been asked
    // Playing the same slot again starts it over from tick 0 at the next buffer.
    PlayMusic(0, 1);
    Render(500, 500);
    on = NoteOns();
    ASSERT_EQ(on.size(), 4u);
    EXPECT_EQ(on[3].frame, 25000);
    EXPECT_EQ(on[3].key, 60);
}

TEST_F(SoundMusic, StopSendsNothingMoreAndAnEmptySlotPlaysNothing) {
    OpenSilent();
    ASSERT_EQ(LoadMusic(WriteTemp("loop.mid", LoopTune()).c_str(), 0), 1);
    PlayMusic(0, 1);
    Render(5000);
    StopMusic();
    size_t sent = g_sent.size();
    Render(3 * kLoopFrames);
    EXPECT_EQ(g_sent.size(), sent);
    PlayMusic(7, 1);  // never loaded
    PlayMusic(99, 1);  // out of range
    Render(kLoopFrames);
    EXPECT_EQ(g_sent.size(), sent);
    // Either one, asked while a tune plays, still stops it: the stop comes
    // before the slot is looked at.
    for (int slot : {7, 99, -2}) {
        PlayMusic(0, 1);
        Render(5000);
        ASSERT_GT(g_sent.size(), sent) << slot;
        PlayMusic(slot, 1);
        sent = g_sent.size();
        Render(3 * kLoopFrames);
        EXPECT_EQ(g_sent.size(), sent) << slot;
    }
}

// A crafted tune: 20,000 events on tick 0 of a loop one tick long (42 us at
// one tick per quarter). It once had every event sent again at every output
// frame, hundreds of passes per buffer, with the audio lock held. The work per
// buffer is bounded now; the tune still goes on from buffer to buffer.
TEST_F(SoundMusic, ATuneOfManyEventsInATinyLoopCannotStallTheMixer) {
    OpenSilent();
    TrackWriter t;
    t.Tempo(0, 42);
    for (int i = 0; i < 10000; ++i) {
        t.At(0);
        t.Raw({0x90, uint8_t(i % 128), 100});
        t.At(0);
        t.Raw({0x80, uint8_t(i % 128), 0});
    }
    t.End(1);
    ASSERT_EQ(LoadMusic(WriteTemp("tiny_loop.mid", MakeMidi(0, 1, {t.body})).c_str(), 0), 1);
    static int64_t sent;
    SynthSetEventTap([](int64_t, const MidiEvent&, void*) { ++sent; }, nullptr);
    PlayMusic(0, 0);
    std::vector<float> out(512 * 2);
    int64_t total = 0;
    for (int buffer = 0; buffer < 150; ++buffer) {
        sent = 0;
        AudioRender(out.data(), 512);
        ASSERT_GT(sent, 0) << "buffer " << buffer;
        ASSERT_LE(sent, 2000) << "buffer " << buffer;
        total += sent;
    }
    EXPECT_GT(total, 20000);  // more than one pass through the tune
}

TEST(SoundMusicGain, HundredthsOfADecibelToLinearGain) {
    // -20 dB is a tenth; the countdown's last step (-4296) is -42.96 dB.
    EXPECT_FLOAT_EQ(MusicGainFromVolume(0), kMusicFullGain);
    EXPECT_FLOAT_EQ(MusicGainFromVolume(-2000), kMusicFullGain * 0.1f);
    EXPECT_FLOAT_EQ(MusicGainFromVolume(-4296), kMusicFullGain * 0.0071121351f);
    EXPECT_FLOAT_EQ(MusicGainFromVolume(1), kMusicFullGain * 1.0011520f);
    EXPECT_FLOAT_EQ(MusicGainFromVolume(-10000), kMusicFullGain * 1e-5f);
    EXPECT_FLOAT_EQ(MusicGainFromVolume(20000), 10.0f);  // the synthesizer's ceiling
}

TEST_F(SoundMusic, BadFilesShowTheFailureAndAskToQuit) {
    OpenSilent();
    const char* bad[] = {"midi/invalid/test-empty-file.mid", "midi/invalid/test-not-a-midi-file.mid",
                         "wav/coin.wav", "midi/no-such-file.mid"};
    for (const char* f : bad) {
        SCOPED_TRACE(f);
        ResetQuit();
        testing::internal::CaptureStderr();
        EXPECT_EQ(LoadMusic(TestData(f).c_str(), 1), 0);
        std::string err = testing::internal::GetCapturedStderr();
        EXPECT_NE(err.find("楽曲ファイルの読み込みに失敗"), std::string::npos) << err;
        EXPECT_TRUE(QuitRequested());
        EXPECT_EQ(QuitExitCode(), 1);  // a fatal data error is a failure
    }
    ResetQuit();
    EXPECT_EQ(LoadMusic(TestData("midi/test-c-major-scale.mid").c_str(), 16), 0);
    EXPECT_TRUE(QuitRequested());
    // The damaged-but-playable files of the test set load.
    ResetQuit();
    for (const char* f : {"midi/invalid/MIDIBadTrackLength.mid", "midi/invalid/test-corrupt-file-missing-byte.mid",
                          "midi/test-non-midi-track.mid", "midi/test-karaoke-kar.mid", "midi/MIDIOkFormat1.mid"})
        EXPECT_EQ(LoadMusic(TestData(f).c_str(), 3), 1) << f;
    EXPECT_FALSE(QuitRequested());
}

TEST_F(SoundMusic, NoSoundfontMeansSilentMusic) {
    const char* missing[] = {"/no/such/font.sf2"};
    EXPECT_FALSE(SynthOpen(kRate, missing, 1));
    EXPECT_NE(std::string(SynthLastError()).find("/no/such/font.sf2"), std::string::npos);
    ASSERT_EQ(LoadMusic(WriteTemp("loop.mid", LoopTune()).c_str(), 0), 1);
    PlayMusic(0, 1);
    std::vector<float> out = Render(30000);
    EXPECT_EQ(out, std::vector<float>(out.size(), 0.0f));
    EXPECT_EQ(NoteOns().size(), 5u);  // the sequencer still runs
}

// A font that can be read but not loaded: the open (which loads on a thread
// of its own) still says music is coming, the synthesizer then has none, the
// reason names the file (and so does a line of the game's own on stderr,
// beside the library's), and the sequencer runs silently as with no font.
TEST_F(SoundMusic, UnloadableSoundfontMeansSilentMusic) {
    const std::string bad = WriteTemp("bad.sf2", Bytes{'R', 'I', 'F', 'F', 4, 0, 0, 0, 's', 'f', 'b', 'k'});
    const char* fonts[] = {bad.c_str()};
    testing::internal::CaptureStderr();
    EXPECT_TRUE(SynthOpen(kRate, fonts, 1));
    EXPECT_FALSE(SynthHasSoundfont());
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("zorbat: " + bad + ": the soundfont would not load; music is off\n"), std::string::npos)
        << said;
    EXPECT_NE(std::string(SynthLastError()).find(bad), std::string::npos) << SynthLastError();
    ASSERT_EQ(LoadMusic(WriteTemp("loop.mid", LoopTune()).c_str(), 0), 1);
    PlayMusic(0, 1);
    std::vector<float> out = Render(30000);
    EXPECT_EQ(out, std::vector<float>(out.size(), 0.0f));
    EXPECT_EQ(NoteOns().size(), 5u);
}

// Music stored right after the open, while the font may still be loading,
// plays: storing waits for the synthesizer.
TEST_F(SoundMusic, SongStoredWhileTheFontLoadsPlays) {
    AudioOpenOffline(kRate);
    if (!SynthOpen(kRate, kDefaultSoundfonts, kDefaultSoundfontCount)) GTEST_SKIP() << "no soundfont installed";
    ASSERT_EQ(LoadMusic(WriteTemp("loop.mid", LoopTune()).c_str(), 0), 1);
    ASSERT_TRUE(SynthHasSoundfont());
    PlayMusic(0, 1);
    std::vector<float> out = Render(9000);
    EXPECT_GT(Rms(out, 1000, 8000), 1e-3);
}

TEST_F(SoundMusic, SoundfontLoopHasNoSilentStretch) {
    if (!OpenWithSoundfont()) GTEST_SKIP() << "no soundfont installed";
    ASSERT_EQ(LoadMusic(WriteTemp("loop.mid", LoopTune()).c_str(), 0), 1);
    PlayMusic(0, 1);
    std::vector<float> out = Render(3 * kLoopFrames);
    // Every 10 ms window from the first attack on holds sound, across both
    // loop points (the organ is held through each of them).
    double whole = Rms(out, 0, size_t(3 * kLoopFrames));
    ASSERT_GT(whole, 0.005);
    for (size_t at = 2000; at + 441 <= size_t(3 * kLoopFrames); at += 441)
        EXPECT_GT(Rms(out, at, 441), whole * 0.05) << "window at frame " << at;
}

TEST_F(SoundMusic, SoundfontStopSilencesAtOnceAndVolumeScalesTheOutput) {
    if (!OpenWithSoundfont()) GTEST_SKIP() << "no soundfont installed";
    ASSERT_EQ(LoadMusic(WriteTemp("loop.mid", LoopTune()).c_str(), 0), 1);
    PlayMusic(0, 1);
    std::vector<float> full = Render(20000, 512);
    ASSERT_GT(SynthActiveVoices(), 0);
    StopMusic();
    std::vector<float> after = Render(2048, 512);
    EXPECT_EQ(SynthActiveVoices(), 0);
    // The synthesizer works in blocks of 64 frames: at most the rest of one
    // block was made before the stop.
    for (size_t i = 64 * 2; i < after.size(); ++i) ASSERT_EQ(after[i], 0.0f) << i;

    SetMusicVolume(0, -2000);
    PlayMusic(0, 1);
    std::vector<float> quiet = Render(20000, 512);
    EXPECT_NEAR(Rms(quiet, 2000, 18000) / Rms(full, 2000, 18000), 0.1, 0.005);
}

TEST(SoundMusicDevice, DiskDriverWritesMusic) {
    std::string raw = TempPath("disk_music.raw");
    std::remove(raw.c_str());
    EnvGuard driver("SDL_AUDIODRIVER", "disk");
    EnvGuard file("SDL_DISKAUDIOFILE", raw.c_str());
    ASSERT_EQ(InitSound(), 1);
    InitMusic();
    bool haveFont = SynthHasSoundfont();
    ASSERT_EQ(LoadMusic(TestData("midi/test-c-major-scale.mid").c_str(), 0), 1);
    PlayMusic(0, 169);
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    ReleaseSound();
    ReleaseMusic();
    if (!haveFont) GTEST_SKIP() << "no soundfont installed";
    Bytes bytes = ReadAll(raw);
    std::vector<float> f(bytes.size() / sizeof(float));
    std::memcpy(f.data(), bytes.data(), f.size() * sizeof(float));
    ASSERT_GT(f.size(), 2u * 4410);
    EXPECT_GT(Rms(f, 0, f.size() / 2), 0.001);
}

namespace {

// ZORBAT_SOUNDFONT is tried before every usual place; unset or empty it is not
// tried at all, and both usual folders are searched.
TEST(SoundfontSearch, ThePlayersChoiceComesFirst) {
    const char* fonts[kMaxSoundfontSearch];
    setenv("ZORBAT_SOUNDFONT", "/home/player/mine.sf2", 1);
    int n = SoundfontSearchList(fonts, kMaxSoundfontSearch);
    ASSERT_EQ(n, kDefaultSoundfontCount + 1);
    EXPECT_STREQ(fonts[0], "/home/player/mine.sf2");
    EXPECT_STREQ(fonts[1], "/usr/share/sounds/sf2/TimGM6mb.sf2");
    setenv("ZORBAT_SOUNDFONT", "", 1);
    EXPECT_EQ(SoundfontSearchList(fonts, kMaxSoundfontSearch), kDefaultSoundfontCount);
    unsetenv("ZORBAT_SOUNDFONT");
    n = SoundfontSearchList(fonts, kMaxSoundfontSearch);
    ASSERT_EQ(n, kDefaultSoundfontCount);
    EXPECT_STREQ(fonts[0], "/usr/share/sounds/sf2/TimGM6mb.sf2");
    bool other = false;
    for (int i = 0; i < n; ++i) other = other || std::string(fonts[i]).rfind("/usr/share/soundfonts/", 0) == 0;
    EXPECT_TRUE(other);
    EXPECT_EQ(SoundfontSearchList(fonts, 2), 2);  // never more than asked for
}

}  // namespace

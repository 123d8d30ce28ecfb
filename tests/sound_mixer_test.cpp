#include "platform/audio.h"
#include "platform/system.h"
#include "sound/sound.h"
#include "sound_test_files.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <algorithm>
#include <string>
#include <thread>

using namespace soundtest;

namespace {
constexpr int kRate = 44100;
constexpr float kUnit = 1.0f / 32768.0f;

// Sample i of the test sound: distinct, non-zero, and identical in both
// channels after loading (mono at the mixer's rate converts unchanged).
int RampSample(int i) { return (i + 1) * 16; }

std::string RampWave(const char* name, int frames) {
    std::vector<int> v;
    for (int i = 0; i < frames; ++i) v.push_back(RampSample(i));
    return WriteTemp(name, MakeWave(1, kRate, 16, Samples16(v)));
}

class SoundMixer : public ::testing::Test {
protected:
    void SetUp() override { AudioOpenOffline(kRate); }
    void TearDown() override { ReleaseSound(); }

    std::vector<float> Render(int frames) {
        std::vector<float> out(size_t(frames) * 2, 0.5f);  // the mixer must overwrite
        AudioRender(out.data(), frames);
        return out;
    }
};

}  // namespace

TEST_F(SoundMixer, RestartCutsAPlayingSoundAndStartsAtItsFirstSample) {
    ASSERT_EQ(LoadWave(0, RampWave("ramp.wav", 1000).c_str()), 1);
    PlaySound(0, 1);
    std::vector<float> a = Render(100);
    EXPECT_EQ(a[0], RampSample(0) * kUnit);
    EXPECT_EQ(a[1], RampSample(0) * kUnit);
    EXPECT_EQ(a[198], RampSample(99) * kUnit);
    Render(100);  // now at frame 200
    PlaySound(0, 1);
    std::vector<float> b = Render(10);
    EXPECT_EQ(b[0], RampSample(0) * kUnit);
    EXPECT_EQ(b[18], RampSample(9) * kUnit);
}

TEST_F(SoundMixer, WithoutRestartAPlayingSoundGoesOnAndAFinishedOneStartsAgain) {
    ASSERT_EQ(LoadWave(0, RampWave("ramp.wav", 1000).c_str()), 1);
    PlaySound(0, 1);
    Render(300);
    PlaySound(0, 0);
    std::vector<float> b = Render(10);
    EXPECT_EQ(b[0], RampSample(300) * kUnit);
    // It plays once: the rest of it, then silence.
    std::vector<float> rest = Render(700);
    EXPECT_EQ(rest[2 * 689], RampSample(999) * kUnit);
    EXPECT_EQ(rest[2 * 690], 0.0f);
    EXPECT_EQ(Render(10)[0], 0.0f);
    // Played again without restart once it has finished: from the start.
    PlaySound(0, 0);
    EXPECT_EQ(Render(10)[0], RampSample(0) * kUnit);
}

TEST_F(SoundMixer, SlotsMixAndALoudSumIsLimitedBelowFullScale) {
    ASSERT_EQ(LoadWave(0, RampWave("ramp.wav", 100).c_str()), 1);
    ASSERT_EQ(LoadWave(1, WriteTemp("loud.wav", MakeWave(1, kRate, 16, Samples16(std::vector<int>(2000, 28000))))
                              .c_str()),
              1);
    PlaySound(0, 1);
    std::vector<float> one = Render(1);
    EXPECT_EQ(one[0], RampSample(0) * kUnit);
    // 28000 is under the ceiling, 28000 + the ramp soon over it: the sum is
    // held at the ceiling rather than clipped at full scale.
    PlaySound(1, 1);
    std::vector<float> loud = Render(10);
    EXPECT_EQ(loud[0], (28000 + RampSample(1)) * kUnit);  // the first ramp still sounds
    PlaySound(0, 1);
    std::vector<float> both = Render(2000);
    EXPECT_FLOAT_EQ(both[2 * 99], kMixCeiling);  // 28000 + 1600
    for (float v : both) ASSERT_LE(std::fabs(v), kMixCeiling);
    EXPECT_GT(AudioLimitedSamples(), 0u);
    // The gain comes back up; once it has, a quiet sound plays at its own level.
    Render(kRate * 2);
    PlaySound(0, 1);
    EXPECT_EQ(Render(1)[0], RampSample(0) * kUnit);
    // The same slot never overlaps itself: two restarts give one sound.
    PlaySound(0, 1);
    PlaySound(0, 1);
    EXPECT_EQ(Render(1)[0], RampSample(0) * kUnit);
}

TEST_F(SoundMixer, PlayerVolumesScaleEffectsAndMuteSilencesThem) {
    ASSERT_EQ(LoadWave(0, RampWave("ramp.wav", 100).c_str()), 1);
    AudioSetVolumes(100, 50, false);
    PlaySound(0, 1);
    EXPECT_FLOAT_EQ(Render(1)[0], RampSample(0) * kUnit * 0.25f);
    AudioSetVolumes(100, 100, true);
    PlaySound(0, 1);
    EXPECT_EQ(Render(1)[0], 0.0f);
    AudioSetVolumes(100, 100, false);
    PlaySound(0, 1);
    EXPECT_EQ(Render(1)[0], RampSample(0) * kUnit);
}

TEST_F(SoundMixer, EmptyAndOutOfRangeSlotsAndFailedLoadsAreSilent) {
    ASSERT_EQ(LoadWave(3, RampWave("ramp.wav", 100).c_str()), 1);
    for (int slot : {-1, 10, 11, 12, 1000}) PlaySound(slot, 1);
    EXPECT_EQ(Render(4), std::vector<float>(8, 0.0f));
    EXPECT_EQ(LoadWave(12, RampWave("ramp.wav", 100).c_str()), 0);
    EXPECT_EQ(LoadWave(-1, RampWave("ramp.wav", 100).c_str()), 0);
    EXPECT_EQ(LoadWave(4, TestData("wav/invalid/data_chunk_truncated.wav").c_str()), 0);
    EXPECT_EQ(LoadWave(4, TestData("wav/invalid/no_data_chunk.wav").c_str()), 0);
    EXPECT_EQ(LoadWave(4, "no/such/file.wav"), 0);
    // A failed load leaves the slot as it was.
    EXPECT_EQ(LoadWave(3, TestData("wav/pluck-pcm24-ext.wav").c_str()), 0);
    PlaySound(3, 1);
    EXPECT_EQ(Render(1)[0], RampSample(0) * kUnit);
    ReleaseSound();
    EXPECT_EQ(LoadWave(3, RampWave("ramp.wav", 100).c_str()), 0);  // no sound device any more
    PlaySound(3, 1);
}

TEST_F(SoundMixer, ThirdPartyFilesAreConvertedToTheMixerRate) {
    // coin.wav: 18069 frames of 8-bit mono at 22050 Hz become twice as many.
    ASSERT_EQ(LoadWave(5, TestData("wav/coin.wav").c_str()), 1);
    PlaySound(5, 1);
    std::vector<float> out = Render(2 * 18069 + 10);
    EXPECT_EQ(out[2 * (2 * 18069)], 0.0f);
    float peak = 0;
    for (float f : out) peak = std::max(peak, std::fabs(f));
    EXPECT_GT(peak, 0.1f);
}

TEST(SoundDevice, DummyDriverRunsTheMixerInRealTime) {
    EnvGuard driver("SDL_AUDIODRIVER", "dummy");
    ASSERT_EQ(InitSound(), 1);
    uint64_t start = AudioFramesRendered();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_GT(AudioFramesRendered(), start + 2048);
    // Playing from the game thread while the mixer runs.
    ASSERT_EQ(LoadWave(0, TestData("wav/sword.wav").c_str()), 1);
    for (int i = 0; i < 50; ++i) PlaySound(0, i & 1);
    ReleaseSound();
}

TEST(SoundDevice, NoDeviceLeavesTheGameSilentWithOneLine) {
    EnvGuard driver("SDL_AUDIODRIVER", "no-such-driver");
    SetMessageBoxesEnabled(false);
    ResetQuit();
    testing::internal::CaptureStderr();
    EXPECT_EQ(InitSound(), 0);
    EXPECT_EQ(InitMusic(), 1);
    EXPECT_EQ(LoadWave(0, TestData("wav/sword.wav").c_str()), 0);
    EXPECT_EQ(LoadMusic(TestData("midi/test-c-major-scale.mid").c_str(), 0), 1);
    PlaySound(0, 1);
    PlayMusic(0, 169);
    SetMusicVolume(0, -100);
    StopMusic();
    ReleaseSound();
    ReleaseMusic();
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(QuitRequested());
    EXPECT_NE(err.find("no audio device"), std::string::npos) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
}

TEST(SoundDevice, DiskDriverWritesTheSoundThatWasPlayed) {
    std::string raw = TempPath("disk.raw");
    std::remove(raw.c_str());
    EnvGuard driver("SDL_AUDIODRIVER", "disk");
    EnvGuard file("SDL_DISKAUDIOFILE", raw.c_str());
    ASSERT_EQ(InitSound(), 1);
    int rate = AudioRate();
    std::vector<int> v(2000, 0);
    for (int i = 0; i < 2000; ++i) v[size_t(i)] = RampSample(i);
    ASSERT_EQ(LoadWave(0, WriteTemp("ramp_device.wav", MakeWave(1, rate, 16, Samples16(v))).c_str()), 1);
    PlaySound(0, 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(250));
    ReleaseSound();
    // The file holds float stereo frames; the ramp appears in it whole.
    Bytes bytes = ReadAll(raw);
    std::vector<float> f(bytes.size() / sizeof(float));
    std::memcpy(f.data(), bytes.data(), f.size() * sizeof(float));
    size_t first = 0;
    while (first < f.size() && f[first] == 0.0f) ++first;
    ASSERT_LT(first + 2 * 2000, f.size());
    for (int i = 0; i < 2000; i += 250) {
        EXPECT_EQ(f[first + size_t(i) * 2], RampSample(i) * kUnit) << i;
        EXPECT_EQ(f[first + size_t(i) * 2 + 1], RampSample(i) * kUnit) << i;
    }
}

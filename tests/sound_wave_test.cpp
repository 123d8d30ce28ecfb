#include <gtest/gtest.h>
#include <fstream>
#include <map>
#include <sstream>

#include "formats/wave_file.h"
#include "sound_test_files.h"

using namespace soundtest;

namespace {
// Data sizes SDL found in the third-party files, from expectations.tsv.
std::map<std::string, uint32_t> SdlDataSizes() {
    std::map<std::string, uint32_t> sizes;
    std::ifstream f(TestData("expectations.tsv"));
    std::string line;
    while (std::getline(f, line)) {
        if (line.rfind("wav/", 0) != 0) continue;
        std::string file = line.substr(0, line.find('\t'));
        size_t at = line.find("bytes=");
        if (at != std::string::npos) sizes[file] = uint32_t(std::stoul(line.substr(at + 6)));
    }
    return sizes;
}

WaveError Read(const Bytes& b, WaveInfo* info) { return ReadWaveHeader(b.data(), b.size(), info); }

std::vector<int> Converted(const Bytes& file, const WaveInfo& info, int rate, WaveError* e = nullptr) {
    std::vector<int16_t> out;
    WaveError r = ConvertWave(file.data(), info, rate, &out);
    if (e) *e = r;
    return std::vector<int>(out.begin(), out.end());
}
}  // namespace

TEST(SoundWave, ThirdPartyPcmFilesLoadWithTheirSampleData) {
    auto sdl = SdlDataSizes();
    // 8/16-bit PCM in one or two channels, with LIST, fact-less, odd sizes,
    // missing pad bytes, a wrong RIFF size and the extensible header.
    const char* files[] = {"wav/pluck-pcm8.wav", "wav/pluck-pcm16.wav", "wav/coin.wav",  "wav/boom.wav",
                           "wav/spring.wav",     "wav/sword.wav",       "wav/pop.wav",
                           "wav/pcmwaveformat-16bit-44100Hz-mono-extra.wav",
                           "wav/waveformatex-8bit-11025Hz-mono.wav"};
    for (const char* name : files) {
        SCOPED_TRACE(name);
        Bytes b = ReadAll(TestData(name));
        WaveInfo info;
        ASSERT_EQ(Read(b, &info), WaveOk);
        ASSERT_TRUE(sdl.count(name));
        EXPECT_EQ(info.dataSize, sdl[name]);
        WaveError e;
        std::vector<int> s = Converted(b, info, info.sampleRate, &e);
        EXPECT_EQ(e, WaveOk);
        EXPECT_EQ(s.size(), size_t(info.dataSize / uint32_t(info.blockAlign)) * 2);
    }
}

TEST(SoundWave, FirstSamplesMatchThePublishedValues) {
    // Values listed by the files' own upstream tests; converted at the
    // file's own rate the samples come out unchanged (8-bit scaled by 256).
    struct Case {
        const char* file;
        std::vector<int> firstStereo;
    } cases[] = {
        {"wav/pluck-pcm16.wav", {558, -22, 19292, 249, 12564, 1263, -32548, 2115}},
        {"wav/pluck-pcm8.wav", {(130 - 128) * 256, (127 - 128) * 256, (203 - 128) * 256, 0, (177 - 128) * 256,
                                (132 - 128) * 256, (0 - 128) * 256, (136 - 128) * 256}},
        {"wav/pop.wav", {0, 0, 2052, 2052, 4097, 4097, 6126, 6126}},
        {"wav/pcmwaveformat-16bit-44100Hz-mono-extra.wav", {2, 2, -3, -3, 5, 5, -7, -7}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        Bytes b = ReadAll(TestData(c.file));
        WaveInfo info;
        ASSERT_EQ(Read(b, &info), WaveOk);
        std::vector<int> s = Converted(b, info, info.sampleRate);
        ASSERT_GE(s.size(), c.firstStereo.size());
        EXPECT_EQ(std::vector<int>(s.begin(), s.begin() + long(c.firstStereo.size())), c.firstStereo);
    }
}

TEST(SoundWave, RejectsInvalidAndUnplayableFiles) {
    struct Case {
        const char* file;
        WaveError expected;
    } cases[] = {
        {"wav/invalid/empty.wav", WaveNotRiffWave},
        {"wav/invalid/incomplete_riff_header.wav", WaveNotRiffWave},
        {"wav/invalid/bad_wavefile_format.wav", WaveNotRiffWave},
        {"wav/invalid/format_chunk_after_data_chunk.wav", WaveNotRiffWave},
        {"wav/invalid/no_data_chunk.wav", WaveNoData},
        {"wav/invalid/data_chunk_truncated.wav", WaveDataPastEnd},
        {"wav/pluck-pcm24-ext.wav", WaveUnsupported},
        {"wav/nonstandard-01.wav", WaveNotRiffWave},  // JUNK where the format belongs
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        Bytes b = ReadAll(TestData(c.file));
        WaveInfo info;
        EXPECT_EQ(Read(b, &info), c.expected);
    }
}

TEST(SoundWave, ScanStopsAtTheFirstTaPair) {
    Bytes samples = Samples16({100, -100, 200, -200});
    // A chunk before "data" is stepped over when it holds no 't' then 'a'.
    Bytes clean;
    PutId(clean, "LIST");
    Put32(clean, 4);
    PutId(clean, "INFO");
    WaveInfo info;
    Bytes ok = MakeWave(1, 8000, 16, samples, clean);
    ASSERT_EQ(Read(ok, &info), WaveOk);
    EXPECT_EQ(info.dataSize, 8u);
    EXPECT_EQ(Converted(ok, info, 8000), (std::vector<int>{100, 100, -100, -100, 200, 200, -200, -200}));

    // One that does is mistaken for the data chunk: the 4 bytes after its
    // "ta" are read as the size. Here they say 2 bytes, which are the "xy"
    // that follow, so the sound is the single frame 'x' | 'y' << 8.
    Bytes trap;
    PutId(trap, "note");
    Put32(trap, 8);
    trap.insert(trap.end(), {'t', 'a', 2, 0, 0, 0, 'x', 'y'});
    Bytes misread = MakeWave(1, 8000, 16, samples, trap);
    ASSERT_EQ(Read(misread, &info), WaveTooShort);  // 2 bytes: less than the 4 a buffer needs
    trap[8 + 2] = 4;
    trap.insert(trap.end() - 2, {'z', 'w'});
    trap[4] = 10;
    misread = MakeWave(1, 8000, 16, samples, trap);
    ASSERT_EQ(Read(misread, &info), WaveOk);
    EXPECT_EQ(Converted(misread, info, 8000), (std::vector<int>{'z' | 'w' << 8, 'z' | 'w' << 8, 'x' | 'y' << 8, 'x' | 'y' << 8}));
}

TEST(SoundWave, EveryTruncationFailsWithoutReadingPastTheEnd) {
    Bytes full = ReadAll(TestData("wav/spring.wav"));
    WaveInfo info;
    ASSERT_EQ(Read(full, &info), WaveOk);
    // A copy of exactly each prefix length, so a sanitizer build catches any
    // read past it.
    for (size_t n = 0; n < full.size(); n += (n < 64 ? 1 : 997)) {
        Bytes cut(full.begin(), full.begin() + long(n));
        EXPECT_NE(Read(cut, &info), WaveOk) << n;
    }
}

TEST(SoundWave, FormatLimits) {
    Bytes s = Samples16({1, 2, 3, 4, 5, 6});
    WaveInfo info;
    EXPECT_EQ(Read(MakeWave(3, 8000, 16, Samples16({1, 2, 3, 4, 5, 6})), &info), WaveUnsupported);
    EXPECT_EQ(Read(MakeWave(1, 8000, 24, Bytes(6, 0)), &info), WaveUnsupported);
    EXPECT_EQ(Read(MakeWave(1, 8000, 16, Bytes(2, 0)), &info), WaveTooShort);
    EXPECT_EQ(Read(MakeWave(1, 50, 16, s), &info), WaveUnsupported);
    Bytes floatTag = MakeWave(1, 8000, 16, s);
    floatTag[20] = 3;  // IEEE float
    EXPECT_EQ(Read(floatTag, &info), WaveUnsupported);
    Bytes badAlign = MakeWave(2, 8000, 16, s);
    badAlign[32] = 2;  // block align of one 16-bit channel in a stereo file
    EXPECT_EQ(Read(badAlign, &info), WaveUnsupported);
    // An odd byte at the end of 16-bit data is a partial frame and dropped.
    Bytes odd = s;
    odd.push_back(0x7F);
    Bytes oddFile = MakeWave(1, 8000, 16, odd);
    ASSERT_EQ(Read(oddFile, &info), WaveOk);
    EXPECT_EQ(Converted(oddFile, info, 8000).size(), 12u);
}

TEST(SoundWave, RateConversionInterpolatesAndCoversEveryInputFrame) {
    // 8-bit mono at a quarter of the output rate: each input step is split
    // into four, exactly on the line between neighbours.
    Bytes b = MakeWave(1, 11025, 8, Bytes{128, 132, 124, 124});
    WaveInfo info;
    ASSERT_EQ(Read(b, &info), WaveOk);
    std::vector<int> s = Converted(b, info, 44100);
    std::vector<int> left;
    for (size_t i = 0; i < s.size(); i += 2) {
        EXPECT_EQ(s[i], s[i + 1]);
        left.push_back(s[i]);
    }
    // The last frame is held: there is nothing after it to move towards.
    EXPECT_EQ(left, (std::vector<int>{0, 256, 512, 768, 1024, 512, 0, -512, -1024, -1024, -1024, -1024, -1024, -1024,
                                      -1024, -1024}));

    // Stereo sides stay apart; 48000 -> 44100 gives ceil(n * 44100 / 48000) frames.
    std::vector<int> v;
    for (int i = 0; i < 480; ++i) {
        v.push_back(i * 10);
        v.push_back(-i * 10);
    }
    Bytes f48 = MakeWave(2, 48000, 16, Samples16(v));
    ASSERT_EQ(Read(f48, &info), WaveOk);
    s = Converted(f48, info, 44100);
    ASSERT_EQ(s.size(), 441u * 2);
    for (size_t j = 0; j < 441; ++j) {
        EXPECT_EQ(s[j * 2], -s[j * 2 + 1]);
        // Output frame j sits at input position j * 48000 / 44100.
        EXPECT_NEAR(s[j * 2], double(j) * 48000.0 / 44100.0 * 10.0, 1.0) << j;
    }
}

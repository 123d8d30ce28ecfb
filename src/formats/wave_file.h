// Wave files for the sound bank: the header reader and the one-time conversion
// to the mixer's own format. Pure code on a file image in memory.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

struct WaveInfo {
    int formatTag;      // 1 = PCM, 0xFFFE = extensible with a PCM sub-format
    int channels;       // 1 or 2
    int sampleRate;     // frames per second
    int blockAlign;     // bytes per frame
    int bitsPerSample;  // 8 (unsigned) or 16 (signed little-endian)
    size_t dataOffset;  // first sample byte in the file image
    uint32_t dataSize;  // bytes of sample data, as the file states it
};

enum WaveError {
    WaveOk = 0,
    WaveNotRiffWave,    // no "RIFF....WAVE" with "fmt " at offset 12
    WaveNoData,         // the scan for the "ta" of "data" ran off the end
    WaveDataPastEnd,    // the data size runs past the end of the file
    WaveUnsupported,    // not 8/16-bit PCM in one or two channels
    WaveTooShort,       // fewer than 4 data bytes or no whole frame
    WaveTooLong,        // longer than the mixer holds in one sound
};

// Reads the format and finds the sample data the way our wave loader always
// has: the format fields at their fixed offsets 20..35, then a byte scan from
// offset 36 for 't' followed by 'a' (the end of the "data" chunk id), then the
// 4-byte data size. Every read is bounded by `size`.
WaveError ReadWaveHeader(const uint8_t* file, size_t size, WaveInfo* info);

// Longest sound the mixer keeps, in seconds of output.
constexpr int kMaxSoundSeconds = 600;

// Converts the sample data to interleaved signed 16-bit stereo at `rate`
// frames per second (linear interpolation when the rates differ, mono copied
// to both sides). A trailing partial frame is dropped.
WaveError ConvertWave(const uint8_t* file, const WaveInfo& info, int rate, std::vector<int16_t>* stereo);

const char* WaveErrorText(WaveError e);

// The wave reader on arbitrary bytes, then the conversion to the mixer's
// format at a rate taken from the input: the sample data found lies inside
// the file, and converting at the file's own rate copies it unchanged.
// fuzz-sources: src/formats/wave_file.cpp
// fuzz-args: -max_len=4096
#include <cstdlib>
#include <vector>

#include "formats/wave_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    WaveInfo info;
    if (ReadWaveHeader(data, size, &info) != WaveOk) return 0;
    if (info.dataOffset > size || info.dataSize > size - info.dataOffset) std::abort();
    std::vector<int16_t> out;
    if (ConvertWave(data, info, info.sampleRate, &out) != WaveOk) std::abort();
    const size_t frames = info.dataSize / uint32_t(info.blockAlign);
    if (out.size() != frames * 2) std::abort();
    if (info.bitsPerSample == 16) {
        const uint8_t* p = data + info.dataOffset;
        int16_t first = int16_t(p[0] | (p[1] << 8));
        if (out[0] != first) std::abort();
    }
    static const int kRates[] = {8000, 11025, 22050, 44100, 48000, 96000};
    const int rate = kRates[data[size - 1] % 6];
    if (ConvertWave(data, info, rate, &out) != WaveOk) std::abort();
    const uint64_t want = (uint64_t(frames) * uint64_t(rate) + uint64_t(info.sampleRate) - 1) / uint64_t(info.sampleRate);
    if (out.size() != want * 2) std::abort();
    return 0;
}

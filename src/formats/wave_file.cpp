#include "formats/wave_file.h"

#include <cstring>

namespace {
uint16_t Le16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
uint32_t Le32(const uint8_t* p) { return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24); }

constexpr size_t kFormatOffset = 20;
constexpr size_t kScanStart = 36;
// The buffer the sound card layer accepted had to hold at least 4 bytes.
constexpr uint32_t kMinDataBytes = 4;

// KSDATAFORMAT_SUBTYPE_PCM, the sub-format GUID of an extensible PCM header.
constexpr uint8_t kPcmSubFormat[16] = {0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00,
                                       0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

int Sample16(const uint8_t* p, int bits) {
    if (bits == 8) return (int(p[0]) - 128) * 256;
    return int16_t(Le16(p));
}
}  // namespace

WaveError ReadWaveHeader(const uint8_t* file, size_t size, WaveInfo* info) {
    *info = WaveInfo{};
    if (size < kScanStart) return WaveNotRiffWave;
    // The chunk ids are checked although the fields are read at fixed
    // offsets: anything else at offset 20 would not be a format.
    if (std::memcmp(file, "RIFF", 4) != 0 || std::memcmp(file + 8, "WAVE", 4) != 0 ||
        std::memcmp(file + 12, "fmt ", 4) != 0)
        return WaveNotRiffWave;
    const uint8_t* f = file + kFormatOffset;
    info->formatTag = Le16(f);
    info->channels = Le16(f + 2);
    info->sampleRate = int(Le32(f + 4) > 0x7FFFFFFF ? 0 : Le32(f + 4));
    info->blockAlign = Le16(f + 12);
    info->bitsPerSample = Le16(f + 14);

    // Scan single bytes from offset 36 for 't' then 'a'. Other chunks before
    // "data" are stepped over this way as long as they hold no such pair.
    size_t ta = 0;
    for (size_t i = kScanStart + 1; i < size; ++i) {
        if (file[i - 1] == 't' && file[i] == 'a') {
            ta = i;
            break;
        }
    }
    if (ta == 0 || size - (ta + 1) < 4) return WaveNoData;
    info->dataSize = Le32(file + ta + 1);
    info->dataOffset = ta + 5;
    if (info->dataSize > size - info->dataOffset) return WaveDataPastEnd;

    bool pcm = info->formatTag == 1;
    if (info->formatTag == 0xFFFE) {
        // Extensible header: cbSize at 36, the sub-format GUID at 44..59, all
        // inside a "fmt " chunk of at least 40 bytes.
        uint32_t fmtSize = Le32(file + 16);
        pcm = fmtSize >= 40 && size >= 60 && std::memcmp(file + 44, kPcmSubFormat, 16) == 0;
    }
    if (!pcm) return WaveUnsupported;
    if (info->channels < 1 || info->channels > 2) return WaveUnsupported;
    if (info->bitsPerSample != 8 && info->bitsPerSample != 16) return WaveUnsupported;
    if (info->blockAlign != info->channels * info->bitsPerSample / 8) return WaveUnsupported;
    if (info->sampleRate < 100 || info->sampleRate > 200000) return WaveUnsupported;
    if (info->dataSize < kMinDataBytes || info->dataSize < uint32_t(info->blockAlign)) return WaveTooShort;
    return WaveOk;
}

WaveError ConvertWave(const uint8_t* file, const WaveInfo& info, int rate, std::vector<int16_t>* stereo) {
    stereo->clear();
    if (rate <= 0) return WaveUnsupported;
    const uint8_t* data = file + info.dataOffset;
    const uint64_t srcFrames = info.dataSize / uint32_t(info.blockAlign);
    if (srcFrames == 0) return WaveTooShort;
    const uint64_t src = uint64_t(info.sampleRate), dst = uint64_t(rate);
    // Enough output frames to cover every input frame (ceiling).
    const uint64_t outFrames = (srcFrames * dst + src - 1) / src;
    if (outFrames > uint64_t(kMaxSoundSeconds) * dst) return WaveTooLong;
    stereo->resize(size_t(outFrames) * 2);

    const int bytesPerSample = info.bitsPerSample / 8;
    auto at = [&](uint64_t frame, int side) {
        int ch = info.channels == 2 ? side : 0;
        return Sample16(data + frame * uint64_t(info.blockAlign) + uint64_t(ch * bytesPerSample), info.bitsPerSample);
    };
    // Source position in 32.32 fixed point; exact copies when the rates match.
    const uint64_t step = (src << 32) / dst;
    uint64_t pos = 0;
    int16_t* out = stereo->data();
    for (uint64_t j = 0; j < outFrames; ++j, pos += step) {
        uint64_t i = pos >> 32;
        if (i >= srcFrames) i = srcFrames - 1;
        int64_t frac = int64_t(pos & 0xFFFFFFFFu);
        uint64_t next = i + 1 < srcFrames ? i + 1 : i;
        for (int side = 0; side < 2; ++side) {
            int64_t a = at(i, side), b = at(next, side);
            // Rounded to nearest, halves away from zero, so that a sound
            // and its negation convert to exact negations.
            int64_t v = (b - a) * frac;
            int64_t delta = v >= 0 ? (v + 0x80000000LL) >> 32 : -((-v + 0x80000000LL) >> 32);
            out[j * 2 + uint64_t(side)] = int16_t(a + delta);
        }
    }
    return WaveOk;
}

const char* WaveErrorText(WaveError e) {
    switch (e) {
    case WaveOk: return "ok";
    case WaveNotRiffWave: return "not a RIFF WAVE file with its format chunk first";
    case WaveNoData: return "no data chunk";
    case WaveDataPastEnd: return "data size runs past the end of the file";
    case WaveUnsupported: return "not 8- or 16-bit PCM in one or two channels";
    case WaveTooShort: return "too little sample data";
    case WaveTooLong: return "sound too long";
    }
    return "unknown";
}

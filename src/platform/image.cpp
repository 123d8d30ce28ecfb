// PNG and BMP decoding through stb_image, with the chunk checksums of PNG
// files verified first (stb_image skips them).
#include "platform/image.h"

#include <zlib.h>

#include <cstring>
#include <vector>

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_ONLY_BMP
#define STBI_NO_STDIO
#define STBI_NO_HDR
#define STBI_NO_LINEAR
#define STBI_MAX_DIMENSIONS kMaxImageSide
#include <stb_image.h>

namespace {

// Per thread: the game decodes on more than one (see graphics/image_prefetch.h).
thread_local const char* g_error = "";

const uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

uint32_t BigEndian32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 |
           static_cast<uint32_t>(p[2]) << 8 | p[3];
}

// Walks the chunks up to IEND; a critical chunk (upper-case first letter)
// with a wrong checksum refuses the file, as a damaged ancillary one would
// merely be skipped by a careful reader.
bool PngChunksIntact(const uint8_t* bytes, int size) {
    int pos = 8;
    while (pos + 12 <= size) {
        uint32_t length = BigEndian32(bytes + pos);
        if (length > static_cast<uint32_t>(size - pos - 12)) return true;  // truncated: the decoder decides
        const uint8_t* type = bytes + pos + 4;
        uint32_t stored = BigEndian32(type + 4 + length);
        uLong crc = crc32(0L, type, 4 + length);
        bool critical = (type[0] & 0x20) == 0;
        if (critical && crc != stored) return false;
        if (std::memcmp(type, "IEND", 4) == 0) return true;
        pos += 12 + static_cast<int>(length);
    }
    return true;
}

uint32_t LittleEndian32(const uint8_t* p) {
    return static_cast<uint32_t>(p[3]) << 24 | static_cast<uint32_t>(p[2]) << 16 |
           static_cast<uint32_t>(p[1]) << 8 | p[0];
}

// A 16, 24 or 32-bit BMP may carry an optional palette (or other bytes)
// between its header and its pixels. The decoder insists that the pixels
// follow the header directly, so such a file is rebuilt without the gap.
// Returns false when nothing needs to change.
bool CloseBmpGap(const uint8_t* bytes, int size, std::vector<uint8_t>* out) {
    if (size < 30) return false;
    uint32_t offset = LittleEndian32(bytes + 10);
    uint32_t hsz = LittleEndian32(bytes + 14);
    uint32_t consumed;
    int bpp;
    if (hsz == 12) {
        bpp = bytes[24] | bytes[25] << 8;
        if (bpp < 24) return false;
        consumed = 26;
    } else if (hsz == 40 || hsz == 56 || hsz == 108 || hsz == 124) {
        if (size < 34) return false;
        bpp = bytes[28] | bytes[29] << 8;
        if (bpp < 16) return false;
        uint32_t compress = LittleEndian32(bytes + 30);
        consumed = 14 + hsz;
        if ((hsz == 40 || hsz == 56) && (bpp == 16 || bpp == 32) && compress == 3) consumed += 12;
    } else {
        return false;
    }
    // Up to a full 256-entry palette may sit in the gap; more is a damaged file.
    if (offset <= consumed || offset - consumed > 1024 || offset > static_cast<uint32_t>(size)) {
        return false;
    }
    out->assign(bytes, bytes + consumed);
    out->insert(out->end(), bytes + offset, bytes + size);
    std::memcpy(out->data() + 10, &consumed, 4);  // little-endian host
    return true;
}

}  // namespace

bool DecodeImage(const uint8_t* bytes, int size, int* w, int* h, uint8_t** rgba) {
    *rgba = nullptr;
    *w = *h = 0;
    g_error = "";
    if (bytes == nullptr || size < 8) {
        g_error = "not an image";
        return false;
    }
    bool png = std::memcmp(bytes, kPngSignature, 8) == 0;
    bool bmp = bytes[0] == 'B' && bytes[1] == 'M';
    if (!png && !bmp) {
        g_error = "neither PNG nor BMP";
        return false;
    }
    if (png && !PngChunksIntact(bytes, size)) {
        g_error = "PNG chunk checksum wrong";
        return false;
    }
    std::vector<uint8_t> closed;
    if (bmp && CloseBmpGap(bytes, size, &closed)) {
        bytes = closed.data();
        size = static_cast<int>(closed.size());
    }
    int comp = 0;
    stbi_uc* pixels = stbi_load_from_memory(bytes, size, w, h, &comp, 4);
    if (pixels == nullptr) {
        g_error = stbi_failure_reason();
        *w = *h = 0;
        return false;
    }
    if (*w <= 0 || *h <= 0 || *w > kMaxImageSide || *h > kMaxImageSide) {
        stbi_image_free(pixels);
        *w = *h = 0;
        g_error = "image too large";
        return false;
    }
    *rgba = pixels;
    return true;
}

void FreeImage(uint8_t* rgba) {
    if (rgba) stbi_image_free(rgba);
}

const char* ImageError() { return g_error ? g_error : "unknown"; }

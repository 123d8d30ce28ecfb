// A 64-bit digest (FNV-1a) for telling whether two runs of the game, or two
// copies of a file, hold the same bytes. Not for security: only for noticing
// a difference.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>

struct Digest {
    uint64_t value = 14695981039346656037ull;

    void Bytes(const void* data, size_t size) {
        const uint8_t* p = static_cast<const uint8_t*>(data);
        for (size_t i = 0; i < size; ++i) {
            value ^= p[i];
            value *= 1099511628211ull;
        }
    }
    void Int(int32_t v) { Bytes(&v, sizeof v); }
    // Floats by their bits: -0 and 0 differ, as a run that differs should.
    void Float(float v) {
        uint32_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        Bytes(&bits, sizeof bits);
    }
};

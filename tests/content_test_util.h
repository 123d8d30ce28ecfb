// Helpers of the game-data tests: they read what the build generated under
// build/data (the gamedata target), never the sources.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

inline std::string DataPath(const std::string& rel) { return std::string(ZORBAT_BINARY_DIR) + "/" + rel; }

inline bool ReadWholeFile(const std::string& path, std::vector<uint8_t>* out) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    out->clear();
    uint8_t buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out->insert(out->end(), buf, buf + n);
    std::fclose(f);
    return true;
}

// Fails the test (never skips it) when the generated data is not there.
#define REQUIRE_DATA_FILE(rel)                                                                      \
    do {                                                                                           \
        std::FILE* probe_ = std::fopen(DataPath(rel).c_str(), "rb");                               \
        ASSERT_NE(probe_, nullptr) << DataPath(rel) << " is missing: build the gamedata target"; \
        std::fclose(probe_);                                                                       \
    } while (0)

inline uint32_t Le32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24; }
inline uint16_t Le16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
inline uint32_t Be32(const uint8_t* p) { return uint32_t(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3]; }
inline uint16_t Be16(const uint8_t* p) { return uint16_t(p[0] << 8 | p[1]); }

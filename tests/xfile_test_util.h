// Helpers shared by the .x reader tests.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "formats/xfile.h"

inline std::string XFilePath(const std::string& name) {
    return std::string(ZORBAT_TESTDATA_DIR) + "/xfiles/" + name;
}

inline std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::vector<uint8_t> bytes;
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        uint8_t buf[65536];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) bytes.insert(bytes.end(), buf, buf + n);
        std::fclose(f);
    }
    return bytes;
}

inline bool LoadBytes(const std::vector<uint8_t>& bytes, XMeshData* out, std::string* error) {
    return LoadXMesh(bytes.data(), bytes.size(), out, error);
}

inline bool LoadText(const std::string& text, XMeshData* out, std::string* error) {
    return LoadXMesh(reinterpret_cast<const uint8_t*>(text.data()), text.size(), out, error);
}

// The .x files of the third-party test data that must load, and those that must not.
inline const std::vector<std::string>& ValidXFiles() {
    static const std::vector<std::string> files = {
        "test.x",          "test_cube_text.x", "test_cube_binary.x", "test_cube_compressed.x",
        "fromtruespace_bin32.x", "kwxport_test_cubewithvcolors.x", "anim_test.x",
        "BCN_Epileptic.X", "Testwuson.X"};
    return files;
}

inline const std::vector<std::string>& InvalidXFiles() {
    static const std::vector<std::string> files = {
        "invalid/empty.x", "invalid/OV_GetNextToken.x", "invalid/malformed_skinweights_oob.x"};
    return files;
}

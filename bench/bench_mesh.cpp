// Mesh load time: the .x reader on mid-size files from the shared test data
// (parse, split, fan and sort; no GPU upload), from bytes already in memory.
#include <benchmark/benchmark.h>
#include <cstdio>
#include <string>
#include <vector>

#include "formats/xfile.h"

namespace {

std::vector<uint8_t> ReadTestFile(const char* name) {
    std::string path = std::string(ZORBAT_TESTDATA_DIR) + "/xfiles/" + name;
    std::vector<uint8_t> bytes;
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        uint8_t buf[65536];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) bytes.insert(bytes.end(), buf, buf + n);
        std::fclose(f);
    }
    return bytes;
}

void MeshLoad(benchmark::State& state, const char* name) {
    std::vector<uint8_t> bytes = ReadTestFile(name);
    if (bytes.empty()) {
        state.SkipWithError("test file not found");
        return;
    }
    XMeshData mesh;
    std::string error;
    for (auto _ : state) {
        if (!LoadXMesh(bytes.data(), bytes.size(), &mesh, &error)) {
            state.SkipWithError(error.c_str());
            return;
        }
        benchmark::DoNotOptimize(mesh.vertices.data());
    }
    state.counters["faces"] = double(mesh.attributes.size());
    state.counters["vertices"] = double(mesh.vertices.size());
}

}  // namespace

// Binary, 372 KB, 6656 triangles in one frame.
BENCHMARK_CAPTURE(MeshLoad, binary_6656_faces, "fromtruespace_bin32.x")->Unit(benchmark::kMillisecond);
// Text, 700 KB, three meshes under 57 frames, plus skin and animation data to step over.
BENCHMARK_CAPTURE(MeshLoad, text_5126_faces, "BCN_Epileptic.X")->Unit(benchmark::kMillisecond);
// Compressed binary cube: the inflate path.
BENCHMARK_CAPTURE(MeshLoad, compressed_cube, "test_cube_compressed.x")->Unit(benchmark::kMicrosecond);

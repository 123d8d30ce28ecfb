// Mesh load time: the .x reader on mid-size files from the shared test data
// (parse, split, fan and sort; no GPU upload), from bytes already in memory.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "formats/xfile.h"
#include "tests/xfile_writer.h"

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

// A crafted binary file of `faces` triangles on three vertices, every corner
// with a normal of its own: every corner makes a vertex copy.
std::vector<uint8_t> SplitEveryCorner(uint32_t faces) {
    XBinaryWriter w(false);
    w.Begin("Mesh", nullptr);
    w.Ints({3});
    w.Floats({0, 0, 0, 1, 0, 0, 0, 1, 0});
    std::vector<uint32_t> list{faces}, normalList{faces};
    std::vector<float> normals;
    for (uint32_t f = 0; f < faces; ++f) {
        list.insert(list.end(), {3, 0, 1, 2});
        normalList.insert(normalList.end(), {3, 3 * f, 3 * f + 1, 3 * f + 2});
        for (uint32_t k = 0; k < 3; ++k) {
            const float a = float(3 * f + k) * 0.618034f;
            normals.insert(normals.end(), {std::cos(a), std::sin(a), 0.0f});
        }
    }
    w.Ints(list);
    w.Begin("MeshNormals", nullptr);
    w.Ints({3 * faces});
    w.Floats(normals);
    w.Ints(normalList);
    w.End();
    w.End();
    return w.Bytes();
}

void MeshLoadSplit(benchmark::State& state) {
    const std::vector<uint8_t> bytes = SplitEveryCorner(480000);
    XMeshData mesh;
    std::string error;
    for (auto _ : state) {
        if (!LoadXMesh(bytes.data(), bytes.size(), &mesh, &error)) return state.SkipWithError(error.c_str());
        benchmark::DoNotOptimize(mesh.vertices.data());
    }
    state.counters["vertices"] = double(mesh.vertices.size());
}

}  // namespace

// 32 MB, 480,000 triangles on three vertices split at every corner (1,440,000
// vertices): the crafted file that once took minutes.
BENCHMARK(MeshLoadSplit)->Name("MeshLoad/split_480000_faces")->Unit(benchmark::kMillisecond)->Iterations(2);
// Binary, 372 KB, 6656 triangles in one frame.
BENCHMARK_CAPTURE(MeshLoad, binary_6656_faces, "fromtruespace_bin32.x")->Unit(benchmark::kMillisecond);
// Text, 700 KB, three meshes under 57 frames, plus skin and animation data to step over.
BENCHMARK_CAPTURE(MeshLoad, text_5126_faces, "BCN_Epileptic.X")->Unit(benchmark::kMillisecond);
// Compressed binary cube: the inflate path.
BENCHMARK_CAPTURE(MeshLoad, compressed_cube, "test_cube_compressed.x")->Unit(benchmark::kMicrosecond);

// libFuzzer target for the .x mesh reader: any bytes must give either a
// refusal with a reason or a mesh whose indices, subsets and materials are
// consistent; never a crash, a hang or an out-of-bounds access.
// fuzz-sources: src/formats/xfile.cpp src/formats/xfile_lexer.cpp src/formats/xfile_mesh.cpp
// fuzz-sources: src/formats/xfile_reader.cpp src/formats/xfile_objects.cpp
// fuzz-sources: src/formats/mszip.cpp src/core/math3d.cpp
// fuzz-libs: z
// fuzz-args: -max_len=16384 -dict=fuzz/xfile.dict
#include <cstdint>
#include <cstdlib>
#include <string>

#include "formats/xfile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    XMeshData mesh;
    std::string error;
    if (!LoadXMesh(data, size, &mesh, &error)) {
        if (error.empty() || !mesh.vertices.empty()) std::abort();
        return 0;
    }
    size_t faces = mesh.attributes.size();
    if (mesh.materials.empty() || mesh.indices.size() != faces * 3) std::abort();
    for (uint32_t i : mesh.indices)
        if (i >= mesh.vertices.size()) std::abort();
    for (size_t f = 1; f < faces; ++f)
        if (mesh.attributes[f] < mesh.attributes[f - 1]) std::abort();
    if (mesh.subsetFirst.size() != mesh.materials.size() ||
        mesh.subsetCount.size() != mesh.materials.size())
        std::abort();
    for (size_t s = 0; s < mesh.materials.size(); ++s) {
        uint32_t first = mesh.subsetFirst[s], count = mesh.subsetCount[s];
        if (first % 3 || count % 3 || first + count > mesh.indices.size()) std::abort();
        for (uint32_t k = first; k < first + count; k += 3)
            if (mesh.attributes[k / 3] != s) std::abort();
    }
    return 0;
}

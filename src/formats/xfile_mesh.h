// One mesh as the file states it, before assembly. Internal to the .x reader.
#pragma once
#include <cstdint>
#include <vector>

#include "core/math3d.h"
#include "formats/xfile.h"

namespace xfile {

struct RawMesh {
    std::vector<Vec3> positions;
    std::vector<uint32_t> faceStart;  // polygon f uses corners faceStart[f] .. faceStart[f+1]-1
    std::vector<uint32_t> corners;    // vertex index of every polygon corner
    bool hasNormals = false;
    std::vector<Vec3> normals;             // unit length (zero stays zero)
    std::vector<uint32_t> cornerNormals;   // normal index of every corner
    bool hasTexCoords = false;
    std::vector<float> texCoords;  // u, v per vertex
    bool hasColours = false;
    std::vector<uint32_t> colours;  // ARGB per vertex
    bool hasMaterials = false;
    std::vector<XMaterial> materials;
    std::vector<uint32_t> faceMaterials;  // per polygon

    uint32_t FaceCount() const { return uint32_t(faceStart.empty() ? 0 : faceStart.size() - 1); }
};

// Appends one mesh, placed by `transform`, to the concatenation in *out:
// vertices split where a vertex has different normals in different faces,
// polygons fanned (v0, vi, vi+1), faces sorted by material, material numbers
// offset past the materials already there. False (with *error) when the
// result would exceed the size limits.
bool AppendMesh(const RawMesh& mesh, const Matrix& transform, XMeshData* out, std::string* error);

// Supplies the default material when the file has none and works out the
// subset ranges.
void FinishMesh(XMeshData* out);

}  // namespace xfile

// Reader for DirectX .x mesh files (text, binary and their MSZip-compressed
// forms), giving what the classic loader gives for a whole file: every mesh of
// every frame, frame transforms applied, concatenated into one mesh whose
// faces are sorted into one subset per material. Pure code: no GL, no SDL,
// so it can be fuzzed and used by tools.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/render.h"

struct XMaterial {
    Material material;
    std::string textureFile;  // as stored in the file; empty when none
};

struct XMeshData {
    std::vector<MeshVertex> vertices;
    std::vector<uint32_t> indices;     // triangle list, faces in attribute order
    std::vector<uint32_t> attributes;  // material (subset) number of each face
    std::vector<XMaterial> materials;  // never empty after a successful load
    // Index range of subset i (faces whose attribute is i). Faces whose
    // attribute has no material are in no subset and are never drawn.
    std::vector<uint32_t> subsetFirst, subsetCount;
    uint32_t meshCount = 0;         // meshes concatenated (instances included)
    bool hasNormals = false;        // some mesh carried MeshNormals
    bool hasTexCoords = false;      // some mesh carried MeshTextureCoords
    bool hasVertexColours = false;  // some mesh carried MeshVertexColors
    bool defaultMaterial = false;   // the file has no material; one was supplied
};

// Files (and their decompressed bodies) above this size are refused.
constexpr size_t kXFileMaxBytes = 32u << 20;
// Meshes above this many vertices or faces after assembly are refused.
constexpr size_t kXMeshMaxVertices = 4u << 20;
constexpr size_t kXMeshMaxFaces = 4u << 20;

// Parses a whole .x file held in memory. On failure returns false with a
// one-line reason in *error (saying where, when it can) and leaves *out empty.
bool LoadXMesh(const uint8_t* bytes, size_t size, XMeshData* out, std::string* error);

// Inflates the body of an MSZip-compressed .x file: `body` starts right after
// the 16-byte header (at the total-size field). Exposed for tests and tools.
bool InflateMsZip(const uint8_t* body, size_t size, std::vector<uint8_t>* out,
                  std::string* error);

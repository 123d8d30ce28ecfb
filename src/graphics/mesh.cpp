// Meshes: .x data from the mesh archive or a plain file, read by the .x
// reader, uploaded to the GPU once, drawn per subset with its material and
// texture, or flat white for the shadow.
#include "graphics/mesh.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/regular_file.h"
#include "formats/archive.h"
#include "formats/xfile.h"
#include "graphics/archive_texture.h"
#include "graphics/mesh_texture.h"
#include "graphics/sprite.h"
#include "platform/messages.h"
#include "platform/system.h"

namespace {

void ReleaseAsset(MeshAsset* a) {
    for (uint32_t i = 0; a->textures && i < a->materialCount; ++i) {
        if (a->textures[i]) ReleaseTexture(a->textures[i]);
        a->textures[i] = nullptr;
    }
    if (a->mesh) RdReleaseMesh(a->mesh);
    delete[] a->materials;
    delete[] a->textures;
    delete[] a->subsetFirst;
    delete[] a->subsetCount;
    *a = MeshAsset{};
}

int MeshDataFailed() {
    ShowFatal(MsgMeshData);
    return 0;
}

// Reads, uploads and fills the asset (which is empty on entry). The caller
// frees the bytes.
int BuildMeshAsset(const uint8_t* bytes, size_t size, const char* textureDir, MeshAsset* asset) {
    XMeshData data;
    std::string error;
    if (!LoadXMesh(bytes, size, &data, &error)) {
        std::fprintf(stderr, "Zorbat U.F.O.: mesh data refused: %s\n", error.c_str());
        return MeshDataFailed();
    }
    RdMesh* mesh = RdCreateMesh(data.vertices.data(), int(data.vertices.size()), data.indices.data(),
                                int(data.indices.size()), data.hasVertexColours);
    if (!mesh) return MeshDataFailed();

    uint32_t count = uint32_t(data.materials.size());
    asset->mesh = mesh;
    asset->materials = new MeshMaterial[count];
    asset->textures = new Texture*[count]();
    asset->subsetFirst = new uint32_t[count];
    asset->subsetCount = new uint32_t[count];
    asset->materialCount = count;
    for (uint32_t i = 0; i < count; ++i) {
        const XMaterial& m = data.materials[i];
        asset->materials[i].material = m.material;
        // A copy for reading back; a longer name is cut here but loads in full below.
        std::snprintf(asset->materials[i].textureFile, sizeof asset->materials[i].textureFile, "%s",
                      m.textureFile.c_str());
        asset->subsetFirst[i] = data.subsetFirst[i];
        asset->subsetCount[i] = data.subsetCount[i];
    }
    for (uint32_t i = 0; i < count; ++i) {
        const std::string& name = data.materials[i].textureFile;
        if (name.empty()) continue;
        std::string path = FindMeshTexture(textureDir, name.c_str());
        asset->textures[i] = path.empty() ? nullptr : CreateTextureFromFile(path.c_str());
        if (!asset->textures[i]) {
            std::fprintf(stderr, "Zorbat U.F.O.: mesh texture \"%s\" not loaded from \"%s\"\n",
                         name.c_str(), textureDir ? textureDir : "");
            ShowMessage(MsgMeshTexture);
        }
    }
    return 1;
}

}  // namespace

int LoadMeshFromArchive(const char* archivePath, const char* name, const char* textureDir,
                        MeshAsset* asset) {
    uint8_t* bytes = nullptr;
    uint32_t size = 0;
    if (!ReadArchiveEntry(archivePath, name, &bytes, &size)) {
        ShowFatal(MsgDataMissing, name);
        return 0;
    }
    // A slot loaded again gives its old mesh back first instead of leaking it.
    ReleaseAsset(asset);
    int ok = BuildMeshAsset(bytes, size, textureDir, asset);
    delete[] bytes;
    return ok;
}

int LoadMeshFromFile(const char* path, const char* textureDir, MeshAsset* asset) {
    ReleaseAsset(asset);
    std::vector<uint8_t> bytes;
    FileProblem problem;
    if (!ReadRegularFile(path, kXFileMaxBytes, &bytes, &problem)) {
        std::fprintf(stderr, "Zorbat U.F.O.: cannot open mesh file \"%s\": %s\n", path,
                     FileProblemText(problem).c_str());
        return MeshDataFailed();
    }
    return BuildMeshAsset(bytes.data(), bytes.size(), textureDir, asset);
}

int DrawMesh(MeshAsset* asset, int cullMode, float emissiveFactor) {
    RdSetCullMode(cullMode);
    for (uint32_t i = 0; i < asset->materialCount; ++i) {
        Material& m = asset->materials[i].material;
        // A factor of 0 keeps whatever glow the last non-zero factor left.
        if (emissiveFactor != 0.0f)
            m.emissive = Color4{m.diffuse.r * emissiveFactor, m.diffuse.g * emissiveFactor,
                                m.diffuse.b * emissiveFactor, m.diffuse.a};
        RdSetMaterial(m);
        RdSetTexture(asset->textures[i] ? asset->textures[i]->handle : nullptr);
        if (asset->subsetCount[i] > 0)
            RdDrawMesh(asset->mesh, int(asset->subsetFirst[i]), int(asset->subsetCount[i]));
    }
    return 1;
}

void DrawMeshFlat(MeshAsset* asset, int cullMode) {
    Material flat{};
    flat.emissive = Color4{1.0f, 1.0f, 1.0f, 0.0f};
    RdSetMaterial(flat);
    RdSetCullMode(cullMode);
    for (uint32_t i = 0; i < asset->materialCount; ++i) {
        RdSetTexture(nullptr);
        if (asset->subsetCount[i] > 0)
            RdDrawMesh(asset->mesh, int(asset->subsetFirst[i]), int(asset->subsetCount[i]));
    }
}

void ReleaseMeshes(MeshAsset* assets, int count) {
    for (int i = count - 1; i >= 0; --i) ReleaseAsset(&assets[i]);
}

// Meshes loaded from .x data: materials, one texture per material, drawn per subset.
#pragma once
#include <cstdint>

#include "platform/render.h"

struct RdMesh;
struct Texture;

struct MeshMaterial {
    Material material;
    char textureFile[128];  // empty when the material names no texture; a longer
                            // name is cut short here (its texture loads in full)
};

struct MeshAsset {
    RdMesh* mesh;              // null when empty
    MeshMaterial* materials;   // materialCount entries; DrawMesh writes emissive here
    Texture** textures;        // materialCount entries, null where none
    uint32_t materialCount;    // also the number of subsets
    uint32_t* subsetFirst;     // first index of subset i
    uint32_t* subsetCount;     // index count of subset i
};

int LoadMeshFromArchive(const char* archivePath, const char* name, const char* textureDir,
                        MeshAsset* asset);
int LoadMeshFromFile(const char* path, const char* textureDir, MeshAsset* asset);
int DrawMesh(MeshAsset* asset, int cullMode, float emissiveFactor);
void DrawMeshFlat(MeshAsset* asset, int cullMode);
void ReleaseMeshes(MeshAsset* assets, int count);

// Placeholder: meshes land with the mesh loader.
#include "graphics/mesh.h"
void ReleaseMeshes(MeshAsset*, int) {}

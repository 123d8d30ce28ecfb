// meshinfo FILE.x...: what the game's mesh loader makes of each file: vertex
// and face counts, and per subset its material and texture name; or why the
// file is refused. Exit status 1 when any file is refused.
#include <cstdio>
#include <string>
#include <vector>

#include "core/regular_file.h"
#include "formats/xfile.h"

namespace {

// As the game reads its models: regular files only, at most kXFileMaxBytes.
bool ReadFile(const char* path, std::vector<uint8_t>* bytes, std::string* error) {
    FileProblem problem;
    if (ReadRegularFile(path, kXFileMaxBytes, bytes, &problem)) return true;
    *error = problem.status == FileStatus::TooLarge ? "file too large"
                                                     : "cannot open the file (" + FileProblemText(problem) + ")";
    return false;
}

void PrintColor(const char* label, const Color4& c) {
    std::printf("    %-9s%g %g %g %g\n", label, c.r, c.g, c.b, c.a);
}

void Print(const char* path, const XMeshData& m) {
    std::printf("%s\n", path);
    std::printf("  vertices %zu\n", m.vertices.size());
    std::printf("  faces %zu\n", m.attributes.size());
    std::printf("  meshes %u\n", m.meshCount);
    std::printf("  vertex data:%s%s%s\n", m.hasNormals ? " normals" : "",
                m.hasTexCoords ? " texcoords" : "", m.hasVertexColours ? " colours" : "");
    size_t inSubsets = 0;
    for (size_t i = 0; i < m.materials.size(); ++i) {
        const Material& mat = m.materials[i].material;
        inSubsets += m.subsetCount[i] / 3;
        std::printf("  subset %zu%s: faces %u, first index %u\n", i,
                    m.defaultMaterial ? " (default material)" : "", m.subsetCount[i] / 3,
                    m.subsetFirst[i]);
        PrintColor("diffuse", mat.diffuse);
        PrintColor("ambient", mat.ambient);
        PrintColor("specular", mat.specular);
        std::printf("    %-9s%g\n", "power", mat.power);
        PrintColor("emissive", mat.emissive);
        const std::string& tex = m.materials[i].textureFile;
        std::printf("    %-9s%s\n", "texture", tex.empty() ? "(none)" : ("\"" + tex + "\"").c_str());
    }
    if (inSubsets != m.attributes.size())
        std::printf("  faces in no subset %zu\n", m.attributes.size() - inSubsets);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: meshinfo FILE.x...\n");
        return 2;
    }
    int status = 0;
    std::vector<uint8_t> bytes;
    for (int i = 1; i < argc; ++i) {
        std::string error;
        XMeshData mesh;
        if (!ReadFile(argv[i], &bytes, &error) ||
            !LoadXMesh(bytes.data(), bytes.size(), &mesh, &error)) {
            std::fflush(stdout);
            std::fprintf(stderr, "%s: error: %s\n", argv[i], error.c_str());
            status = 1;
            continue;
        }
        Print(argv[i], mesh);
    }
    return status;
}

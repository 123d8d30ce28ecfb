// Assembly of the meshes of a .x file into the one mesh the game draws, laid
// out as the classic loader lays it out (vertex order, split vertices, face
// order), so that subsets, winding and lighting come out the same.
#include "formats/xfile_mesh.h"

#include <algorithm>
#include <cmath>

namespace xfile {

namespace {

bool IsIdentity(const Matrix& m) {
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            if (m.m[i][j] != (i == j ? 1.0f : 0.0f)) return false;
    return true;
}

// Normals follow the inverse transpose of the placement and are made unit
// length again, so a scaled frame does not change how bright a mesh is lit.
Matrix NormalMatrix(const Matrix& m) {
    Matrix inv;
    if (!MatInverse(m, &inv)) return m;
    Matrix t;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) t.m[i][j] = inv.m[j][i];
    return t;
}

bool SameVector(Vec3 a, Vec3 b) { return a.x == b.x && a.y == b.y && a.z == b.z; }

// Where a vertex is used with different normals, it is split: the first
// normal seen stays with the vertex, every new one gets a copy appended after
// all the file's vertices, in the order the corners are met. Corners are
// redirected to the copy whose normal is equal. Returns, per corner, the
// vertex to use; *normalOf gets each vertex's normal index (-1: unused).
std::vector<uint32_t> SplitByNormal(const RawMesh& mesh, std::vector<int64_t>* normalOf,
                                    std::vector<uint32_t>* original) {
    size_t nv = mesh.positions.size();
    std::vector<uint32_t> cornerVertex(mesh.corners);
    normalOf->assign(nv, -1);
    original->resize(nv);
    for (size_t v = 0; v < nv; ++v) (*original)[v] = uint32_t(v);
    if (!mesh.hasNormals) return cornerVertex;
    std::vector<uint32_t> nextCopy(nv, UINT32_MAX);
    for (size_t c = 0; c < mesh.corners.size(); ++c) {
        uint32_t v = mesh.corners[c];
        uint32_t n = mesh.cornerNormals[c];
        if ((*normalOf)[v] < 0) {
            (*normalOf)[v] = n;
            continue;
        }
        for (uint32_t at = v;;) {
            if (SameVector(mesh.normals[size_t((*normalOf)[at])], mesh.normals[n])) {
                cornerVertex[c] = at;
                break;
            }
            if (nextCopy[at] == UINT32_MAX) {
                uint32_t copy = uint32_t(normalOf->size());
                normalOf->push_back(n);
                original->push_back(v);
                nextCopy.push_back(UINT32_MAX);
                nextCopy[at] = copy;
                cornerVertex[c] = copy;
                break;
            }
            at = nextCopy[at];
        }
    }
    return cornerVertex;
}

}  // namespace

bool AppendMesh(const RawMesh& mesh, const Matrix& transform, XMeshData* out, std::string* error) {
    std::vector<int64_t> normalOf;
    std::vector<uint32_t> original;
    std::vector<uint32_t> cornerVertex = SplitByNormal(mesh, &normalOf, &original);

    size_t faces = 0;
    for (uint32_t f = 0; f < mesh.FaceCount(); ++f) faces += mesh.faceStart[f + 1] - mesh.faceStart[f] - 2;
    if (out->vertices.size() + original.size() > kXMeshMaxVertices ||
        out->attributes.size() + faces > kXMeshMaxFaces) {
        *error = "mesh too large";
        return false;
    }

    bool place = !IsIdentity(transform);
    Matrix normalMatrix = NormalMatrix(transform);
    uint32_t base = uint32_t(out->vertices.size());
    for (size_t v = 0; v < original.size(); ++v) {
        uint32_t o = original[v];
        MeshVertex mv{};
        Vec3 p = mesh.positions[o];
        Vec3 n = normalOf[v] >= 0 ? mesh.normals[size_t(normalOf[v])] : Vec3{0.0f, 0.0f, 0.0f};
        if (place) {
            p = TransformCoord(p, transform);
            n = Normalize(TransformNormal(n, normalMatrix));
        }
        mv.x = p.x, mv.y = p.y, mv.z = p.z;
        mv.nx = n.x, mv.ny = n.y, mv.nz = n.z;
        if (mesh.hasTexCoords) mv.u = mesh.texCoords[2 * o], mv.v = mesh.texCoords[2 * o + 1];
        // Vertices without a colour of their own: white, zero alpha, as the
        // uncoloured vertices of a coloured mesh get.
        mv.diffuse = mesh.hasColours ? mesh.colours[o] : 0x00FFFFFFu;
        out->vertices.push_back(mv);
    }

    // Fan every polygon from its first corner, then order the triangles by
    // material, keeping file order within a material.
    uint32_t offset = uint32_t(out->materials.size());
    struct Tri {
        uint32_t attribute, a, b, c;
    };
    std::vector<Tri> tris;
    tris.reserve(faces);
    for (uint32_t f = 0; f < mesh.FaceCount(); ++f) {
        uint32_t first = mesh.faceStart[f], end = mesh.faceStart[f + 1];
        uint32_t attribute = offset + (mesh.hasMaterials ? mesh.faceMaterials[f] : 0);
        for (uint32_t c = first + 1; c + 1 < end; ++c)
            tris.push_back(Tri{attribute, base + cornerVertex[first], base + cornerVertex[c],
                               base + cornerVertex[c + 1]});
    }
    std::stable_sort(tris.begin(), tris.end(),
                     [](const Tri& x, const Tri& y) { return x.attribute < y.attribute; });
    for (const Tri& t : tris) {
        out->attributes.push_back(t.attribute);
        out->indices.push_back(t.a);
        out->indices.push_back(t.b);
        out->indices.push_back(t.c);
    }
    if (mesh.hasMaterials)
        out->materials.insert(out->materials.end(), mesh.materials.begin(), mesh.materials.end());
    out->hasNormals = out->hasNormals || mesh.hasNormals;
    out->hasTexCoords = out->hasTexCoords || mesh.hasTexCoords;
    out->hasVertexColours = out->hasVertexColours || mesh.hasColours;
    ++out->meshCount;
    return true;
}

void FinishMesh(XMeshData* out) {
    if (out->materials.empty()) {
        // A file without materials gets grey diffuse and specular, zero
        // alpha, and nothing else.
        XMaterial m{};
        m.material.diffuse = Color4{0.5f, 0.5f, 0.5f, 0.0f};
        m.material.specular = Color4{0.5f, 0.5f, 0.5f, 0.0f};
        out->materials.push_back(m);
        out->defaultMaterial = true;
    }
    size_t count = out->materials.size();
    out->subsetFirst.assign(count, 0);
    out->subsetCount.assign(count, 0);
    // Faces are in attribute order (each mesh sorted, and every mesh's
    // numbers above the previous one's), so each subset is one run.
    for (size_t f = out->attributes.size(); f-- > 0;) {
        uint32_t a = out->attributes[f];
        if (a >= count) continue;
        out->subsetFirst[a] = uint32_t(f * 3);
        out->subsetCount[a] += 3;
    }
}

}  // namespace xfile

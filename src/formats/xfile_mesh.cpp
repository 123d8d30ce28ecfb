// Assembly of the meshes of a .x file into the one mesh the game draws, laid
// out as the classic loader lays it out (vertex order, split vertices, face
// order), so that subsets, winding and lighting come out the same.
#include "formats/xfile_mesh.h"

#include <algorithm>
#include <cmath>
#include <cstring>

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

// Bits of a normal component for hashing: +0 and -0 compare equal, so they
// hash alike.
uint32_t ComponentBits(float f) {
    if (f == 0.0f) return 0;
    uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    return bits;
}

bool HasNaN(Vec3 v) { return v.x != v.x || v.y != v.y || v.z != v.z; }

uint64_t HashOf(uint32_t vertex, Vec3 n) {
    uint64_t h = vertex * 0x9E3779B97F4A7C15ull;
    for (uint32_t c : {ComponentBits(n.x), ComponentBits(n.y), ComponentBits(n.z)}) {
        h ^= c;
        h *= 0xFF51AFD7ED558CCDull;
        h ^= h >> 32;
    }
    return h;
}

// The copies made so far, found by (file vertex, normal): an open-addressing
// table of copy numbers, so that each corner costs the same however many
// normals its vertex already has.
class CopyIndex {
public:
    CopyIndex(const RawMesh& mesh, const std::vector<int64_t>& normalOf, const std::vector<uint32_t>& original)
        : mesh_(mesh), normalOf_(normalOf), original_(original), slots_(1024, kEmpty) {}

    // The copy of `vertex` whose normal equals `normal`, or UINT32_MAX.
    uint32_t Find(uint32_t vertex, Vec3 normal) const {
        for (size_t at = HashOf(vertex, normal) & (slots_.size() - 1);; at = (at + 1) & (slots_.size() - 1)) {
            const uint32_t copy = slots_[at];
            if (copy == kEmpty) return UINT32_MAX;
            if (original_[copy] == vertex && SameVector(NormalOf(copy), normal)) return copy;
        }
    }

    // Only the first copy with a normal is entered; a NaN normal equals
    // nothing, so it is never looked for and never entered.
    void Add(uint32_t copy) {
        if (HasNaN(NormalOf(copy))) return;
        if (2 * (used_ + 1) > slots_.size()) Grow();
        Place(copy);
        ++used_;
    }

private:
    static constexpr uint32_t kEmpty = UINT32_MAX;

    Vec3 NormalOf(uint32_t copy) const { return mesh_.normals[size_t(normalOf_[copy])]; }

    void Place(uint32_t copy) {
        size_t at = HashOf(original_[copy], NormalOf(copy)) & (slots_.size() - 1);
        while (slots_[at] != kEmpty) at = (at + 1) & (slots_.size() - 1);
        slots_[at] = copy;
    }

    void Grow() {
        std::vector<uint32_t> old(slots_.size() * 2, kEmpty);
        old.swap(slots_);
        for (uint32_t copy : old)
            if (copy != kEmpty) Place(copy);
    }

    const RawMesh& mesh_;
    const std::vector<int64_t>& normalOf_;
    const std::vector<uint32_t>& original_;
    std::vector<uint32_t> slots_;
    size_t used_ = 0;
};

// Where a vertex is used with different normals, it is split: the first
// normal seen stays with the vertex, every new one gets a copy appended after
// all the file's vertices, in the order the corners are met. Corners are
// redirected to the first copy whose normal is equal. Fills, per corner, the
// vertex to use; *normalOf gets each vertex's normal index (-1: unused).
// False when the copies would take the vertex count past `maxVertices`.
bool SplitByNormal(const RawMesh& mesh, size_t maxVertices, std::vector<uint32_t>* cornerVertex,
                   std::vector<int64_t>* normalOf, std::vector<uint32_t>* original) {
    size_t nv = mesh.positions.size();
    cornerVertex->assign(mesh.corners.begin(), mesh.corners.end());
    normalOf->assign(nv, -1);
    original->resize(nv);
    for (size_t v = 0; v < nv; ++v) (*original)[v] = uint32_t(v);
    if (!mesh.hasNormals) return true;
    CopyIndex copies(mesh, *normalOf, *original);
    for (size_t c = 0; c < mesh.corners.size(); ++c) {
        uint32_t v = mesh.corners[c];
        uint32_t n = mesh.cornerNormals[c];
        if ((*normalOf)[v] < 0) {
            (*normalOf)[v] = n;
            copies.Add(v);
            continue;
        }
        const Vec3 normal = mesh.normals[n];
        const uint32_t found = HasNaN(normal) ? UINT32_MAX : copies.Find(v, normal);
        if (found != UINT32_MAX) {
            (*cornerVertex)[c] = found;
            continue;
        }
        if (normalOf->size() >= maxVertices) return false;
        uint32_t copy = uint32_t(normalOf->size());
        normalOf->push_back(n);
        original->push_back(v);
        copies.Add(copy);
        (*cornerVertex)[c] = copy;
    }
    return true;
}

}  // namespace

bool AppendMesh(const RawMesh& mesh, const Matrix& transform, XMeshData* out, std::string* error) {
    // The limits are checked before the work: the faces and the file's own
    // vertices now, the copies of split vertices as they are made.
    size_t faces = 0;
    for (uint32_t f = 0; f < mesh.FaceCount(); ++f) faces += mesh.faceStart[f + 1] - mesh.faceStart[f] - 2;
    const size_t room = kXMeshMaxVertices - std::min(out->vertices.size(), kXMeshMaxVertices);
    std::vector<int64_t> normalOf;
    std::vector<uint32_t> original;
    std::vector<uint32_t> cornerVertex;
    if (mesh.positions.size() > room || out->attributes.size() + faces > kXMeshMaxFaces ||
        !SplitByNormal(mesh, room, &cornerVertex, &normalOf, &original)) {
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

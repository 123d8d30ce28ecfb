// The objects of a mesh: vertices and faces, normals, texture coordinates,
// vertex colours, materials and their textures, and the skin-weight check.
#include "formats/xfile_mesh.h"
#include "formats/xfile_reader.h"

namespace xfile {
namespace {

bool ParseTextureFilename(Reader& r, XMaterial* m) {
    Token t = NextValue(r);
    if (t.kind != kTokString) return Fail(&r.lx, "expected a texture file name");
    m->textureFile.assign(t.text, t.len);
    return SkipBody(r);
}

bool ParseMaterial(Reader& r, XMaterial* m) {
    Material& mat = m->material;
    float power = 0.0f;
    if (!ReadFloats(r, &mat.diffuse.r, 4) || !ReadFloat(r, &power) ||
        !ReadFloats(r, &mat.specular.r, 3) || !ReadFloats(r, &mat.emissive.r, 3))
        return false;
    mat.power = power;
    mat.specular.a = 1.0f;
    mat.emissive.a = 1.0f;
    mat.ambient = Color4{0.0f, 0.0f, 0.0f, 1.0f};  // never the face colour
    m->textureFile.clear();
    for (;;) {
        Token type;
        const Named* target = nullptr;
        switch (NextChild(r, &type, &target)) {
        case kChildEnd: return true;
        case kChildFail: return false;
        case kChildObject:
            if (!(NameIs(type, "TextureFilename") ? ParseTextureFilename(r, m) : SkipBody(r)))
                return false;
            break;
        case kChildRef:
            if (target && !AtTarget(r, *target, [&](const Token& t) {
                    return NameIs(t, "TextureFilename") ? ParseTextureFilename(r, m) : SkipBody(r);
                }))
                return false;
            break;
        }
    }
}

bool ParseMaterialList(Reader& r, RawMesh* mesh) {
    uint32_t count, faces;
    if (!ReadUInt(r, &count)) return false;
    mesh->hasMaterials = false;
    mesh->materials.clear();
    mesh->faceMaterials.clear();
    if (count == 0) return SkipBody(r);  // as good as no list at all
    if (!ReadUInt(r, &faces)) return false;
    if (faces != mesh->FaceCount()) return Fail(&r.lx, "material list does not cover every face");
    mesh->faceMaterials.resize(faces);
    for (uint32_t& f : mesh->faceMaterials) {
        if (!ReadUInt(r, &f)) return false;
        if (f >= count) return Fail(&r.lx, "face refers to a material past the list");
    }
    auto add = [&](const Token& type) {
        if (!NameIs(type, "Material")) return SkipBody(r);
        if (mesh->materials.size() >= count) return Fail(&r.lx, "more materials than declared");
        mesh->materials.emplace_back();
        return ParseMaterial(r, &mesh->materials.back());
    };
    for (;;) {
        Token type;
        const Named* target = nullptr;
        switch (NextChild(r, &type, &target)) {
        case kChildEnd:
            if (mesh->materials.size() != count) return Fail(&r.lx, "fewer materials than declared");
            mesh->hasMaterials = true;
            return true;
        case kChildFail: return false;
        case kChildObject:
            if (!add(type)) return false;
            break;
        case kChildRef:
            if (target && !AtTarget(r, *target, add)) return false;
            break;
        }
    }
}

bool ParseNormals(Reader& r, RawMesh* mesh) {
    uint32_t count, faces;
    if (!ReadUInt(r, &count) || !CheckCount(r, count)) return false;
    mesh->normals.clear();
    mesh->normals.reserve(count < 65536 ? count : 65536);
    for (uint32_t i = 0; i < count; ++i) {
        Vec3 n;
        if (!ReadFloats(r, &n.x, 3)) return false;
        mesh->normals.push_back(Normalize(n));
    }
    if (!ReadUInt(r, &faces)) return false;
    if (faces != mesh->FaceCount()) return Fail(&r.lx, "normals do not cover every face");
    mesh->cornerNormals.assign(mesh->corners.size(), 0);
    for (uint32_t f = 0; f < faces; ++f) {
        uint32_t n;
        if (!ReadUInt(r, &n)) return false;
        if (n != mesh->faceStart[f + 1] - mesh->faceStart[f])
            return Fail(&r.lx, "face normals do not match the face's corners");
        for (uint32_t c = mesh->faceStart[f]; c < mesh->faceStart[f + 1]; ++c) {
            if (!ReadUInt(r, &mesh->cornerNormals[c])) return false;
            if (mesh->cornerNormals[c] >= count) return Fail(&r.lx, "normal index past the list");
        }
    }
    mesh->hasNormals = true;
    return SkipBody(r);
}

bool ParseTexCoords(Reader& r, RawMesh* mesh) {
    uint32_t count;
    if (!ReadUInt(r, &count)) return false;
    if (count != mesh->positions.size())
        return Fail(&r.lx, "texture coordinates do not match the vertices");
    mesh->texCoords.resize(size_t(count) * 2);  // count is the number of vertices read
    if (!ReadFloats(r, mesh->texCoords.data(), int(count * 2))) return false;
    mesh->hasTexCoords = true;
    return SkipBody(r);
}

// Colours are clamped to 0..1 and rounded to bytes; vertices not named keep
// white with zero alpha.
bool ParseColours(Reader& r, RawMesh* mesh) {
    uint32_t count;
    if (!ReadUInt(r, &count) || !CheckCount(r, count)) return false;
    mesh->colours.assign(mesh->positions.size(), 0x00FFFFFFu);
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t v;
        float c[4];
        if (!ReadUInt(r, &v) || !ReadFloats(r, c, 4)) return false;
        if (v >= mesh->positions.size()) return Fail(&r.lx, "vertex colour for a vertex past the list");
        uint32_t b[4];
        for (int k = 0; k < 4; ++k) {
            // Written so that a NaN reads as 0 rather than reaching the conversion.
            float x = c[k] >= 0.0f ? (c[k] > 1.0f ? 1.0f : c[k]) : 0.0f;
            b[k] = uint32_t(x * 255.0f + 0.5f);
        }
        mesh->colours[v] = (b[3] << 24) | (b[0] << 16) | (b[1] << 8) | b[2];
    }
    mesh->hasColours = true;
    return SkipBody(r);
}

// Skin weights are not used, but a weight on a vertex that does not exist
// marks a damaged file, which is refused.
bool CheckSkinWeights(Reader& r, const RawMesh& mesh) {
    Token name = NextValue(r);
    if (name.kind != kTokString) return Fail(&r.lx, "expected a bone name");
    uint32_t count;
    if (!ReadUInt(r, &count) || !CheckCount(r, count)) return false;
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t v;
        if (!ReadUInt(r, &v)) return false;
        if (v >= mesh.positions.size()) return Fail(&r.lx, "skin weight for a vertex past the list");
    }
    return SkipBody(r);
}

bool ParseMeshChild(Reader& r, const Token& type, RawMesh* mesh) {
    if (NameIs(type, "MeshNormals")) return ParseNormals(r, mesh);
    if (NameIs(type, "MeshTextureCoords")) return ParseTexCoords(r, mesh);
    if (NameIs(type, "MeshVertexColors")) return ParseColours(r, mesh);
    if (NameIs(type, "MeshMaterialList")) return ParseMaterialList(r, mesh);
    if (NameIs(type, "SkinWeights")) return CheckSkinWeights(r, *mesh);
    return SkipBody(r);
}

}  // namespace

bool ParseMesh(Reader& r, const Matrix& transform) {
    RawMesh mesh;
    uint32_t nv, nf;
    if (!ReadUInt(r, &nv) || !CheckCount(r, nv)) return false;
    // Storage grows with what is actually read, never with what a count says.
    mesh.positions.reserve(nv < 65536 ? nv : 65536);
    for (uint32_t i = 0; i < nv; ++i) {
        Vec3 p;
        if (!ReadFloats(r, &p.x, 3)) return false;
        mesh.positions.push_back(p);
    }
    if (!ReadUInt(r, &nf) || !CheckCount(r, nf)) return false;
    mesh.faceStart.reserve(nf < 65536 ? size_t(nf) + 1 : 65536);
    mesh.faceStart.push_back(0);
    for (uint32_t f = 0; f < nf; ++f) {
        uint32_t n;
        if (!ReadUInt(r, &n) || !CheckCount(r, n)) return false;
        if (n < 3) return Fail(&r.lx, "face with fewer than three corners");
        for (uint32_t k = 0; k < n; ++k) {
            uint32_t v;
            if (!ReadUInt(r, &v)) return false;
            if (v >= nv) return Fail(&r.lx, "face refers to a vertex past the list");
            mesh.corners.push_back(v);
        }
        mesh.faceStart.push_back(uint32_t(mesh.corners.size()));
    }
    for (;;) {
        Token type;
        const Named* target = nullptr;
        switch (NextChild(r, &type, &target)) {
        case kChildEnd:
            // A mesh with nothing to draw is left out, materials and all.
            if (nv == 0 || nf == 0) return true;
            if (!AppendMesh(mesh, transform, r.out, &r.buildError))
                return Fail(&r.lx, r.buildError.c_str());
            return true;
        case kChildFail: return false;
        case kChildObject:
            if (!ParseMeshChild(r, type, &mesh)) return false;
            break;
        case kChildRef:
            if (target && !AtTarget(r, *target, [&](const Token& t) {
                    return ParseMeshChild(r, t, &mesh);
                }))
                return false;
            break;
        }
    }
}

}  // namespace xfile

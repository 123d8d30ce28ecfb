// The .x reader: header, decompression, and the walk over frames and meshes.
// Templates are skipped: the standard objects are read by their known layout,
// every other object is stepped over by its braces, so skin data, animation
// and exporters' own objects cost nothing. Values may be separated by any
// mix of ';' and ','. A reference `{ Name }` stands for the first object of
// that name in the file; a mesh or frame referenced from a frame is placed
// again under that frame, as the classic loader does.
#include "platform/xfile.h"

#include <cstring>
#include <string_view>
#include <unordered_map>

#include "platform/xfile_lexer.h"
#include "platform/xfile_mesh.h"

namespace xfile {
namespace {

// Deeper frame nesting (references included) is refused before the stack is.
constexpr int kMaxDepth = 200;

struct Named {
    const char* name;
    uint32_t len;
    Cursor at;  // the object's type name
};

struct Reader {
    Lexer lx;
    std::vector<Named> named;
    std::unordered_map<std::string_view, size_t> firstNamed;  // name -> first in `named`
    XMeshData* out;
    std::string buildError;
    int depth = 0;
};

enum ChildKind { kChildEnd, kChildObject, kChildRef, kChildFail };

size_t Remaining(const Reader& r) { return r.lx.size - r.lx.cur.pos + r.lx.cur.listLeft; }

// A count must not promise more elements than there are bytes left: it keeps
// a damaged count from reserving memory the file cannot fill.
bool CheckCount(Reader& r, uint32_t n) {
    return n <= Remaining(r) || Fail(&r.lx, "count larger than the data that follows");
}

Token NextValue(Reader& r) {
    Token t = Next(&r.lx);
    while (t.kind == kTokSep) t = Next(&r.lx);
    return t;
}

bool ReadUInt(Reader& r, uint32_t* v) {
    Token t = NextValue(r);
    if (t.kind != kTokInt) return Fail(&r.lx, "expected an integer");
    *v = t.u;
    return true;
}

bool ReadFloat(Reader& r, float* v) {
    Token t = NextValue(r);
    if (t.kind != kTokInt && t.kind != kTokFloat) return Fail(&r.lx, "expected a number");
    *v = t.f;
    return true;
}

bool ReadFloats(Reader& r, float* v, int n) {
    for (int i = 0; i < n; ++i)
        if (!ReadFloat(r, &v[i])) return false;
    return true;
}

// Steps over the rest of an object whose '{' has been read.
bool SkipBody(Reader& r) {
    int depth = 1;
    for (;;) {
        Token t = Next(&r.lx);
        if (t.kind == kTokOBrace) ++depth;
        if (t.kind == kTokCBrace && --depth == 0) return true;
        if (t.kind == kTokEnd) return Fail(&r.lx, "file ends inside an object");
        if (t.kind == kTokError) return false;
    }
}

bool SkipTemplate(Reader& r) {
    for (;;) {
        Token t = Next(&r.lx);
        if (t.kind == kTokOBrace) return SkipBody(r);
        if (t.kind == kTokEnd) return Fail(&r.lx, "file ends inside a template");
        if (t.kind == kTokError) return false;
    }
}

// After an object's type name: an optional name, '{' and an optional GUID.
bool OpenObject(Reader& r) {
    Token t = Next(&r.lx);
    if (t.kind == kTokName) t = Next(&r.lx);
    if (t.kind != kTokOBrace) return Fail(&r.lx, "expected '{' after an object's type");
    if (Peek(&r.lx).kind == kTokGuid) Next(&r.lx);
    return r.lx.error.empty();
}

const Named* Resolve(const Reader& r, const Token& name) {
    auto it = r.firstNamed.find(std::string_view(name.text, name.len));
    return it == r.firstNamed.end() ? nullptr : &r.named[it->second];
}

// The next child of an object's body: a nested object (its type in *type,
// opened), a reference (its target in *target, null for a reference by GUID
// alone), or the closing brace.
ChildKind NextChild(Reader& r, Token* type, const Named** target) {
    for (;;) {
        Token t = Next(&r.lx);
        switch (t.kind) {
        case kTokSep: continue;
        case kTokCBrace: return kChildEnd;
        case kTokTemplate:
            if (!SkipTemplate(r)) return kChildFail;
            continue;
        case kTokName:
            *type = t;
            return OpenObject(r) ? kChildObject : kChildFail;
        case kTokOBrace: {
            Token n = Next(&r.lx);
            *target = nullptr;
            if (n.kind == kTokName) {
                *target = Resolve(r, n);
                if (!*target) {
                    std::string what = "reference to an unknown object '" +
                                       std::string(n.text, n.len) + "'";
                    Fail(&r.lx, what.c_str());
                    return kChildFail;
                }
                n = Next(&r.lx);
            }
            if (n.kind == kTokGuid) n = Next(&r.lx);
            if (n.kind != kTokCBrace) {
                Fail(&r.lx, "malformed reference");
                return kChildFail;
            }
            return kChildRef;
        }
        case kTokEnd: Fail(&r.lx, "file ends inside an object"); return kChildFail;
        case kTokError: return kChildFail;
        default: Fail(&r.lx, "unexpected value after an object's data"); return kChildFail;
        }
    }
}

// Reads the object a reference points at with `parse`, then comes back.
template <typename F>
bool AtTarget(Reader& r, const Named& target, F parse) {
    Cursor back = r.lx.cur;
    r.lx.cur = target.at;
    Token type = Next(&r.lx);
    bool ok = OpenObject(r) && parse(type);
    r.lx.cur = back;
    return ok && r.lx.error.empty();
}

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
            float x = c[k] < 0.0f ? 0.0f : (c[k] > 1.0f ? 1.0f : c[k]);
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

bool ParseFrame(Reader& r, const Matrix& parent);

// A mesh or frame placed under a frame, written out or referenced.
bool ParseFrameChild(Reader& r, const Token& type, Matrix* current) {
    if (NameIs(type, "Mesh")) return ParseMesh(r, *current);
    if (NameIs(type, "Frame")) return ParseFrame(r, *current);
    if (NameIs(type, "FrameTransformMatrix")) {
        Matrix m;
        if (!ReadFloats(r, &m.m[0][0], 16)) return false;
        // Row vectors: the frame's own matrix comes before its parents'.
        // Meshes and frames before the matrix stay where they were.
        *current = MatMultiply(m, *current);
        return SkipBody(r);
    }
    return SkipBody(r);
}

bool ParseFrame(Reader& r, const Matrix& parent) {
    if (++r.depth > kMaxDepth) return Fail(&r.lx, "frames nested too deeply");
    Matrix current = parent;
    bool ok = true;
    for (bool more = true; more && ok;) {
        Token type;
        const Named* target = nullptr;
        switch (NextChild(r, &type, &target)) {
        case kChildEnd: more = false; break;
        case kChildFail: ok = false; break;
        case kChildObject: ok = ParseFrameChild(r, type, &current); break;
        case kChildRef:
            if (target) {
                ok = AtTarget(r, *target, [&](const Token& t) {
                    // A referenced matrix is not a placement of this frame.
                    if (NameIs(t, "FrameTransformMatrix")) return SkipBody(r);
                    return ParseFrameChild(r, t, &current);
                });
            }
            break;
        }
    }
    --r.depth;
    return ok;
}

// First pass: every named object and where it starts, for references, and a
// check that braces match.
bool IndexObjects(Reader& r) {
    int depth = 0;
    for (;;) {
        Cursor at = r.lx.cur;
        Token t = Next(&r.lx);
        switch (t.kind) {
        case kTokEnd:
            return depth == 0 || Fail(&r.lx, "file ends inside an object");
        case kTokError: return false;
        case kTokTemplate:
            if (!SkipTemplate(r)) return false;
            break;
        case kTokName: {
            Token second = Peek(&r.lx);
            if (second.kind == kTokOBrace) {
                Next(&r.lx);
                ++depth;
            } else if (second.kind == kTokName) {
                Cursor afterType = r.lx.cur;
                Next(&r.lx);
                if (Peek(&r.lx).kind == kTokOBrace) {
                    Next(&r.lx);
                    ++depth;
                    r.firstNamed.emplace(std::string_view(second.text, second.len),
                                         r.named.size());
                    r.named.push_back(Named{second.text, second.len, at});
                } else {
                    r.lx.cur = afterType;
                }
            }
            break;
        }
        case kTokOBrace: ++depth; break;
        case kTokCBrace:
            if (--depth < 0) return Fail(&r.lx, "'}' without '{'");
            break;
        default: break;
        }
    }
}

bool ParseTop(Reader& r) {
    const Matrix identity = MatIdentity();
    for (;;) {
        Token t = Next(&r.lx);
        switch (t.kind) {
        case kTokEnd: return true;
        case kTokError: return false;
        case kTokSep: break;
        case kTokTemplate:
            if (!SkipTemplate(r)) return false;
            break;
        case kTokName: {
            if (!OpenObject(r)) return false;
            bool ok = NameIs(t, "Mesh")    ? ParseMesh(r, identity)
                      : NameIs(t, "Frame") ? ParseFrame(r, identity)
                                           : SkipBody(r);
            if (!ok) return false;
            break;
        }
        case kTokOBrace:
            if (!SkipBody(r)) return false;
            break;
        default: return Fail(&r.lx, "unexpected value between objects");
        }
    }
}

bool HeaderIs(const uint8_t* h, const char* s) { return std::memcmp(h, s, 4) == 0; }

}  // namespace
}  // namespace xfile

bool LoadXMesh(const uint8_t* bytes, size_t size, XMeshData* out, std::string* error) {
    using namespace xfile;
    *out = XMeshData();
    if (!bytes || size < 16) {
        *error = size == 0 ? "empty file" : "file too short for a .x header";
        return false;
    }
    if (size > kXFileMaxBytes) {
        *error = "file too large";
        return false;
    }
    if (!HeaderIs(bytes, "xof ")) {
        *error = "not a .x file (no 'xof ' header)";
        return false;
    }
    if (!HeaderIs(bytes + 4, "0302") && !HeaderIs(bytes + 4, "0303")) {
        *error = "unsupported .x format version";
        return false;
    }
    const uint8_t* kind = bytes + 8;
    bool binary = HeaderIs(kind, "bin ") || HeaderIs(kind, "bzip");
    bool zipped = HeaderIs(kind, "tzip") || HeaderIs(kind, "bzip");
    if (!binary && !zipped && !HeaderIs(kind, "txt ")) {
        *error = "unsupported .x encoding";
        return false;
    }
    bool doubles = HeaderIs(bytes + 12, "0064");
    if (!doubles && !HeaderIs(bytes + 12, "0032")) {
        *error = "unsupported float size";
        return false;
    }
    std::vector<uint8_t> inflated;
    const uint8_t* body = bytes + 16;
    size_t bodySize = size - 16;
    if (zipped) {
        if (!InflateMsZip(body, bodySize, &inflated, error)) return false;
        body = inflated.data();
        bodySize = inflated.size();
    }

    Reader r;
    r.out = out;
    LexerInit(&r.lx, body, bodySize, binary, doubles);
    r.lx.compressed = zipped;
    bool ok = IndexObjects(r);
    if (ok) {
        r.lx.cur = Cursor{0, 0, false};
        ok = ParseTop(r);
    }
    if (ok && out->meshCount == 0) {
        *out = XMeshData();
        *error = "no mesh in the file";
        return false;
    }
    if (!ok) {
        *out = XMeshData();
        *error = Describe(r.lx);
        return false;
    }
    FinishMesh(out);
    return true;
}

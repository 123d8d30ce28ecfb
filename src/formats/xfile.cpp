// The .x reader: header, decompression, and the walk over frames and meshes.
// Templates are skipped: the standard objects are read by their known layout,
// every other object is stepped over by its braces, so skin data, animation
// and exporters' own objects cost nothing. Values may be separated by any
// mix of ';' and ','. A reference `{ Name }` stands for the first object of
// that name in the file; a mesh or frame referenced from a frame is placed
// again under that frame, as the classic loader does.
#include "formats/xfile.h"

#include <cstring>

#include "formats/xfile_mesh.h"
#include "formats/xfile_reader.h"

namespace xfile {
namespace {

// Deeper frame nesting (references included) is refused before the stack is.
constexpr int kMaxDepth = 200;

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

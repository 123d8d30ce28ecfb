// Reading values, stepping over objects and following references.
#include <cstring>

#include "formats/xfile_reader.h"

namespace xfile {
namespace {

size_t Remaining(const Reader& r) { return r.lx.size - r.lx.cur.pos + r.lx.cur.listLeft; }

}  // namespace

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

}  // namespace xfile

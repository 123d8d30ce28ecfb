// The reader's state and the steps the object parsers share. Internal to the
// .x reader.
#pragma once
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/math3d.h"
#include "formats/xfile.h"
#include "formats/xfile_lexer.h"

namespace xfile {

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

// A count must not promise more elements than there are bytes left: it keeps
// a damaged count from reserving memory the file cannot fill.
bool CheckCount(Reader& r, uint32_t n);
// The next value, past any separators.
Token NextValue(Reader& r);
bool ReadUInt(Reader& r, uint32_t* v);
bool ReadFloat(Reader& r, float* v);
bool ReadFloats(Reader& r, float* v, int n);
// Steps over the rest of an object whose '{' has been read.
bool SkipBody(Reader& r);
bool SkipTemplate(Reader& r);
// After an object's type name: an optional name, '{' and an optional GUID.
bool OpenObject(Reader& r);
// The first object of that name in the file, or null.
const Named* Resolve(const Reader& r, const Token& name);
// The next child of an object's body: a nested object (its type in *type,
// opened), a reference (its target in *target, null for a reference by GUID
// alone), or the closing brace.
ChildKind NextChild(Reader& r, Token* type, const Named** target);

template <typename F>
bool AtTarget(Reader& r, const Named& target, F parse) {
    Cursor back = r.lx.cur;
    r.lx.cur = target.at;
    Token type = Next(&r.lx);
    bool ok = OpenObject(r) && parse(type);
    r.lx.cur = back;
    return ok && r.lx.error.empty();
}

// Reads the body of a Mesh object (its '{' read) and appends the mesh, placed
// by `transform`, to the result.
bool ParseMesh(Reader& r, const Matrix& transform);

}  // namespace xfile

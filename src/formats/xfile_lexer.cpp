// Tokens of .x file bodies. Text: whitespace, # and // comments, the
// punctuation { } [ ] ( ) < > , ; as single tokens, quoted strings without
// escapes (a backslash is an ordinary character), GUIDs in angle brackets,
// numbers and identifiers. Binary: 16-bit token codes, names and strings with
// a 32-bit length, and integer and float lists that are handed out one value
// at a time.
#include "formats/xfile_lexer.h"

#include <strings.h>
#include <charconv>
#include <cstring>

namespace xfile {

namespace {

// Binary token codes.
enum : uint16_t {
    kBinName = 1,
    kBinString = 2,
    kBinInteger = 3,
    kBinGuid = 5,
    kBinIntegerList = 6,
    kBinFloatList = 7,
    kBinOBrace = 10,
    kBinCBrace = 11,
    kBinComma = 19,
    kBinSemicolon = 20,
    kBinTemplate = 31,
};

bool IsSpace(uint8_t c) { return c == 0 || c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool IsOperator(uint8_t c) {
    return c == '{' || c == '}' || c == '[' || c == ']' || c == '(' || c == ')' || c == '<' ||
           c == '>' || c == ',' || c == ';';
}

Token Make(TokKind kind) { return Token{kind, 0, 0.0f, nullptr, 0}; }

Token Error(Lexer* lx, const char* what) {
    Fail(lx, what);
    return Make(kTokError);
}

bool Read32(Lexer* lx, uint32_t* v) {
    if (lx->size - lx->cur.pos < 4) return false;
    std::memcpy(v, lx->data + lx->cur.pos, 4);
    lx->cur.pos += 4;
    return true;
}

// A run of non-separator characters: an integer, a real number or a name.
Token ClassifyWord(Lexer* lx, const char* s, const char* e) {
    bool digits = true;
    for (const char* p = s; p < e; ++p) digits = digits && *p >= '0' && *p <= '9';
    if (digits) {
        if (e - s > 10) return Error(lx, "integer out of range");
        uint64_t v = 0;
        for (const char* p = s; p < e; ++p) v = v * 10 + uint64_t(*p - '0');
        if (v > 0xFFFFFFFFu) return Error(lx, "integer out of range");
        Token t = Make(kTokInt);
        t.u = uint32_t(v);
        t.f = float(t.u);
        return t;
    }
    const char* p = s;
    if (*p == '+') ++p;  // from_chars takes a minus sign only
    const char* q = (p < e && *p == '-') ? p + 1 : p;
    if (q < e && ((*q >= '0' && *q <= '9') || (*q == '.' && q + 1 < e && q[1] >= '0' && q[1] <= '9'))) {
        float f = 0.0f;
        auto r = std::from_chars(p, e, f, std::chars_format::general);
        if (r.ptr == e) {
            if (r.ec != std::errc()) return Error(lx, "number out of range");
            Token t = Make(kTokFloat);
            t.f = f;
            return t;
        }
    }
    Token t = Make(kTokName);
    t.text = s;
    t.len = uint32_t(e - s);
    return t;
}

Token NextText(Lexer* lx) {
    const uint8_t* d = lx->data;
    size_t n = lx->size;
    size_t& pos = lx->cur.pos;
    for (;;) {
        if (pos >= n) return Make(kTokEnd);
        uint8_t c = d[pos];
        if (IsSpace(c)) {
            ++pos;
            continue;
        }
        if (c == '#' || c == '/') {
            if (c == '/' && (pos + 1 >= n || d[pos + 1] != '/')) return Error(lx, "stray '/'");
            while (pos < n && d[pos] != '\n') ++pos;
            continue;
        }
        break;
    }
    size_t start = pos;
    uint8_t c = d[pos];
    switch (c) {
    case '{': ++pos; return Make(kTokOBrace);
    case '}': ++pos; return Make(kTokCBrace);
    case ',':
    case ';': ++pos; return Make(kTokSep);
    case '[': case ']': case '(': case ')': case '>': ++pos; return Make(kTokOther);
    case '<': {
        size_t end = start + 1;
        while (end < n && end - start < 64 && d[end] != '>') ++end;
        if (end >= n || d[end] != '>') return Error(lx, "unterminated GUID");
        pos = end + 1;
        return Make(kTokGuid);
    }
    case '"': {
        size_t end = start + 1;
        while (end < n && d[end] != '"') ++end;
        if (end >= n) return Error(lx, "unterminated string");
        if (end - start - 1 > 0xFFFFu) return Error(lx, "string too long");
        pos = end + 1;
        Token t = Make(kTokString);
        t.text = reinterpret_cast<const char*>(d + start + 1);
        t.len = uint32_t(end - start - 1);
        return t;
    }
    default: break;
    }
    size_t end = start;
    while (end < n && !IsSpace(d[end]) && !IsOperator(d[end]) && d[end] != '"') ++end;
    if (end - start > 0xFFFFu) return Error(lx, "word too long");
    pos = end;
    const char* s = reinterpret_cast<const char*>(d + start);
    const char* e = reinterpret_cast<const char*>(d + end);
    if (end - start == 8 && strncasecmp(s, "template", 8) == 0) return Make(kTokTemplate);
    return ClassifyWord(lx, s, e);
}

Token NextBinary(Lexer* lx) {
    Cursor& c = lx->cur;
    if (c.listLeft > 0) {
        --c.listLeft;
        if (c.listFloat) {
            float f;
            if (lx->doubles) {
                double d;
                std::memcpy(&d, lx->data + c.pos, 8);
                c.pos += 8;
                f = float(d);
            } else {
                std::memcpy(&f, lx->data + c.pos, 4);
                c.pos += 4;
            }
            Token t = Make(kTokFloat);
            t.f = f;
            return t;
        }
        Token t = Make(kTokInt);
        std::memcpy(&t.u, lx->data + c.pos, 4);
        c.pos += 4;
        t.f = float(t.u);
        return t;
    }
    for (;;) {
        if (c.pos >= lx->size) return Make(kTokEnd);
        if (lx->size - c.pos < 2) return Error(lx, "truncated token");
        uint16_t code = uint16_t(lx->data[c.pos] | (lx->data[c.pos + 1] << 8));
        c.pos += 2;
        switch (code) {
        case kBinName:
        case kBinString: {
            uint32_t len;
            if (!Read32(lx, &len) || len > lx->size - c.pos) return Error(lx, "truncated name");
            Token t = Make(code == kBinName ? kTokName : kTokString);
            t.text = reinterpret_cast<const char*>(lx->data + c.pos);
            t.len = len;
            c.pos += len;
            return t;
        }
        case kBinInteger: {
            Token t = Make(kTokInt);
            if (!Read32(lx, &t.u)) return Error(lx, "truncated integer");
            t.f = float(t.u);
            return t;
        }
        case kBinGuid:
            if (lx->size - c.pos < 16) return Error(lx, "truncated GUID");
            c.pos += 16;
            return Make(kTokGuid);
        case kBinIntegerList:
        case kBinFloatList: {
            uint32_t count;
            if (!Read32(lx, &count)) return Error(lx, "truncated list");
            bool isFloat = code == kBinFloatList;
            uint64_t bytes = uint64_t(count) * ((isFloat && lx->doubles) ? 8 : 4);
            if (bytes > lx->size - c.pos) return Error(lx, "list runs past the end of the file");
            if (count == 0) continue;
            c.listLeft = count;
            c.listFloat = isFloat;
            return NextBinary(lx);
        }
        case kBinOBrace: return Make(kTokOBrace);
        case kBinCBrace: return Make(kTokCBrace);
        case kBinComma:
        case kBinSemicolon: return Make(kTokSep);
        case kBinTemplate: return Make(kTokTemplate);
        default:
            if ((code >= 12 && code <= 18) || (code >= 40 && code <= 52)) return Make(kTokOther);
            return Error(lx, "unknown binary token");
        }
    }
}

}  // namespace

void LexerInit(Lexer* lx, const uint8_t* body, size_t size, bool binary, bool doubles) {
    lx->data = body;
    lx->size = size;
    lx->binary = binary;
    lx->doubles = doubles;
    lx->compressed = false;
    lx->cur = Cursor{0, 0, false};
    lx->budget = 32ull * size + (1u << 20);
    lx->error.clear();
    lx->errorPos = 0;
}

Token Next(Lexer* lx) {
    if (!lx->error.empty()) return Make(kTokError);
    if (lx->budget == 0) return Error(lx, "file too complex (references go round in circles?)");
    --lx->budget;
    return lx->binary ? NextBinary(lx) : NextText(lx);
}

Token Peek(Lexer* lx) {
    Cursor saved = lx->cur;
    Token t = Next(lx);
    if (t.kind != kTokError) lx->cur = saved;
    return t;
}

bool Fail(Lexer* lx, const char* what) {
    if (lx->error.empty()) {
        lx->error = what;
        lx->errorPos = lx->cur.pos;
    }
    return false;
}

std::string Describe(const Lexer& lx) {
    std::string where;
    if (lx.compressed) {
        where = "byte " + std::to_string(lx.errorPos) + " of the decompressed data";
    } else if (lx.binary) {
        where = "byte " + std::to_string(lx.errorPos + 16);
    } else {
        size_t line = 1;
        for (size_t i = 0; i < lx.errorPos && i < lx.size; ++i) line += lx.data[i] == '\n';
        where = "line " + std::to_string(line);
    }
    return where + ": " + lx.error;
}

bool NameIs(const Token& t, const char* name) {
    size_t n = std::strlen(name);
    return t.kind == kTokName && t.len == n && strncasecmp(t.text, name, n) == 0;
}

}  // namespace xfile

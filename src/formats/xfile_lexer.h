// Token stream of a .x file body, text or binary. Internal to the .x reader.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace xfile {

enum TokKind : uint8_t {
    kTokEnd,       // end of data
    kTokError,     // malformed data; Lexer::error says why
    kTokName,      // identifier
    kTokString,    // quoted string (text) or TOKEN_STRING (binary)
    kTokInt,       // unsigned 32-bit integer
    kTokFloat,     // real number
    kTokGuid,      // <xxxxxxxx-...> or a binary GUID
    kTokOBrace,    // {
    kTokCBrace,    // }
    kTokSep,       // ; or ,
    kTokTemplate,  // the keyword "template"
    kTokOther,     // any other punctuation or template keyword
};

struct Token {
    TokKind kind;
    uint32_t u;        // kTokInt
    float f;           // kTokFloat, and kTokInt converted
    const char* text;  // kTokName, kTokString (not terminated)
    uint32_t len;
};

// Where the lexer stands; saving and restoring it re-reads from there.
struct Cursor {
    size_t pos;
    uint32_t listLeft;  // binary: values left in the current number list
    bool listFloat;
};

struct Lexer {
    const uint8_t* data;
    size_t size;
    bool binary;
    bool doubles;     // binary floats are 64-bit
    bool compressed;  // data is the inflated body of an MSZip file
    Cursor cur;
    // Tokens that may still be read in all (re-reads included): a file that
    // makes the reader go round in circles runs out instead of hanging.
    uint64_t budget;
    std::string error;
    size_t errorPos;
};

void LexerInit(Lexer* lx, const uint8_t* body, size_t size, bool binary, bool doubles);
Token Next(Lexer* lx);
Token Peek(Lexer* lx);
// Sets the error (the first one wins) and returns false.
bool Fail(Lexer* lx, const char* what);
// "line 12: what" for text, "byte 345: what" for binary.
std::string Describe(const Lexer& lx);

// Case-insensitive comparison of a name token with a template name.
bool NameIs(const Token& t, const char* name);

}  // namespace xfile

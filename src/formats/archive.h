// The resource archive: a flat run of named entries, names and data scrambled
// by XOR with the byte position.
#pragma once
#include <cstdint>

struct Texture;

// The plain bytes of the first entry named exactly `name`, allocated with new[]
// (the caller delete[]s them), or false when the entry is missing, the archive
// cannot be opened or is damaged. Shows no message.
bool ReadArchiveEntry(const char* archivePath, const char* name, uint8_t** data, uint32_t* size);
// XOR each byte with its position (mod 256); applying it twice gives the plain bytes.
void ScrambleBytes(uint8_t* bytes, uint32_t size);
// 1 when the texture was created into *slot; a missing entry shows the image message and quits.
int LoadTextureFromArchive(const char* archivePath, const char* name, Texture** slot);

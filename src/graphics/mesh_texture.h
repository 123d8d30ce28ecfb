// Where the texture a mesh material names is found on disk.
#pragma once
#include <string>

// The file for texture `name` (as stored in a mesh) under `dir`, or "" when
// there is none. Names come from Windows tools: backslashes are separators,
// and a name with folders, even an absolute "C:\..." one, that does not exist
// under `dir` is looked for by its last component in `dir` itself, also
// ignoring case as Windows does. Any length is fine.
std::string FindMeshTexture(const char* dir, const char* name);

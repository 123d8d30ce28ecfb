// Textures and meshes looked up by name in a resource archive: what the
// lookups do when the entry is missing.
#pragma once

struct Texture;

// 1 when the texture was created into *slot; a missing entry shows the image message and quits.
int LoadTextureFromArchive(const char* archivePath, const char* name, Texture** slot);

// The not-found message of a lookup: `format` holds one %s for the wanted name
// ("データ\"%s\"が見つかりませんでした" for meshes). Shows it with no caption and
// posts the quit request.
void ShowMissingEntryMessage(const char* format, const char* name);

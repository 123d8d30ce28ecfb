// Textures looked up by name in a resource archive.
#pragma once

struct Texture;

// 1 when the texture was created into *slot; a missing entry shows the image message and quits.
int LoadTextureFromArchive(const char* archivePath, const char* name, Texture** slot);

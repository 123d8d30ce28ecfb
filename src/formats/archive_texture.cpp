// Textures straight out of the image archive.
#include <climits>

#include "formats/archive.h"
#include "graphics/sprite.h"

int LoadTextureFromArchive(const char* archivePath, const char* name, Texture** slot) {
    uint8_t* bytes = nullptr;
    uint32_t size = 0;
    if (!ReadArchiveEntry(archivePath, name, &bytes, &size)) {
        ShowMissingEntryMessage("画像\"%s\"が見つかりませんでした", name);
        return 0;
    }
    Texture* texture = size <= uint32_t(INT_MAX) ? CreateTextureFromMemory(bytes, int(size)) : nullptr;
    delete[] bytes;
    // A refused image shows no message; the slot keeps what it had (nothing, at load).
    if (!texture) return 0;
    if (*slot && *slot != texture) ReleaseTexture(*slot);
    *slot = texture;
    return 1;
}

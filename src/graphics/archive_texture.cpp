// Textures straight out of the image archive.
#include "graphics/archive_texture.h"

#include <climits>

#include "formats/archive.h"
#include "graphics/image_prefetch.h"
#include "graphics/sprite.h"
#include "platform/image.h"
#include "platform/messages.h"

int LoadTextureFromArchive(const char* archivePath, const char* name, Texture** slot) {
    Texture* texture = nullptr;
    int w = 0, h = 0;
    uint8_t* rgba = nullptr;
    if (TakePrefetchedImage(archivePath, name, &w, &h, &rgba)) {
        // Decoded ahead on the prefetch thread: only the upload is left.
        texture = CreateTextureFromPixels(w, h, rgba);
        FreeImage(rgba);
    } else {
        uint8_t* bytes = nullptr;
        uint32_t size = 0;
        if (!ReadArchiveEntry(archivePath, name, &bytes, &size)) {
            ShowFatal(MsgImageMissing, name);
            return 0;
        }
        texture = size <= uint32_t(INT_MAX) ? CreateTextureFromMemory(bytes, int(size)) : nullptr;
        delete[] bytes;
    }
    // A refused image shows no message; the slot keeps what it had (nothing, at load).
    if (!texture) return 0;
    if (*slot && *slot != texture) ReleaseTexture(*slot);
    *slot = texture;
    return 1;
}

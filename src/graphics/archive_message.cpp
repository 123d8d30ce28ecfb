// The not-found message shared by the texture and mesh lookups.
#include <cstdio>

#include "graphics/archive_texture.h"
#include "platform/system.h"

void ShowMissingEntryMessage(const char* format, const char* name) {
    char text[512];
    std::snprintf(text, sizeof text, format, name);
    // No owner window and no caption text; the game ends at the loop's next turn.
    ShowMessageBox(text, nullptr);
    PostQuit(0);
}

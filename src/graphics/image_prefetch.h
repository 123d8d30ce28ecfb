// The game's images read and decoded ahead of need, on a thread of their
// own: the start-up scene asks for the images the loading scene will load,
// and they are decoded while the window, the render device and the sound
// come up, instead of one after another in the loading frame.
#pragma once
#include <cstdint>

// Starts decoding, in the order given, the named entries of the image
// archive (names are copied; at most kPrefetchImages). Whatever an earlier
// call left untaken is dropped first.
constexpr int kPrefetchImages = 64;
void PrefetchArchiveImages(const char* archivePath, const char* const* names, int count);

// The decoded pixels of a prefetched entry (RGBA8, rows top to bottom; free
// them with FreeImage), waiting for the decoding thread if it has not got
// there yet. False when the entry was not asked for, was already taken, or
// did not read or decode: the caller then loads it the plain way, which
// also reports the failure as it always does.
bool TakePrefetchedImage(const char* archivePath, const char* name, int* width, int* height,
                         uint8_t** rgba);

// Waits for the decoding thread and drops whatever was not taken.
void StopPrefetch();

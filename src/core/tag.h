// Tags: the 8-byte text names of actors, shots, effects and stage objects.
// Kinds are chosen by substring tests on them, in a fixed order per use,
// never by a number.
#pragma once
#include <cstring>

constexpr int kTagBytes = 8;
// Tag lines are cut to the 7 characters the 8-byte name holds.
constexpr int kMaxTagLength = kTagBytes - 1;

inline bool TagHas(const char* name, const char* tag) { return std::strstr(name, tag) != nullptr; }

// At most 7 characters of src; the rest of the 8 bytes are zero.
inline void CopyTag(char* dst, const char* src) {
    std::strncpy(dst, src, kMaxTagLength);
    dst[kMaxTagLength] = '\0';
}

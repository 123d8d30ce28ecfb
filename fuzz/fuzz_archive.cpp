// The archive reader on arbitrary bytes: the walk over every entry, and a
// lookup of the first entry's name as stored in the input (the match path).
// fuzz-sources: src/formats/archive.cpp src/core/regular_file.cpp
// fuzz-args: -max_len=4096
#include <cstdlib>
#include <cstring>

#include "formats/archive.h"
#include "fuzz_stream.h"

namespace {
bool Visit(const char* name, uint32_t nameLength, uint32_t size, void* context) {
    if (std::strlen(name) > nameLength || nameLength < 1 || nameLength > kArchiveNameMax) std::abort();
    if (size > *static_cast<size_t*>(context)) std::abort();  // never more than the file
    return true;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzStream stream(data, size);
    size_t fileSize = size;
    ScanArchiveFrom(stream.File(), Visit, &fileSize);
    // The first entry's name, unscrambled straight from the input.
    char name[kArchiveNameMax + 1] = "missing.png";
    if (size >= 4) {
        const uint32_t length = data[0] | data[1] << 8 | data[2] << 16 | uint32_t(data[3]) << 24;
        if (length >= 1 && length <= kArchiveNameMax && size >= 4 + length) {
            for (uint32_t i = 0; i < length; ++i) name[i] = char(data[4 + i] ^ uint8_t(i));
            name[length] = '\0';
        }
    }
    uint8_t* bytes = nullptr;
    uint32_t length = 0;
    if (ReadArchiveEntryFrom(stream.File(), name, &bytes, &length)) {
        if (length > size) std::abort();
        delete[] bytes;
    }
    return 0;
}

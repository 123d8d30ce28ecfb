// The resource archive: a flat run of named entries, names and data scrambled
// by XOR with the byte position.
//
// Entry layout, all integers unsigned 32-bit little-endian, no header or index:
//   nameLength (1..63) | name (scrambled, no terminator) | dataSize | data (scrambled)
#pragma once
#include <cstdint>
#include <cstdio>

constexpr uint32_t kArchiveNameMax = 63;
// ReadArchiveEntry refuses a larger entry as if the archive were damaged: a
// 4096 x 4096 image of 32 bits per pixel, uncompressed, fits with room for
// its headers, and no mesh may be larger than 32 MB.
constexpr uint32_t kArchiveEntryMaxBytes = 72u << 20;

// The plain bytes of the first entry named exactly `name`, allocated with new[]
// (the caller delete[]s them), or false when the entry is missing, the archive
// cannot be opened (not a regular file) or is damaged, or the entry is larger
// than kArchiveEntryMaxBytes. Shows no message.
bool ReadArchiveEntry(const char* archivePath, const char* name, uint8_t** data, uint32_t* size);
// XOR each byte with its position (mod 256); applying it twice gives the plain bytes.
void ScrambleBytes(uint8_t* bytes, uint32_t size);

enum class ArchiveScan {
    Complete,    // every entry visited up to the end of the file
    Stopped,     // the visitor asked to stop
    CannotOpen,  // the file could not be opened
    Damaged,     // a bad name length, a cut entry, or data running past the end of the file
};

// Visits the entries in file order with their plain names (terminated, and
// with their length, since a damaged name may hold a zero byte) and data
// sizes; the data itself is skipped. The visitor returns false to stop.
ArchiveScan ScanArchive(const char* archivePath,
                        bool (*visit)(const char* name, uint32_t nameLength, uint32_t size, void* context),
                        void* context);

// The same two on an archive already open (read from its first byte; the
// stream is left open). Used by the fuzzers on in-memory archives.
bool ReadArchiveEntryFrom(std::FILE* archive, const char* name, uint8_t** data, uint32_t* size);
ArchiveScan ScanArchiveFrom(std::FILE* archive,
                            bool (*visit)(const char* name, uint32_t nameLength, uint32_t size, void* context),
                            void* context);

enum class EntryCopy { Copied, Missing, CannotOpen, Damaged, WriteFailed };
// Streams the plain data of the first entry named exactly `name` into `out`
// a block at a time, so an entry of any size needs no more memory than that.
EntryCopy CopyArchiveEntry(const char* archivePath, const char* name, std::FILE* out);

// Appends one entry to an archive being written. False when the name is empty
// or longer than kArchiveNameMax bytes (nothing is written then) or a write fails.
bool WriteArchiveEntry(std::FILE* out, const char* name, const uint8_t* data, uint32_t size);
// The same with the data streamed from `in`, which must hold exactly `size`
// more bytes (false otherwise, or when a read or write fails).
bool WriteArchiveEntryFrom(std::FILE* out, const char* name, std::FILE* in, uint32_t size);

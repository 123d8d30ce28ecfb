// Reading and writing the scrambled resource archive. Pure file work: no
// device, no messages, so the tools and the fuzzers can use it as it is.
#include "formats/archive.h"

#include <sys/types.h>

#include "core/regular_file.h"

#include <cstring>
#include <new>
#include <vector>

namespace {

bool ReadU32(std::FILE* f, uint32_t* out) {
    uint8_t b[4];
    if (std::fread(b, 1, 4, f) != 4) return false;
    *out = uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
    return true;
}

bool WriteU32(std::FILE* f, uint32_t v) {
    const uint8_t b[4] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
    return std::fwrite(b, 1, 4, f) == 4;
}

// What the walker is told about an entry whose header has been read; the file
// stands at the first data byte.
struct EntryHeader {
    char name[kArchiveNameMax + 1];
    uint32_t nameLength;
    uint32_t dataSize;
};

enum class Step { Skip, Done, Stop };

// Walks the entries from the first byte of the file. Every length is checked
// against what is left of the file before it is used, so a damaged archive can
// neither make us read a name past the 64-byte buffer nor allocate more than the
// file holds. `onEntry` either lets the walker skip the data, or consumes it
// itself and ends the walk.
template <typename OnEntry>
ArchiveScan WalkArchive(std::FILE* f, OnEntry onEntry) {
    off_t fileSize = -1;
    if (fseeko(f, 0, SEEK_END) == 0) fileSize = ftello(f);
    if (fileSize < 0 || fseeko(f, 0, SEEK_SET) != 0) return ArchiveScan::CannotOpen;
    off_t pos = 0;
    while (pos < fileSize) {
        EntryHeader h;
        if (fileSize - pos < 8 || !ReadU32(f, &h.nameLength) || h.nameLength == 0 ||
            h.nameLength > kArchiveNameMax || fileSize - pos - 8 < off_t(h.nameLength))
            return ArchiveScan::Damaged;
        if (std::fread(h.name, 1, h.nameLength, f) != h.nameLength || !ReadU32(f, &h.dataSize))
            return ArchiveScan::Damaged;
        pos += 8 + off_t(h.nameLength);
        if (off_t(h.dataSize) > fileSize - pos) return ArchiveScan::Damaged;
        ScrambleBytes(reinterpret_cast<uint8_t*>(h.name), h.nameLength);
        h.name[h.nameLength] = '\0';
        const Step step = onEntry(h, f);
        if (step == Step::Done) return ArchiveScan::Complete;
        if (step == Step::Stop) return ArchiveScan::Stopped;
        pos += off_t(h.dataSize);
        if (fseeko(f, pos, SEEK_SET) != 0) return ArchiveScan::Damaged;
    }
    return ArchiveScan::Complete;
}

// Every lookup opens the file anew; nothing is cached between lookups.
template <typename Use>
auto WithArchive(const char* path, Use use) -> decltype(use(nullptr)) {
    // Regular files only (a FIFO would block the open, a device read for
    // ever); the walk checks every length against the file's size.
    std::FILE* f = OpenRegularStream(path, 0, nullptr);
    if (!f) return use(nullptr);
    const auto result = use(f);
    std::fclose(f);
    return result;
}

}  // namespace

void ScrambleBytes(uint8_t* bytes, uint32_t size) {
    for (uint32_t i = 0; i < size; ++i) bytes[i] ^= uint8_t(i & 0xFF);
}

bool ReadArchiveEntryFrom(std::FILE* archive, const char* name, uint8_t** data, uint32_t* size) {
    const size_t wantedLength = std::strlen(name);
    if (!archive || wantedLength == 0 || wantedLength > kArchiveNameMax) return false;
    uint8_t* found = nullptr;
    uint32_t foundSize = 0;
    bool ok = false;
    WalkArchive(archive, [&](const EntryHeader& h, std::FILE* f) {
        // Exact match only: same length and same bytes, case significant. The
        // first match in file order wins; later duplicates are never reached.
        if (h.nameLength != wantedLength || std::memcmp(h.name, name, wantedLength) != 0)
            return Step::Skip;
        if (h.dataSize > kArchiveEntryMaxBytes) return Step::Done;
        // +1 so that an empty entry still gets a buffer of its own to delete[].
        found = new (std::nothrow) uint8_t[size_t(h.dataSize) + 1];
        if (found && std::fread(found, 1, h.dataSize, f) == h.dataSize) {
            ScrambleBytes(found, h.dataSize);
            foundSize = h.dataSize;
            ok = true;
        } else {
            delete[] found;
            found = nullptr;
        }
        return Step::Done;
    });
    if (!ok) return false;
    *data = found;
    *size = foundSize;
    return true;
}

bool ReadArchiveEntry(const char* archivePath, const char* name, uint8_t** data, uint32_t* size) {
    return WithArchive(archivePath,
                       [&](std::FILE* f) { return ReadArchiveEntryFrom(f, name, data, size); });
}

ArchiveScan ScanArchiveFrom(std::FILE* archive,
                            bool (*visit)(const char* name, uint32_t nameLength, uint32_t size, void* context),
                            void* context) {
    if (!archive) return ArchiveScan::CannotOpen;
    return WalkArchive(archive, [&](const EntryHeader& h, std::FILE*) {
        return visit(h.name, h.nameLength, h.dataSize, context) ? Step::Skip : Step::Stop;
    });
}

ArchiveScan ScanArchive(const char* archivePath,
                        bool (*visit)(const char* name, uint32_t nameLength, uint32_t size, void* context),
                        void* context) {
    return WithArchive(archivePath,
                       [&](std::FILE* f) { return ScanArchiveFrom(f, visit, context); });
}

EntryCopy CopyArchiveEntry(const char* archivePath, const char* name, std::FILE* out) {
    const size_t wantedLength = std::strlen(name);
    if (wantedLength == 0 || wantedLength > kArchiveNameMax) return EntryCopy::Missing;
    return WithArchive(archivePath, [&](std::FILE* f) {
        if (!f) return EntryCopy::CannotOpen;
        EntryCopy result = EntryCopy::Missing;
        const ArchiveScan scan = WalkArchive(f, [&](const EntryHeader& h, std::FILE* in) {
            if (h.nameLength != wantedLength || std::memcmp(h.name, name, wantedLength) != 0)
                return Step::Skip;
            // Blocks of a multiple of 256 bytes: each starts where the
            // scramble byte is 0 again.
            std::vector<uint8_t> block(1 << 16);
            result = EntryCopy::Copied;
            for (uint32_t done = 0; done < h.dataSize && result == EntryCopy::Copied;) {
                const uint32_t n = h.dataSize - done < block.size() ? h.dataSize - done : uint32_t(block.size());
                if (std::fread(block.data(), 1, n, in) != n) {
                    result = EntryCopy::Damaged;
                    break;
                }
                ScrambleBytes(block.data(), n);
                if (std::fwrite(block.data(), 1, n, out) != n) result = EntryCopy::WriteFailed;
                done += n;
            }
            return Step::Done;
        });
        return scan == ArchiveScan::Damaged && result == EntryCopy::Missing ? EntryCopy::Damaged : result;
    });
}

namespace {

bool WriteEntryHeader(std::FILE* out, const char* name, uint32_t size) {
    const size_t length = std::strlen(name);
    if (length == 0 || length > kArchiveNameMax) return false;
    uint8_t scrambled[kArchiveNameMax];
    std::memcpy(scrambled, name, length);
    ScrambleBytes(scrambled, uint32_t(length));
    return WriteU32(out, uint32_t(length)) && std::fwrite(scrambled, 1, length, out) == length &&
           WriteU32(out, size);
}

// The data in chunks of a multiple of 256 bytes, so that every chunk starts
// at a position whose scramble byte is 0 again; `fill` supplies each chunk.
template <typename Fill>
bool WriteEntryData(std::FILE* out, uint32_t size, Fill fill) {
    uint8_t chunk[4096];
    for (uint32_t done = 0; done < size;) {
        const uint32_t n = size - done < sizeof chunk ? size - done : uint32_t(sizeof chunk);
        if (!fill(chunk, done, n)) return false;
        ScrambleBytes(chunk, n);
        if (std::fwrite(chunk, 1, n, out) != n) return false;
        done += n;
    }
    return true;
}

}  // namespace

bool WriteArchiveEntry(std::FILE* out, const char* name, const uint8_t* data, uint32_t size) {
    return WriteEntryHeader(out, name, size) && WriteEntryData(out, size, [&](uint8_t* chunk, uint32_t at, uint32_t n) {
               std::memcpy(chunk, data + at, n);
               return true;
           });
}

bool WriteArchiveEntryFrom(std::FILE* out, const char* name, std::FILE* in, uint32_t size) {
    if (!WriteEntryHeader(out, name, size) ||
        !WriteEntryData(out, size, [&](uint8_t* chunk, uint32_t, uint32_t n) { return std::fread(chunk, 1, n, in) == n; }))
        return false;
    return std::fgetc(in) == EOF;  // the file grew while it was packed
}

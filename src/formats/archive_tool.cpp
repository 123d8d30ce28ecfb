#include "formats/archive_tool.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "formats/archive.h"

namespace {

const char* BaseName(const char* path) {
    const char* slash = std::strrchr(path, '/');
    return slash ? slash + 1 : path;
}

bool ReadWholeFile(const char* path, std::vector<uint8_t>* bytes, std::FILE* err) {
    std::FILE* f = std::fopen(path, "rb");
    if (!f) {
        std::fprintf(err, "arx: cannot open %s: %s\n", path, std::strerror(errno));
        return false;
    }
    bytes->clear();
    uint8_t chunk[65536];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) {
        if (bytes->size() + n > UINT32_MAX) {
            std::fprintf(err, "arx: %s is larger than an entry can hold (4 GiB)\n", path);
            std::fclose(f);
            return false;
        }
        bytes->insert(bytes->end(), chunk, chunk + n);
    }
    const bool failed = std::ferror(f);
    std::fclose(f);
    if (failed) std::fprintf(err, "arx: cannot read %s\n", path);
    return !failed;
}

int Pack(const char* outPath, int fileCount, char** files, std::FILE* err) {
    // Check every name before writing anything.
    for (int i = 0; i < fileCount; ++i) {
        const size_t length = std::strlen(BaseName(files[i]));
        if (length == 0 || length > kArchiveNameMax) {
            std::fprintf(err, "arx: entry name of %s must be 1 to %u bytes long\n", files[i],
                         unsigned(kArchiveNameMax));
            return 1;
        }
        for (int j = 0; j < i; ++j) {
            if (std::strcmp(BaseName(files[j]), BaseName(files[i])) == 0)
                std::fprintf(err, "arx: warning: %s has the same name as %s; the game only ever "
                             "finds the first\n", files[i], files[j]);
        }
    }
    // Written beside the target and renamed at the end, so a failed pack never
    // leaves a half archive behind under the real name.
    const std::string tempPath = std::string(outPath) + ".tmp";
    std::FILE* out = std::fopen(tempPath.c_str(), "wb");
    if (!out) {
        std::fprintf(err, "arx: cannot create %s: %s\n", tempPath.c_str(), std::strerror(errno));
        return 1;
    }
    std::vector<uint8_t> bytes;
    bool ok = true;
    for (int i = 0; i < fileCount && ok; ++i) {
        ok = ReadWholeFile(files[i], &bytes, err);
        if (ok && !WriteArchiveEntry(out, BaseName(files[i]), bytes.data(), uint32_t(bytes.size()))) {
            std::fprintf(err, "arx: cannot write %s\n", tempPath.c_str());
            ok = false;
        }
    }
    if (std::fclose(out) != 0 && ok) {
        std::fprintf(err, "arx: cannot write %s\n", tempPath.c_str());
        ok = false;
    }
    if (ok && std::rename(tempPath.c_str(), outPath) != 0) {
        std::fprintf(err, "arx: cannot rename %s to %s: %s\n", tempPath.c_str(), outPath,
                     std::strerror(errno));
        ok = false;
    }
    if (!ok) std::remove(tempPath.c_str());
    return ok ? 0 : 1;
}

struct ListState {
    std::FILE* out;
    int count;
};

bool PrintEntry(const char* name, uint32_t size, void* context) {
    auto* state = static_cast<ListState*>(context);
    std::fprintf(state->out, "%s\t%u\n", name, unsigned(size));
    ++state->count;
    return true;
}

// Says why an archive gave nothing; true when it was readable to its end.
bool ReportScan(ArchiveScan scan, const char* path, int entries, std::FILE* err) {
    if (scan == ArchiveScan::CannotOpen) {
        std::fprintf(err, "arx: cannot open %s\n", path);
        return false;
    }
    if (scan == ArchiveScan::Damaged) {
        std::fprintf(err, "arx: %s is damaged after entry %d\n", path, entries);
        return false;
    }
    return true;
}

int List(const char* path, std::FILE* out, std::FILE* err) {
    ListState state{out, 0};
    return ReportScan(ScanArchive(path, PrintEntry, &state), path, state.count, err) ? 0 : 1;
}

int Extract(const char* path, const char* name, const char* outPath, std::FILE* err) {
    uint8_t* data = nullptr;
    uint32_t size = 0;
    if (!ReadArchiveEntry(path, name, &data, &size)) {
        ListState counter{nullptr, 0};
        auto count = [](const char*, uint32_t, void* c) {
            ++static_cast<ListState*>(c)->count;
            return true;
        };
        if (ReportScan(ScanArchive(path, count, &counter), path, counter.count, err))
            std::fprintf(err, "arx: %s holds no entry named \"%s\"\n", path, name);
        return 1;
    }
    std::FILE* out = std::fopen(outPath, "wb");
    bool ok = out && std::fwrite(data, 1, size, out) == size;
    if (out && std::fclose(out) != 0) ok = false;
    delete[] data;
    if (!ok) {
        std::fprintf(err, "arx: cannot write %s\n", outPath);
        return 1;
    }
    return 0;
}

void Usage(std::FILE* err) {
    std::fprintf(err,
                 "usage: arx pack OUT.arx FILE...        pack files (entry name = base name)\n"
                 "       arx list ARCHIVE                one line per entry: name, tab, size\n"
                 "       arx extract ARCHIVE NAME OUTFILE\n");
}

}  // namespace

int ArchiveToolMain(int argc, char** argv, std::FILE* out, std::FILE* err) {
    if (argc >= 3 && std::strcmp(argv[1], "pack") == 0) return Pack(argv[2], argc - 3, argv + 3, err);
    if (argc == 3 && std::strcmp(argv[1], "list") == 0) return List(argv[2], out, err);
    if (argc == 5 && std::strcmp(argv[1], "extract") == 0)
        return Extract(argv[2], argv[3], argv[4], err);
    Usage(err);
    return 2;
}

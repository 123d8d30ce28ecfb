#include "formats/archive_tool.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string>

#include "core/regular_file.h"
#include "formats/archive.h"

namespace {

const char* BaseName(const char* path) {
    const char* slash = std::strrchr(path, '/');
    return slash ? slash + 1 : path;
}

// A name as it may be printed: control characters (a damaged archive's
// names can hold any byte) as \xNN, and the backslash doubled so that the
// escapes are never ambiguous.
std::string Printable(const char* name, size_t length) {
    std::string out;
    for (size_t i = 0; i < length; ++i) {
        const unsigned char c = static_cast<unsigned char>(name[i]);
        if (c < 0x20 || c == 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02x", c);
            out += hex;
        } else if (c == '\\') {
            out += "\\\\";
        } else {
            out += char(c);
        }
    }
    return out;
}

std::string Printable(const char* name) { return Printable(name, std::strlen(name)); }

// One input file into the archive, streamed: regular files only, at most
// 4 GiB (an entry's size is a 32-bit number).
bool PackFile(std::FILE* out, const char* path, const std::string& tempPath, std::FILE* err) {
    FileProblem problem;
    std::FILE* in = OpenRegularStream(path, UINT32_MAX, &problem);
    if (!in) {
        if (problem.status == FileStatus::TooLarge)
            std::fprintf(err, "arx: %s is larger than an entry can hold (4 GiB)\n", path);
        else
            std::fprintf(err, "arx: cannot open %s: %s\n", path, FileProblemText(problem).c_str());
        return false;
    }
    struct stat st;
    const bool sized = fstat(fileno(in), &st) == 0;
    const bool ok = sized && WriteArchiveEntryFrom(out, BaseName(path), in, uint32_t(st.st_size));
    const bool readFailed = std::ferror(in) != 0;
    std::fclose(in);
    if (!ok) {
        if (readFailed || !sized)
            std::fprintf(err, "arx: cannot read %s\n", path);
        else
            std::fprintf(err, "arx: cannot write %s (or %s changed while it was packed)\n", tempPath.c_str(), path);
    }
    return ok;
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
    bool ok = true;
    for (int i = 0; i < fileCount && ok; ++i) ok = PackFile(out, files[i], tempPath, err);
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

bool PrintEntry(const char* name, uint32_t nameLength, uint32_t size, void* context) {
    auto* state = static_cast<ListState*>(context);
    std::fprintf(state->out, "%s\t%u\n", Printable(name, nameLength).c_str(), unsigned(size));
    ++state->count;
    return true;
}

// Says why an archive gave nothing; true when it was readable to its end.
bool ReportScan(ArchiveScan scan, const char* path, int entries, std::FILE* err) {
    if (scan == ArchiveScan::CannotOpen) {
        FileProblem problem;
        const int fd = OpenRegularFile(path, &problem);
        if (fd >= 0) close(fd);
        std::fprintf(err, "arx: cannot open %s: %s\n", path, FileProblemText(problem).c_str());
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
    // The count is read once the scan has run.
    const ArchiveScan scan = ScanArchive(path, PrintEntry, &state);
    return ReportScan(scan, path, state.count, err) ? 0 : 1;
}

// Streamed a block at a time: an entry of gigabytes needs no more memory.
int Extract(const char* path, const char* name, const char* outPath, std::FILE* err) {
    // Where the entry is (and whether the archive is sound up to it) before
    // anything is written.
    struct Find {
        const char* name;
        int before;
        bool found;
    } find{name, 0, false};
    auto look = [](const char* entry, uint32_t length, uint32_t, void* c) {
        Find* f = static_cast<Find*>(c);
        f->found = std::strlen(f->name) == length && std::memcmp(entry, f->name, length) == 0;
        if (!f->found) ++f->before;
        return !f->found;
    };
    const ArchiveScan scan = ScanArchive(path, look, &find);
    if (!find.found) {
        if (ReportScan(scan, path, find.before, err))
            std::fprintf(err, "arx: %s holds no entry named \"%s\"\n", path, Printable(name).c_str());
        return 1;
    }
    std::FILE* out = std::fopen(outPath, "wb");
    if (!out) {
        std::fprintf(err, "arx: cannot write %s: %s\n", outPath, std::strerror(errno));
        return 1;
    }
    EntryCopy copy = CopyArchiveEntry(path, name, out);
    if (std::fclose(out) != 0 && copy == EntryCopy::Copied) copy = EntryCopy::WriteFailed;
    if (copy == EntryCopy::Copied) return 0;
    std::remove(outPath);  // never half an entry under its name
    if (copy == EntryCopy::WriteFailed)
        std::fprintf(err, "arx: cannot write %s\n", outPath);
    else
        std::fprintf(err, "arx: %s is damaged in entry %d (\"%s\")\n", path, find.before + 1,
                     Printable(name).c_str());
    return 1;
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

// The hiscore table and its file. Each record hides one entry among filler
// words: 20 fillers, the 4 name bytes, 30 fillers, then score + 999 * i, all
// 32-bit little-endian, so the file does not read as a plain table.
#include "formats/hiscore.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "core/random.h"
#include "core/regular_file.h"

HiscoreEntry HiscoreTable[kHiscoreEntries];

namespace {

constexpr size_t kNameOffset = 80;
constexpr size_t kScoreOffset = 204;
constexpr int kFillersBeforeName = 20;
constexpr int kFillersAfterName = 30;
constexpr uint32_t kScoreStep = 999;

void PutU32(uint8_t* out, uint32_t v) {
    out[0] = uint8_t(v);
    out[1] = uint8_t(v >> 8);
    out[2] = uint8_t(v >> 16);
    out[3] = uint8_t(v >> 24);
}

uint32_t GetU32(const uint8_t* in) {
    return uint32_t(in[0]) | uint32_t(in[1]) << 8 | uint32_t(in[2]) << 16 | uint32_t(in[3]) << 24;
}

// The offset is added and taken away modulo 2^32, so any stored word reads
// back without overflow.
int32_t StoredScore(int32_t score, int i) { return int32_t(uint32_t(score) + kScoreStep * uint32_t(i)); }
int32_t PlainScore(uint32_t stored, int i) { return int32_t(stored - kScoreStep * uint32_t(i)); }

// Copies a name the way a zero-terminated string copy does (bytes after the
// terminator keep what they held), but never more than three letters.
void CopyName(char* to, const char* from) {
    int i = 0;
    for (; i < 3 && from[i] != '\0'; ++i) to[i] = from[i];
    to[i] = '\0';
}

// One record, fillers drawn at the moment they are laid down.
void BuildRecord(uint8_t* record, const HiscoreEntry& entry, int i) {
    uint8_t* p = record;
    for (int k = 0; k < kFillersBeforeName; ++k, p += 4) PutU32(p, uint32_t(RandomRange(99999, 0)));
    for (int k = 0; k < 4; ++k) *p++ = uint8_t(entry.name[k]);
    for (int k = 0; k < kFillersAfterName; ++k, p += 4) PutU32(p, uint32_t(RandomRange(99999, 0)));
    PutU32(p, uint32_t(StoredScore(entry.score, i)));
}

}  // namespace

int HiscoreRead(const char* path, HiscoreEntry* table, int count) {
    // Only the first 1872 bytes are ever read, so a long file needs no limit.
    std::FILE* f = OpenRegularStream(path, 0, nullptr);
    if (!f) return 0;
    HiscoreReadFrom(f, table, count);
    std::fclose(f);
    return 1;
}

void HiscoreReadFrom(std::FILE* file, HiscoreEntry* table, int count) {
    // The whole file in one read; anything past the 9 records is never looked at.
    uint8_t bytes[kHiscoreFileSize];
    const size_t length = std::fread(bytes, 1, sizeof bytes, file);
    if (count > kHiscoreEntries) count = kHiscoreEntries;
    for (int i = 0; i < count; ++i) {
        const size_t record = size_t(kHiscoreRecordSize) * i;
        // Each field is taken only when all its bytes are there: a short file
        // leaves the entries it no longer covers as they were.
        if (record + kNameOffset + 4 <= length) {
            for (int k = 0; k < 4; ++k) table[i].name[k] = char(bytes[record + kNameOffset + k]);
            table[i].name[3] = '\0';  // a damaged file must not leave a name without its end
        }
        if (record + kScoreOffset + 4 <= length)
            table[i].score = PlainScore(GetU32(bytes + record + kScoreOffset), i);
    }
}

namespace {

// The folder and the file name of a path.
void SplitPath(const std::string& path, std::string* folder, std::string* name) {
    const size_t slash = path.rfind('/');
    *folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
    *name = slash == std::string::npos ? path : path.substr(slash + 1);
}

// Whether `entry` is a temporary file a save of ours left behind: NAME.tmp
// (what saves wrote before each took a name of its own) or NAME.tmp.PID of
// a process that is gone, or of this one (a save runs to its end before the
// next starts). Only regular files of our own user count.
bool IsStaleTemp(int folder, const char* entry, const std::string& name) {
    const std::string prefix = name + ".tmp";
    if (std::strncmp(entry, prefix.c_str(), prefix.size()) != 0) return false;
    const char* rest = entry + prefix.size();
    if (*rest != '\0') {
        if (*rest++ != '.' || *rest == '\0') return false;
        long pid = 0;
        for (const char* p = rest; *p; ++p) {
            if (*p < '0' || *p > '9' || pid > 99999999) return false;
            pid = pid * 10 + (*p - '0');
        }
        if (pid <= 0) return false;
        if (pid != long(getpid()) && !(kill(pid_t(pid), 0) != 0 && errno == ESRCH)) return false;
    }
    struct stat st;
    return fstatat(folder, entry, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode) &&
           st.st_uid == geteuid();
}

void RemoveStaleTemps(const std::string& folderPath, const std::string& name) {
    DIR* folder = opendir(folderPath.c_str());
    if (!folder) return;
    while (const dirent* e = readdir(folder))
        if (IsStaleTemp(dirfd(folder), e->d_name, name)) unlinkat(dirfd(folder), e->d_name, 0);
    closedir(folder);
}

bool WriteAll(int fd, const uint8_t* bytes, size_t size) {
    while (size > 0) {
        const ssize_t n = write(fd, bytes, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes += n;
        size -= size_t(n);
    }
    return true;
}

void SyncFolder(const std::string& folderPath) {
    const int fd = open(folderPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    fsync(fd);
    close(fd);
}

bool CannotSave(const char* path, const std::string& why) {
    std::fprintf(stderr, "zorbat: %s: the hiscore table cannot be saved (%s); the file is left as it was\n",
                 path, why.c_str());
    return false;
}

}  // namespace

bool HiscoreWrite(const char* path, const HiscoreEntry* table) {
    // A file that is there but cannot be read is never replaced: it may hold
    // a table the player cannot see just now (a permission, a mount), and
    // the table in memory is not that one.
    FileProblem problem;
    const int existing = OpenRegularFile(path, &problem);
    if (existing >= 0) close(existing);
    if (existing < 0 && problem.status != FileStatus::Missing)
        return CannotSave(path, "the file there cannot be read: " + FileProblemText(problem));

    uint8_t bytes[kHiscoreFileSize];
    for (int i = 0; i < kHiscoreEntries; ++i) BuildRecord(bytes + kHiscoreRecordSize * i, table[i], i);
    // Written beside the old file under a name of this process's own and
    // renamed over it only once it is safely on disk: a full disk, a
    // read-only folder or a kill part-way never costs the old table. The
    // new file is made exclusively and never through a link, so nothing
    // planted at its name is written through.
    std::string folder, name;
    SplitPath(path, &folder, &name);
    RemoveStaleTemps(folder, name);
    const std::string temp = std::string(path) + ".tmp." + std::to_string(long(getpid()));
    const int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) return CannotSave(path, temp + ": " + std::strerror(errno));
    bool ok = WriteAll(fd, bytes, sizeof bytes);
    int error = ok ? 0 : (errno ? errno : EIO);
    if (ok && fsync(fd) != 0) ok = false, error = errno;
    if (close(fd) != 0 && ok) ok = false, error = errno;
    if (ok && std::rename(temp.c_str(), path) != 0) ok = false, error = errno;
    if (!ok) {
        unlink(temp.c_str());
        return CannotSave(path, std::strerror(error));
    }
    SyncFolder(folder);
    return true;
}

HiscoreFileCheck HiscoreEnsureFile(const char* path) {
    FileProblem problem;
    const int fd = OpenRegularFile(path, &problem);
    if (fd >= 0) {
        close(fd);
        std::string folder, name;
        SplitPath(path, &folder, &name);
        RemoveStaleTemps(folder, name);  // debris of a save that was killed
        return HiscoreFileCheck::Present;
    }
    // Only a file that is not there at all is made anew; anything else in its
    // place is kept as it is.
    if (problem.status == FileStatus::Missing)
        return HiscoreCreateDefault(path) ? HiscoreFileCheck::Created : HiscoreFileCheck::NotCreated;
    std::fprintf(stderr,
                 "zorbat: %s: the hiscore file cannot be read (%s); it is kept as it is and this "
                 "session's hiscores are not saved\n",
                 path, FileProblemText(problem).c_str());
    return HiscoreFileCheck::Unreadable;
}

void HiscoreDefaultTable(HiscoreEntry* table) {
    for (int i = 0; i < kHiscoreEntries; ++i) {
        table[i].name[0] = 'P';
        table[i].name[1] = 'X';
        table[i].name[2] = 'D';
        table[i].name[3] = '\0';
        table[i].score = (i / 3 + 1) * 3500 - 300 * i;
    }
}

bool HiscoreCreateDefault(const char* path) {
    HiscoreEntry table[kHiscoreEntries];
    HiscoreDefaultTable(table);
    return HiscoreWrite(path, table);
}

int HiscoreRank(int stage, int score, const HiscoreEntry* table) {
    constexpr int kUnranked = kHiscorePerStage + 1;
    if (stage < 1 || stage > kStageCount) return kUnranked;
    // Strictly greater only: on a tie the earlier holder keeps the place.
    for (int k = 0; k < kHiscorePerStage; ++k)
        if (table[kHiscorePerStage * (stage - 1) + k].score < score) return k + 1;
    return kUnranked;
}

void HiscoreInsert(int score, const char* name, int rank, int last, int stage, HiscoreEntry* table) {
    // Arguments that would reach outside the table are refused (the game only
    // ever passes last 2, stage 1..3 and a rank from HiscoreRank 1..3).
    if (last < 0 || last >= kHiscoreEntries || stage < 1 || stage > kHiscoreEntries || rank < 1 ||
        rank > last + 1)
        return;
    const int first = (stage - 1) * (last + 1);
    if (first + last >= kHiscoreEntries) return;
    HiscoreEntry* group = table + first;
    for (int j = last - 1; j >= rank - 1; --j) {
        CopyName(group[j + 1].name, group[j].name);
        group[j + 1].score = group[j].score;
    }
    CopyName(group[rank - 1].name, name);
    group[rank - 1].score = score;
}

#include "core/regular_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

int Fail(FileProblem* problem, FileStatus status, int error = 0, uint64_t limit = 0) {
    if (problem) *problem = FileProblem{status, error, limit};
    return -1;
}

// The descriptor and its size; -1 with *problem set.
int OpenSized(const char* path, uint64_t limit, uint64_t* size, FileProblem* problem) {
    if (problem) *problem = FileProblem{};
    if (!path) return Fail(problem, FileStatus::Missing, ENOENT);
    // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a
    // writer. It is cleared again below, before any read.
    const int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        const int e = errno;
        return Fail(problem, e == ENOENT ? FileStatus::Missing : FileStatus::Unreadable, e);
    }
    struct stat st;
    if (fstat(fd, &st) != 0) {
        const int e = errno;
        close(fd);
        return Fail(problem, FileStatus::Unreadable, e);
    }
    if (!S_ISREG(st.st_mode)) {
        close(fd);
        return Fail(problem, FileStatus::NotRegular);
    }
    if (limit > 0 && uint64_t(st.st_size) > limit) {
        close(fd);
        return Fail(problem, FileStatus::TooLarge, 0, limit);
    }
    const int flags = fcntl(fd, F_GETFL);
    if (flags < 0 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        const int e = errno;
        close(fd);
        return Fail(problem, FileStatus::Unreadable, e);
    }
    *size = uint64_t(st.st_size);
    return fd;
}

}  // namespace

std::string FileProblemText(const FileProblem& problem) {
    switch (problem.status) {
        case FileStatus::Ok: return "no problem";
        case FileStatus::Missing: return "no such file";
        case FileStatus::NotRegular: return "not a regular file";
        case FileStatus::TooLarge: return "larger than " + std::to_string(problem.limit) + " bytes";
        case FileStatus::Unreadable: break;
    }
    return problem.error ? std::strerror(problem.error) : "cannot be read";
}

int OpenRegularFile(const char* path, FileProblem* problem) {
    uint64_t size = 0;
    return OpenSized(path, 0, &size, problem);
}

std::FILE* OpenRegularStream(const char* path, uint64_t limit, FileProblem* problem) {
    uint64_t size = 0;
    const int fd = OpenSized(path, limit, &size, problem);
    if (fd < 0) return nullptr;
    std::FILE* f = fdopen(fd, "rb");
    if (!f) {
        const int e = errno;
        close(fd);
        Fail(problem, FileStatus::Unreadable, e);
    }
    return f;
}

bool ReadRegularFile(const char* path, size_t limit, std::vector<uint8_t>* bytes,
                     FileProblem* problem) {
    bytes->clear();
    uint64_t size = 0;
    const int fd = OpenSized(path, limit, &size, problem);
    if (fd < 0) return false;
    // The size is only a hint: the file may change while it is read, and it
    // is read to its end, but never past the limit.
    const size_t cap = limit > 0 ? limit : SIZE_MAX;
    bytes->reserve(size_t(size < cap ? size : cap));
    uint8_t block[65536];
    for (;;) {
        const ssize_t got = read(fd, block, sizeof block);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            const int e = errno;
            close(fd);
            bytes->clear();
            Fail(problem, FileStatus::Unreadable, e);
            return false;
        }
        if (got == 0) break;
        if (bytes->size() + size_t(got) > cap) {
            close(fd);
            bytes->clear();
            Fail(problem, FileStatus::TooLarge, 0, limit);
            return false;
        }
        bytes->insert(bytes->end(), block, block + got);
    }
    close(fd);
    return true;
}

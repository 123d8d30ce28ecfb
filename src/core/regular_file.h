// Opening the game's data files for reading: regular files only, and never
// more than a bounded size. A FIFO, a device or a directory named where a data
// file belongs is refused at once, instead of blocking the open (a FIFO with
// no writer) or reading for ever (/dev/zero). Every reader of the game and of
// its tools opens its files through here.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

enum class FileStatus {
    Ok,
    Missing,     // no such file (ENOENT): the one case a caller may create it
    NotRegular,  // a directory, FIFO, device or socket
    TooLarge,    // larger than the reader's limit
    Unreadable,  // any other failure to open or read; `error` holds errno
};

struct FileProblem {
    FileStatus status = FileStatus::Ok;
    int error = 0;       // errno, for Missing and Unreadable
    uint64_t limit = 0;  // for TooLarge
};

// "no such file", "not a regular file", "larger than 1048576 bytes", or the
// system's text for the error.
std::string FileProblemText(const FileProblem& problem);

// A read-only descriptor of a regular file (O_CLOEXEC), or -1 with *problem
// set. The file is opened without blocking, so a FIFO is only looked at;
// reads from the descriptor block as usual.
int OpenRegularFile(const char* path, FileProblem* problem);
// The same as a stdio stream ("rb"); null with *problem set. A file larger
// than `limit` bytes (0: no limit) is refused as TooLarge.
std::FILE* OpenRegularStream(const char* path, uint64_t limit, FileProblem* problem);
// The whole file into *bytes; a file larger than `limit` is refused without
// being read. False with *problem set (and *bytes empty) on any failure.
bool ReadRegularFile(const char* path, size_t limit, std::vector<uint8_t>* bytes,
                     FileProblem* problem);

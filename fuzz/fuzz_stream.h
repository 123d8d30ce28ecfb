// Each input is handed to the readers as an in-memory stream, so a run costs
// no file-system calls. The readers' path versions only add fopen and fclose.
#pragma once
#include <cstdint>
#include <cstdio>
#include <cstdlib>

class FuzzStream {
public:
    FuzzStream(const uint8_t* data, size_t size) {
        static uint8_t empty[1];
        // Read-only: the buffer is never written through the stream.
        file_ = fmemopen(size > 0 ? const_cast<uint8_t*>(data) : empty, size, "r");
        if (!file_) std::abort();
    }
    ~FuzzStream() { std::fclose(file_); }
    FuzzStream(const FuzzStream&) = delete;
    FuzzStream& operator=(const FuzzStream&) = delete;
    std::FILE* File() const { return file_; }

private:
    std::FILE* file_;
};

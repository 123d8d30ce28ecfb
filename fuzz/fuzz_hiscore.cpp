// The hiscore reader on arbitrary bytes (short, long, any words), then rank
// and insert with what it read.
// fuzz-sources: src/formats/hiscore.cpp src/core/random.cpp src/core/regular_file.cpp
// fuzz-args: -max_len=2048
#include <cstdlib>
#include <cstring>

#include "formats/hiscore.h"
#include "fuzz_stream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzStream stream(data, size);
    HiscoreEntry table[kHiscoreEntries + 1];
    HiscoreDefaultTable(table);
    std::memcpy(&table[kHiscoreEntries], "END", 4);  // must survive any count
    table[kHiscoreEntries].score = 12345;
    // The count comes from the input too, out-of-range values included.
    const int count = size > 0 ? int(int8_t(data[size - 1])) : 9;
    HiscoreReadFrom(stream.File(), table, count);
    if (std::memcmp(table[kHiscoreEntries].name, "END", 4) != 0 ||
        table[kHiscoreEntries].score != 12345)
        std::abort();
    for (int i = 0; i < kHiscoreEntries; ++i)
        if (table[i].name[3] != '\0') std::abort();
    for (int stage = 1; stage <= 3; ++stage) {
        const int score = table[(stage * 4) % kHiscoreEntries].score;
        const int rank = HiscoreRank(stage, score, table);
        if (rank < 1 || rank > 4) std::abort();
        if (rank <= 3) HiscoreInsert(score, table[0].name, rank, 2, stage, table);
    }
    return 0;
}

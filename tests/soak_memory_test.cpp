// The soak's memory check: what counts as growth after the warm-up.
#include <gtest/gtest.h>

#include "../tools/zorbat-soak/memory_watch.h"

namespace {

// Feeds a sample every 50 frames from frame 50 to the end of the run.
template <typename Kb>
MemoryWatch Sampled(int frames, Kb kbAt, int allScenesFrom = 0) {
    MemoryWatch w;
    w.frames = frames;
    for (int f = 50; f <= frames; f += 50) WatchSample(&w, f, kbAt(f), f >= allScenesFrom);
    return w;
}

TEST(SoakMemory, LongRunsHaveARealLevel) {
    // A 500,000-frame run ends its warm-up at frame 50,000; the level must come
    // from samples taken before then (it once stayed 0, so all memory read as growth).
    const MemoryWatch w = Sampled(500000, [](int f) { return f < 60000 ? 130000L : 130500L; });
    EXPECT_EQ(w.levelKb, 130000);
    EXPECT_EQ(WatchGrowthKb(w), 500);
}

TEST(SoakMemory, ADipAtTheEndOfWarmUpIsNotGrowth) {
    // 20,000 frames: warm-up ends at 5,000. A stage swap frees a megabyte just then.
    const MemoryWatch w =
        Sampled(20000, [](int f) { return f >= 4900 && f <= 5100 ? 129000L : 130100L; });
    EXPECT_EQ(w.levelKb, 130100);
    EXPECT_EQ(WatchGrowthKb(w), 0);
}

TEST(SoakMemory, ASteadyLeakIsCaught) {
    // 100 bytes a frame: 1.5 MB over the 15,000 frames after warm-up.
    const MemoryWatch w = Sampled(20000, [](int f) { return 120000L + f / 10; });
    EXPECT_GE(WatchGrowthKb(w), 1024);
}

TEST(SoakMemory, WarmUpWaitsForEveryScene) {
    // Every scene first seen at frame 8,000: the level includes what they brought.
    MemoryWatch w = Sampled(20000, [](int f) { return f < 8000 ? 128000L : 129000L; }, 8000);
    EXPECT_EQ(w.levelKb, 129000);
    EXPECT_EQ(WatchGrowthKb(w), 0);
    // A scene never seen: the warm-up ends at half the run all the same.
    w = Sampled(20000, [](int f) { return f <= 10000 ? 128000L : 129500L; }, 1 << 30);
    EXPECT_EQ(w.levelKb, 128000);
    EXPECT_EQ(WatchGrowthKb(w), 1500);
}

}  // namespace

// Memory over a soak run (heap in use, resident size). Both go up and down by
// a megabyte or two as screens and stages are swapped (textures, meshes and the
// driver's buffers freed and made again, the allocator giving pages back), so
// the warm-up's level is its highest sample, not a single one that may fall in
// such a dip; after the warm-up, the highest sample is measured against it.
#pragma once

struct MemoryWatch {
    int frames = 0;        // length of the run
    long warmPeakKb = 0;   // highest sample in the second half of the shortest warm-up on
    long levelKb = -1;     // the warm-up's level, set when it ends
    long maxKb = 0;        // highest sample after the warm-up
};

// The shortest warm-up: a quarter of the run, a tenth of runs of 50,000 frames or more.
inline int LeastWarmup(int frames) { return frames / 10 < 5000 ? frames / 4 : frames / 10; }

// One sample at a frame. The warm-up ends once every scene has been seen and
// its shortest length has passed, at half the run at the latest.
inline void WatchSample(MemoryWatch* w, int frame, long kb, bool allScenesSeen) {
    if (w->levelKb >= 0) {
        if (kb > w->maxKb) w->maxKb = kb;
        return;
    }
    const int least = LeastWarmup(w->frames);
    if (frame >= least / 2 && kb > w->warmPeakKb) w->warmPeakKb = kb;
    if ((allScenesSeen && frame >= least) || frame >= w->frames / 2) w->levelKb = w->warmPeakKb;
}

// How far the highest sample after the warm-up rose above its level (0 before it ends).
inline long WatchGrowthKb(const MemoryWatch& w) {
    return w.levelKb >= 0 && w.maxKb > w.levelKb ? w.maxKb - w.levelKb : 0;
}

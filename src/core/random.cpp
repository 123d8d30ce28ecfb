#include "core/random.h"

namespace {
// A linear congruential generator with the classic 15-bit output, our own so
// that a seeded run gives the same sequence everywhere.
uint32_t g_state = 1;
bool g_fixed = false;
uint32_t g_fixedSeed = 1;
}  // namespace

void SeedRandom(uint32_t seed) { g_state = seed; }

uint32_t RandomState() { return g_state; }

int NextRandom() {
    g_state = g_state * 1103515245u + 12345u;
    return static_cast<int>((g_state >> 16) & 0x7FFF);
}

int RandomRange(int hi, int lo) {
    const int span = hi - lo;
    // An empty range would divide by zero: it gives its start. A reversed one
    // (hi below lo) is no fault: the remainder keeps the sign of the value
    // drawn, so it gives lo .. lo + (lo - hi) - 1.
    if (span == 0) return lo;
    return lo + NextRandom() % span;
}

void SetFixedSeed(bool enabled, uint32_t seed) {
    g_fixed = enabled;
    g_fixedSeed = seed;
}

bool FixedSeed(uint32_t* seed) {
    if (g_fixed) *seed = g_fixedSeed;
    return g_fixed;
}

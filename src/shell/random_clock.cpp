// Seeding from the clock lives apart from the generator, so that code which
// only draws numbers (the data files, the fuzzers) needs no platform layer.
#include "platform/system.h"
#include "shell/random.h"

void SeedRandomFromClock() {
    uint32_t seed;
    SeedRandom(FixedSeed(&seed) ? seed : PlatformMillis());
}

// Seeding from the clock lives apart from the generator, so that code which
// only draws numbers (the data files, the fuzzers) needs no platform layer.
#include "platform/random_clock.h"

#include "core/random.h"
#include "platform/system.h"

void SeedRandomFromClock() {
    uint32_t seed;
    SeedRandom(FixedSeed(&seed) ? seed : PlatformMillis());
}

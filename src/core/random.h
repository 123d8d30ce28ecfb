// The game's pseudo-random generator: our own, values 0..32767, so that a
// seeded run is the same on every machine.
#pragma once
#include <cstdint>

void SeedRandom(uint32_t seed);
// The generator's whole state: SeedRandom(RandomState()) goes on with the same numbers.
uint32_t RandomState();
int NextRandom();  // 0..32767
// lo + next % (hi - lo): in [lo, hi).
int RandomRange(int hi, int lo);
// Seed used in place of the clock when set (scripted runs).
void SetFixedSeed(bool enabled, uint32_t seed);
// True (with the seed) when a fixed seed is set.
bool FixedSeed(uint32_t* seed);

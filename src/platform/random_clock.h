// Seeding the game's generator from the millisecond clock.
#pragma once

// Seeds from the millisecond clock, or with the fixed seed when one is set.
void SeedRandomFromClock();

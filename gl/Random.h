#pragma once
// The program's one random source: a linear congruential generator with the sequence of
// the classic C library rand()/srand() (state * 214013 + 2531011, 15-bit results). Scenes
// reseed it with fixed seeds so that their random layouts repeat exactly; every part of
// the program draws from this generator, never from the system's rand().

namespace qelFramework {

constexpr int kRandMax = 0x7FFF;

// Next value, 0 to kRandMax.
int rand();

// Sets the state; before the first call the state is 1.
void srand(unsigned seed);

} // namespace qelFramework
